#pragma once
// CDlgReboot: the reboot panel of the batch page, one button.
#include "operate/operate_panel.h"

class CDlgReboot : public COperatePanel {
    Q_OBJECT

public:
    CDlgReboot(QWidget* parent, IOperateHost& host);

    void OnLanguageChanged() override;

private:
    void OnReboot();

    CxSkinButton* m_reboot;
};
