#include "operate/dlg_readdress.h"

#include "discovery/address_range.h"
#include "discovery/ip_rules.h"
#include "net/interfaces.h"
#include "net/neighbour_probe.h"
#include "session/device_session.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/run_then.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>

namespace {

constexpr const char* kLabelKeys[4] = {"tx.Address_range", "tx.Mask", "tx.Gateway", "tx.PriDns"};
constexpr const char* kLabelNames[4] = {"rangeLabel", "readdressMaskLabel", "readdressGatewayLabel",
                                        "readdressDnsLabel"};
constexpr const char* kEditNames[4] = {"rangeEdit", "readdressMaskEdit", "readdressGatewayEdit",
                                       "readdressDnsEdit"};
constexpr int kRowStep = 34;

} // namespace

CDlgReaddress::CDlgReaddress(QWidget* parent, IOperateHost& host, DeviceSession& session,
                             ILoginPrompt& prompt)
    : COperatePanel(parent, host), m_session(session), m_prompt(prompt) {
    using namespace panel_grid;
    setObjectName("readdressPanel");
    for (std::size_t row = 0; row < m_edits.size(); ++row) {
        const int y = 10 + static_cast<int>(row) * kRowStep;
        m_labels[row] = MakeLabel(kLabelNames[row], kLabelX, y);
        m_edits[row] = MakeEdit(kEditNames[row], kEditX, y, kEditWidth);
        m_edits[row]->setMaxLength(row == 0 ? 31 : 15);
    }
    m_intoSubnet = new QCheckBox(this);
    m_intoSubnet->setObjectName("intoSubnetCheck");
    m_intoSubnet->setGeometry(kLabelX, 10 + 4 * kRowStep, 400, kRowHeight);
    QPalette colours = m_intoSubnet->palette();
    colours.setColor(QPalette::WindowText, look::kBodyTextColor);
    m_intoSubnet->setPalette(colours);
    m_plan = MakeButton("planButton", kLabelX, 10 + 5 * kRowStep);
    m_apply = MakeButton("applyPlanButton", kLabelX + kButtonWidth + 10, 10 + 5 * kRowStep);
    m_lines = new QListWidget(this);
    m_lines->setObjectName("planList");
    connect(m_plan, &CxSkinButton::clicked, this, &CDlgReaddress::OnPlan);
    connect(m_apply, &CxSkinButton::clicked, this, &CDlgReaddress::OnApply);
    OnLanguageChanged();
}

CDlgReaddress::~CDlgReaddress() = default;

void CDlgReaddress::OnLanguageChanged() {
    for (std::size_t row = 0; row < m_labels.size(); ++row) {
        m_labels[row]->setText(LangText(kLabelKeys[row]));
    }
    m_edits[0]->setPlaceholderText(QStringLiteral("192.168.1.100-192.168.1.199"));
    m_intoSubnet->setText(LangText("tx.Into_subnet"));
    SetCaption(m_plan, "tx.Make_plan");
    SetCaption(m_apply, "tx.Apply_plan");
}

void CDlgReaddress::resizeEvent(QResizeEvent* event) {
    const int top = 10 + 6 * kRowStep + 4;
    m_lines->setGeometry(panel_grid::kLabelX, top, std::max(0, width() - 2 * panel_grid::kLabelX),
                         std::max(0, height() - top - 10));
    COperatePanel::resizeEvent(event);
}

bool CDlgReaddress::ReadRequest(ReaddressRequest& request) {
    const std::string range = m_edits[0]->text().trimmed().toStdString();
    if (range.find('-') != std::string::npos) {
        const AddressRangeParse parsed = ParseAddressRange(range);
        if (!parsed.range) {
            ShowTip(this, parsed.errorKey, false, kTipIconExclamation);
            return false;
        }
        request.first = parsed.range->first;
        request.last = parsed.range->last;
    } else {
        request.first = AddressFromText(range);
    }
    request.mask = AddressFromText(m_edits[1]->text().trimmed().toStdString());
    request.gateway = AddressFromText(m_edits[2]->text().trimmed().toStdString());
    const std::string dns = m_edits[3]->text().trimmed().toStdString();
    request.dns = dns.empty() ? 0 : AddressFromText(dns);
    request.intoSubnet = m_intoSubnet->isChecked();
    if (request.first == kInvalidAddress || request.dns == kInvalidAddress ||
        !CheckIpSettings(request.first, request.mask, request.gateway)) {
        ShowTip(this, "info.IP_set_error", false, kTipIconExclamation);
        return false;
    }
    return true;
}

void CDlgReaddress::SetWorking(bool working) {
    m_working = working;
    m_plan->setEnabled(!working);
    m_apply->setEnabled(!working);
}

void CDlgReaddress::OnPlan() {
    if (m_working || RefusedWhileBusy()) {
        return;
    }
    ReaddressRequest request;
    if (!ReadRequest(request)) {
        return;
    }
    std::vector<DeviceEntry*> chosen = m_host.TickedDevices();
    if (chosen.empty()) {
        ShowTip(this, "msg.Sel_dev_first", false, kTipIconInformation);
        return;
    }
    // The worker plans from copies: the records may change meanwhile.
    DeviceTable listed = m_session.Devices();
    std::vector<DeviceEntry> copies;
    for (const DeviceEntry* entry : chosen) {
        copies.push_back(*entry);
    }
    SetWorking(true);
    m_current = {};
    m_lines->clear();
    RunThen(
        this,
        [listed = std::move(listed), copies = std::move(copies), request] {
            std::vector<const DeviceEntry*> pointers;
            for (const DeviceEntry& entry : copies) {
                pointers.push_back(&entry);
            }
            return PrepareReaddress(listed, pointers, request, net::LocalInterfaces(),
                                    [](const std::vector<uint32_t>& addresses, const std::string& name) {
                                        return net::ProbeNeighbours(addresses, name);
                                    });
        },
        [this, request, chosen](const ReaddressPlan& plan) {
            SetWorking(false);
            if (!plan.errorKey.empty()) {
                ShowTip(this, plan.errorKey, false, kTipIconExclamation);
                return;
            }
            m_request = request;
            m_chosen = chosen;
            ShowPlan(plan);
        });
}

void CDlgReaddress::ShowPlan(const ReaddressPlan& plan) {
    m_current = plan;
    m_lines->clear();
    for (const ReaddressLine& line : PlanLines(plan)) {
        AddLine(line);
    }
}

void CDlgReaddress::AddLine(const ReaddressLine& line) {
    if (line.outcome == ReaddressOutcome::Changed) {
        // The list and the tree show the new address; the login is given up.
        if (const DeviceEntry* entry = m_session.FindRecord(line.key)) {
            m_session.ParkLoginAfterNetworkChange(*entry);
        }
    }
    const std::string text = ReaddressLineText(line, LangText(ReaddressLineKey(line)).toStdString());
    auto* item = new QListWidgetItem(QString::fromStdString(text), m_lines);
    if (line.outcome == ReaddressOutcome::Failed || line.outcome == ReaddressOutcome::NoAddress) {
        item->setForeground(QColor(0xC0, 0x20, 0x20));
    } else if (line.outcome == ReaddressOutcome::Skipped) {
        item->setForeground(QColor(0x80, 0x80, 0x80));
    }
}

void CDlgReaddress::OnApply() {
    if (m_working || RefusedWhileBusy()) {
        return;
    }
    if (m_current.devices.empty()) {
        ShowTip(this, "info.Readdress_plan_first", false, kTipIconInformation);
        return;
    }
    if (m_session.IsSearching()) {
        ShowTip(this, "info.Searching_wait", false, kTipIconInformation);
        return;
    }
    if (!Confirmed("msg.Readdress_apply")) {
        return;
    }
    m_lease = m_session.HoldRecords();
    SetWorking(true);
    auto settings = std::make_shared<ReaddressSettings>();
    settings->request = m_request;
    settings->config.endpoints = m_session.Endpoints();
    settings->search = m_session.SearchSettings();
    // The batch's own searches: nothing of them reaches the device list.
    settings->search.progress = {};
    settings->search.addresses.reset();
    settings->search.rememberedRanges.clear();
    QPointer<CDlgReaddress> self(this);
    OperateContext& context = m_session.Context();
    ILoginPrompt& prompt = m_prompt;
    const ReaddressPlan plan = m_current;
    const std::vector<DeviceEntry*> chosen = m_chosen;
    m_lines->clear();
    RunThen(
        this,
        [self, settings, &context, &prompt, plan, chosen] {
            ApplyReaddress(plan, chosen, *settings, context, prompt, [self](const ReaddressLine& line) {
                QMetaObject::invokeMethod(
                    qApp,
                    [self, line] {
                        if (self != nullptr) {
                            self->AddLine(line);
                        }
                    },
                    Qt::QueuedConnection);
            });
            return true;
        },
        [this](bool) {
            SetWorking(false);
            m_current = {};
            m_lease.reset();
            m_session.NotifyRecordsChanged();
        });
}
