#include "operate/dlg_upgrade.h"

#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/skin_button.h"

#include <QLabel>

namespace {

// Our firmware images first, then plain images, then every file.
QString FirmwareFilter(const QString& extension) {
    return QStringLiteral("%1 Files (*.%1);;bin Files (*.bin);;All Files (*)").arg(extension);
}

} // namespace

CDlgUpgrade::CDlgUpgrade(QWidget* parent, IOperateHost& host)
    : CFilePanel(parent, host, FirmwareFilter("upf")) {
    setObjectName("upgradePanel");
    m_upgrade = MakeButton("upgradeButton", panel_grid::kLabelX, 58);
    connect(m_upgrade, &CxSkinButton::clicked, this, &CDlgUpgrade::OnUpgrade);
    OnLanguageChanged();
}

void CDlgUpgrade::OnLanguageChanged() {
    m_label->setText(LangText("tx.Upgrade_file"));
    SetCaption(m_upgrade, "tx.Upgrade");
}

void CDlgUpgrade::OnUpgrade() {
    const std::string path = Path();
    // The file comes first: without one, nothing else is worth checking.
    if (path.empty()) {
        ShowTip(this, "info.select_upgrade_file", false, kTipIconInformation);
        return;
    }
    if (RefusedWhileBusy() || !Confirmed("msg.Ensure_upgrade")) {
        return;
    }
    BatchRequest request;
    request.operation = BatchOperation::Upgrade;
    request.path = path;
    m_host.RunBatch(std::move(request));
}
