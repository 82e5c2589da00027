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
        m_labels[row] = MakeLabel(kLabelNames[row], kLabelX, 0);
        m_edits[row] = MakeEdit(kEditNames[row], kEditX, 0, kEditWidth);
        QLineEdit* edit = m_edits[row];
        connect(edit, &QLineEdit::textChanged, this, [edit] {
            const QSignalBlocker quiet(edit);
            Tool::ClampEditNumber(*edit, 1, 65535);
        });
    }
    m_modify = MakeButton("modifyButton", kLabelX, 0);
    connect(m_modify, &CxSkinButton::clicked, this, &CDlgModifyPort::OnModify);
    PlaceRows();
    ShowDefaults();
    OnLanguageChanged();
}

void CDlgModifyPort::OnLanguageChanged() {
    for (std::size_t row = 0; row < m_labels.size(); ++row) {
        m_labels[row]->setText(LangText(kLabelKeys[row]));
    }
    SetCaption(m_modify, "tx.Modify");
}

void CDlgModifyPort::OnTickedOperations(OperationSet ticked) {
    const bool withTcp = ticked.Empty() || ticked.Has(DeviceOperation::DataPort);
    if (withTcp != m_withTcp) {
        m_withTcp = withTcp;
        PlaceRows();
    }
}

void CDlgModifyPort::PlaceRows() {
    using namespace panel_grid;
    int y = 10;
    for (std::size_t row = 0; row < m_edits.size(); ++row) {
        const bool shown = row != 1 || m_withTcp;
        m_labels[row]->setVisible(shown);
        m_edits[row]->setVisible(shown);
        if (shown) {
            m_labels[row]->move(m_labels[row]->x(), y);
            m_edits[row]->move(m_edits[row]->x(), y);
            y += 38;
        }
    }
    m_modify->move(m_modify->x(), y + 10);
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
    if (panel_rules::PortsCollide(ports, m_withTcp)) {
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
