#include "operate/dlg_configuration.h"

#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>

namespace {
constexpr int kSeparatorY = 100;
} // namespace

CDlgConfiguration::CDlgConfiguration(QWidget* parent, IOperateHost& host)
    : CFilePanel(parent, host, QStringLiteral("coi Files (*.coi)")) {
    setObjectName("configurationPanel");
    m_import = MakeButton("importButton", panel_grid::kLabelX, 58);
    m_separator = new QFrame(this);
    m_separator->setObjectName("separator");
    m_separator->setFrameShape(QFrame::HLine);
    m_separator->setFrameShadow(QFrame::Sunken);
    m_default = MakeButton("defaultButton", panel_grid::kLabelX, kSeparatorY + 14);
    m_keepNetwork = new QCheckBox(this);
    m_keepNetwork->setObjectName("keepNetworkCheck");
    m_keepNetwork->setGeometry(panel_grid::kLabelX, kSeparatorY + 56, 400, panel_grid::kRowHeight);
    QPalette colours = m_keepNetwork->palette();
    colours.setColor(QPalette::WindowText, look::kBodyTextColor);
    m_keepNetwork->setPalette(colours);
    m_keepNetwork->hide();
    connect(m_import, &CxSkinButton::clicked, this, &CDlgConfiguration::OnImport);
    connect(m_default, &CxSkinButton::clicked, this, &CDlgConfiguration::OnDefault);
    OnLanguageChanged();
}

void CDlgConfiguration::OnLanguageChanged() {
    m_label->setText(LangText("tx.Config_file"));
    SetCaption(m_import, "tx.ImportConfig");
    SetCaption(m_default, "tx.DefaultSetting");
    m_keepNetwork->setText(LangText("tx.Keep_network_settings"));
}

void CDlgConfiguration::OnTickedOperations(OperationSet ticked) {
    m_keepNetwork->setVisible(ticked.Has(DeviceOperation::SoftReset));
}

void CDlgConfiguration::resizeEvent(QResizeEvent* event) {
    m_separator->setGeometry(panel_grid::kLabelX, kSeparatorY, std::max(0, width() - 30), 2);
    m_keepNetwork->resize(std::max(0, width() - 30), panel_grid::kRowHeight);
    CFilePanel::resizeEvent(event);
}

void CDlgConfiguration::OnImport() {
    const std::string path = Path();
    if (path.empty()) {
        ShowTip(this, "info.select_updata_config_file", false, kTipIconInformation);
        return;
    }
    if (RefusedWhileBusy() || !Confirmed("msg.Ensure_updata_config")) {
        return;
    }
    BatchRequest request;
    request.operation = BatchOperation::ConfigImport;
    request.path = path;
    m_host.RunBatch(std::move(request));
}

void CDlgConfiguration::OnDefault() {
    // Nothing ticked is told before the question, so nobody confirms a
    // reset that would do nothing.
    if (!m_host.AnyTicked()) {
        ShowTip(this, "msg.Sel_dev_first", false, kTipIconInformation);
        return;
    }
    if (RefusedWhileBusy() || !Confirmed("msg.Ensure_default_setting")) {
        return;
    }
    BatchRequest request;
    request.operation = BatchOperation::FactoryDefault;
    request.keepNetwork = !m_keepNetwork->isHidden() && m_keepNetwork->isChecked();
    m_host.RunBatch(std::move(request));
}
