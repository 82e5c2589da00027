#pragma once
// CDlgAddAddress: "add device by address". The user types one address or a
// range; the session asks each address directly (for devices on a routed
// subnet that the search cannot reach) and what answers enters the list as
// found devices do. The dialog only forwards and shows the outcome; it may
// close while the probe runs (the probe then ends on its own).
#include "ui/popup_dialog.h"

class CxSkinButton;
class DeviceSession;
class QLabel;
class QLineEdit;

class CDlgAddAddress : public CPopupDialog {
    Q_OBJECT

public:
    CDlgAddAddress(QWidget* parent, DeviceSession& session);

    QLineEdit* AddressEdit() const { return m_edit; }
    CxSkinButton* ProbeButton() const { return m_probe; }
    QLabel* StatusLabel() const { return m_status; }

private:
    void OnLanguageChanged() override;
    void OnProbe();
    void OnProbeFinished(int found);
    void ShowStatus(const QString& text);

    DeviceSession& m_session;
    QLabel* m_label;
    QLineEdit* m_edit;
    QLabel* m_hint;
    QLabel* m_status;
    CxSkinButton* m_probe;
    CxSkinButton* m_close;
    bool m_probing = false;
};
