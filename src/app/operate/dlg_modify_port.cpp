#include "operate/dlg_modify_port.h"

#include "operate/panel_rules.h"
#include "ui/dlg_tip.h"
#include "ui/edit_rules.h"
#include "ui/lang_text.h"
#include "ui/skin_button.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {
constexpr const char* kLabelKeys[3] = {"tx.Http_Onvif_port", "tx.Tcp_port", "tx.Rtsp_port"};
constexpr const char* kEditNames[3] = {"httpPortEdit", "tcpPortEdit", "rtspPortEdit"};
constexpr const char* kLabelNames[3] = {"httpPortLabel", "tcpPortLabel", "rtspPortLabel"};
} // namespace

CDlgModifyPort::CDlgModifyPort(QWidget* parent, IOperateHost& host, PortDefaults defaults)
    : COperatePanel(parent, host), m_defaults(defaults) {
    using namespace panel_grid;
    setObjectName("portPanel");
    for (std::size_t row = 0; row < m_edits.size(); ++row) {
        const int y = 10 + static_cast<int>(row) * 38;
        m_labels[row] = MakeLabel(kLabelNames[row], kLabelX, y);
        m_edits[row] = MakeEdit(kEditNames[row], kEditX, y, kEditWidth);
        QLineEdit* edit = m_edits[row];
        connect(edit, &QLineEdit::textChanged, this, [edit] {
            const QSignalBlocker quiet(edit);
            Tool::ClampEditNumber(*edit, 1, 65535);
        });
    }
    m_modify = MakeButton("modifyButton", kLabelX, 134);
    connect(m_modify, &CxSkinButton::clicked, this, &CDlgModifyPort::OnModify);
    ShowDefaults();
    OnLanguageChanged();
}

void CDlgModifyPort::OnLanguageChanged() {
    for (std::size_t row = 0; row < m_labels.size(); ++row) {
        m_labels[row]->setText(LangText(kLabelKeys[row]));
    }
    SetCaption(m_modify, "tx.Modify");
}

void CDlgModifyPort::hideEvent(QHideEvent* event) {
    ShowDefaults();
    COperatePanel::hideEvent(event);
}

void CDlgModifyPort::ShowDefaults() {
    const uint16_t ports[3] = {m_defaults.Http, m_defaults.Tcp, m_defaults.Rtsp};
    for (std::size_t row = 0; row < m_edits.size(); ++row) {
        const QSignalBlocker quiet(m_edits[row]);
        m_edits[row]->setText(QString::number(ports[row]));
    }
}

void CDlgModifyPort::OnModify() {
    PortTriple ports;
    ports.http = Tool::ToInt(m_edits[0]->text().toStdString());
    ports.tcp = Tool::ToInt(m_edits[1]->text().toStdString());
    ports.rtsp = Tool::ToInt(m_edits[2]->text().toStdString());
    if (panel_rules::PortsCollide(ports)) {
        ShowTip(this, "info.Port_set_error_same", false, kTipIconExclamation);
        return;
    }
    if (RefusedWhileBusy() || !Confirmed("msg.Ensure_modify_port")) {
        return;
    }
    BatchRequest request;
    request.operation = BatchOperation::Port;
    request.ports = ports;
    m_host.RunBatch(std::move(request));
}
