#include "operate/dlg_reboot.h"

#include "operate/time_setting.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {

constexpr int kClockTop = 70;
constexpr int kChoiceWidth = 400;

} // namespace

CDlgReboot::CDlgReboot(QWidget* parent, IOperateHost& host) : COperatePanel(parent, host) {
    using namespace panel_grid;
    setObjectName("rebootPanel");
    m_reboot = MakeButton("rebootButton", kLabelX, 10);
    connect(m_reboot, &CxSkinButton::clicked, this, &CDlgReboot::OnReboot);

    m_clockHeading = MakeLabel("clockHeading", kLabelX, kClockTop);
    m_clockHeading->resize(kChoiceWidth, kRowHeight);
    m_fromComputer = new QRadioButton(this);
    m_fromComputer->setObjectName("timeFromComputer");
    m_fromComputer->setGeometry(kLabelX, kClockTop + 32, kChoiceWidth, kRowHeight);
    m_fromComputer->setChecked(true);
    m_fromNtp = new QRadioButton(this);
    m_fromNtp->setObjectName("timeFromNtp");
    m_fromNtp->setGeometry(kLabelX, kClockTop + 66, kChoiceWidth, kRowHeight);
    m_ntpServers = MakeEdit("ntpServersEdit", kEditX + 20, kClockTop + 100, kEditWidth + 120);
    m_ntpServers->setMaxLength(300);
    m_ntpServers->setEnabled(false);
    connect(m_fromNtp, &QRadioButton::toggled, m_ntpServers, &QLineEdit::setEnabled);
    m_setTime = MakeButton("setTimeButton", kLabelX, kClockTop + 142);
    connect(m_setTime, &CxSkinButton::clicked, this, &CDlgReboot::OnSetTime);
    for (QRadioButton* choice : {m_fromComputer, m_fromNtp}) {
        QPalette colours = choice->palette();
        colours.setColor(QPalette::WindowText, look::kBodyTextColor);
        choice->setPalette(colours);
    }
    OnLanguageChanged();
}

void CDlgReboot::OnLanguageChanged() {
    SetCaption(m_reboot, "tx.RebootDev");
    m_clockHeading->setText(LangText("tx.Device_clock"));
    m_fromComputer->setText(LangText("tx.Time_from_pc"));
    m_fromNtp->setText(LangText("tx.Time_from_ntp"));
    m_ntpServers->setPlaceholderText(LangText("tx.Ntp_servers_hint"));
    SetCaption(m_setTime, "tx.Set_time");
}

void CDlgReboot::OnReboot() {
    if (RefusedWhileBusy() || !Confirmed("msg.Ensure_reboot")) {
        return;
    }
    BatchRequest request;
    request.operation = BatchOperation::Reboot;
    m_host.RunBatch(std::move(request));
}

void CDlgReboot::OnSetTime() {
    BatchRequest request;
    request.operation = BatchOperation::SetTime;
    if (m_fromNtp->isChecked()) {
        std::optional<std::vector<std::string>> servers = ParseNtpServers(m_ntpServers->text().toStdString());
        if (!servers) {
            ShowTip(this, "info.Ntp_servers_bad", false, kTipIconExclamation);
            return;
        }
        request.time.ntp = true;
        request.time.ntpServers = std::move(*servers);
    }
    if (RefusedWhileBusy()) {
        return;
    }
    m_host.RunBatch(std::move(request));
}
