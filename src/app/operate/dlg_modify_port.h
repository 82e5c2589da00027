#pragma once
// CDlgModifyPort: the port panel of the batch page. Each edit holds a port
// (1..65535); the three must differ. Shown and hidden, the edits show the
// default ports of the configuration file. The TCP port is the native
// protocol's: hidden while no ticked device has one.
#include "config/port_defaults.h"
#include "operate/operate_panel.h"

#include <array>

class CDlgModifyPort : public COperatePanel {
    Q_OBJECT

public:
    CDlgModifyPort(QWidget* parent, IOperateHost& host, PortDefaults defaults);

    void OnLanguageChanged() override;
    void OnTickedOperations(OperationSet ticked) override;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void ShowDefaults();
    void PlaceRows();
    void OnModify();

    PortDefaults m_defaults;
    std::array<QLabel*, 3> m_labels{};
    std::array<QLineEdit*, 3> m_edits{}; // HTTP/ONVIF, TCP, RTSP
    CxSkinButton* m_modify;
    bool m_withTcp = true;
};
