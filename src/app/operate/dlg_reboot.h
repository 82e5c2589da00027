#pragma once
// CDlgReboot: the device operation panel of the batch page: the reboot
// button, and below it the devices' clock, set from this computer's or
// from NTP servers (devices whose family cannot set it are reported as
// such in the batch's lines).
#include "operate/operate_panel.h"

class QRadioButton;

class CDlgReboot : public COperatePanel {
    Q_OBJECT

public:
    CDlgReboot(QWidget* parent, IOperateHost& host);

    void OnLanguageChanged() override;

private:
    void OnReboot();
    void OnSetTime();

    CxSkinButton* m_reboot;
    QLabel* m_clockHeading;
    QRadioButton* m_fromComputer;
    QRadioButton* m_fromNtp;
    QLineEdit* m_ntpServers;
    CxSkinButton* m_setTime;
};
