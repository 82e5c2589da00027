#include "operate/dlg_reboot.h"

#include "ui/lang_text.h"
#include "ui/skin_button.h"

CDlgReboot::CDlgReboot(QWidget* parent, IOperateHost& host) : COperatePanel(parent, host) {
    setObjectName("rebootPanel");
    m_reboot = MakeButton("rebootButton", panel_grid::kLabelX, 10);
    connect(m_reboot, &CxSkinButton::clicked, this, &CDlgReboot::OnReboot);
    OnLanguageChanged();
}

void CDlgReboot::OnLanguageChanged() {
    SetCaption(m_reboot, "tx.RebootDev");
}

void CDlgReboot::OnReboot() {
    if (RefusedWhileBusy() || !Confirmed("msg.Ensure_reboot")) {
        return;
    }
    BatchRequest request;
    request.operation = BatchOperation::Reboot;
    m_host.RunBatch(std::move(request));
}
