#include "operate/dlg_operate.h"

#include "lang/tool_language.h"
#include "operate/batch_runner.h"
#include "operate/dlg_configuration.h"
#include "operate/dlg_modify_password.h"
#include "operate/dlg_modify_port.h"
#include "operate/dlg_readdress.h"
#include "operate/dlg_reboot.h"
#include "operate/dlg_upgrade.h"
#include "platform/memory.h"
#include "session/device_session.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"
#include "ui/tree_ctrl.h"

#include <QBrush>
#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSet>

namespace {

const QColor kFrameColour(0xF7, 0xF5, 0xF3);
constexpr int kRightFrameX = 300;
constexpr int kPanelX = 448;
constexpr int kPanelY = 90;
constexpr const char* kButtonKeys[kOperatePanelCount] = {"tx.Upgrade", "tx.Configuration", "tx.Password",
                                                         "tx.Port",    "tx.Reboot",        "tx.Readdress"};
constexpr const char* kButtonNames[kOperatePanelCount] = {"upgradeTab", "configurationTab", "passwordTab",
                                                          "portTab",    "rebootTab",        "readdressTab"};

DeviceEntry* RecordOf(const QTreeWidgetItem* item) {
    return reinterpret_cast<DeviceEntry*>(item->data(0, Qt::UserRole).value<quintptr>());
}

} // namespace

CDlgOperate::CDlgOperate(QWidget* parent, DeviceSession& session, ILoginPrompt& prompt,
                         OperatePageOptions options)
    : CPage(parent), m_session(session),
      m_runner(new BatchRunner(this, prompt, session.Context(), options.watchdogMs)),
      m_tree(new CMyTreeCtrl(this)), m_filter(new QLineEdit(this)), m_find(new CxSkinButton(this)),
      m_all(new CxSkinButton(this)), m_title(new QLabel(this)) {
    setObjectName("operatePage");
    m_tree->setObjectName("deviceTree");
    m_tree->setStyleSheet("QTreeWidget::item { min-height: 23px; }");
    m_filter->setObjectName("filterEdit");
    m_find->setObjectName("findButton");
    m_all->setObjectName("allButton");
    m_title->setObjectName("panelTitle");
    m_title->setTextFormat(Qt::PlainText);
    for (CxSkinButton* button : {m_find, m_all}) {
        button->SetSkin(look::kButtonSkin);
        // The two buttons are 28 pixels square: a smaller caption fits there.
        QFont small = button->font();
        small.setPixelSize(10);
        button->setFont(small);
    }
    m_panels = {new CDlgUpgrade(this, *this),        new CDlgConfiguration(this, *this),
                new CDlgModifyPassword(this, *this), new CDlgModifyPort(this, *this, options.ports),
                new CDlgReboot(this, *this),         new CDlgReaddress(this, *this, session, prompt)};
    for (int index = 0; index < kOperatePanelCount; ++index) {
        auto* button = new CxSkinButton(this);
        button->setObjectName(kButtonNames[index]);
        button->SetSkin(look::kButtonSkin);
        m_buttons[static_cast<std::size_t>(index)] = button;
        connect(button, &CxSkinButton::clicked, this,
                [this, index] { ShowPanel(static_cast<OperatePanel>(index)); });
        m_panels[static_cast<std::size_t>(index)]->hide();
    }
    connect(m_find, &CxSkinButton::clicked, this, &CDlgOperate::OnFind);
    connect(m_all, &CxSkinButton::clicked, this, &CDlgOperate::OnAll);
    connect(m_tree, &QTreeWidget::itemChanged, this, &CDlgOperate::OnItemChanged);
    connect(&m_session, &DeviceSession::SearchStarted, this, &CDlgOperate::OnSearchStart);
    connect(&m_session, &DeviceSession::SearchFinished, this, &CDlgOperate::RebuildAfterSearch);
    connect(&m_session, &DeviceSession::NetworkChanged, this, &CDlgOperate::OnNetworkChanged);
    connect(&m_session, &DeviceSession::DevicesAdded, this, &CDlgOperate::OnDevicesAdded);
    connect(&m_session, &DeviceSession::DevicesChanged, this, &CDlgOperate::OnDevicesChanged);
    connect(&m_session, &DeviceSession::DevicesRemoving, this, &CDlgOperate::OnDevicesRemoving);
    connect(m_runner, &BatchRunner::DeviceReported, this, &CDlgOperate::OnDeviceReported);
    connect(m_runner, &BatchRunner::BatchEnded, this, &CDlgOperate::OnBatchEnded);
    connect(m_runner, &BatchRunner::RecordsChanged, &m_session, &DeviceSession::NotifyRecordsChanged);
    Rebuild({});
    ShowPanel(OperatePanel::Upgrade);
    OnLanguageChanged();
    OnRelayout();
}

CDlgOperate::~CDlgOperate() = default;

void CDlgOperate::OnLanguageChanged() {
    m_title->setText(LangText("tx.DevOperate"));
    m_find->SetCaption(LangText("tx.Find"));
    m_find->SetTooltip(LangText("tx.Find"));
    m_all->SetCaption(LangText("tx.All"));
    m_all->SetTooltip(LangText("tx.All"));
    for (int index = 0; index < kOperatePanelCount; ++index) {
        m_buttons[static_cast<std::size_t>(index)]->SetCaption(LangText(kButtonKeys[index]));
        m_buttons[static_cast<std::size_t>(index)]->SetTooltip(LangText(kButtonKeys[index]));
    }
    if (QTreeWidgetItem* root = Root()) {
        root->setText(0, LangText("tx.Device_list"));
    }
}

void CDlgOperate::OnRelayout() {
    const int w = width();
    const int h = height();
    // FIND and ALL take 48 pixels each of the filter's room: a square of 28
    // holds "Find" and "All" but not what most packs write for them.
    m_filter->setGeometry(20, 20, 122, 28);
    m_find->setGeometry(148, 20, 48, 28);
    m_all->setGeometry(202, 20, 48, 28);
    m_tree->setGeometry(20, 58, 230, std::max(0, h - 20 - 58));
    for (int index = 0; index < kOperatePanelCount; ++index) {
        m_buttons[static_cast<std::size_t>(index)]->setGeometry(310, 50 + 45 * index, 84, 35);
    }
    m_title->setGeometry(kPanelX, 50, std::max(0, w - 20 - kPanelX), 20);
    for (COperatePanel* panel : m_panels) {
        panel->setGeometry(kPanelX, kPanelY, std::max(0, w - 20 - kPanelX), std::max(0, h - 20 - kPanelY));
    }
    update();
}

void CDlgOperate::resizeEvent(QResizeEvent* event) {
    OnRelayout();
    CPage::resizeEvent(event);
}

void CDlgOperate::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QColor(0xD8, 0xD4, 0xD0));
    painter.setBrush(kFrameColour);
    painter.drawRect(QRect(10, 10, 250, std::max(0, height() - 20)).adjusted(0, 0, -1, -1));
    painter.drawRect(
        QRect(kRightFrameX, 10, std::max(0, width() - 10 - kRightFrameX), std::max(0, height() - 20))
            .adjusted(0, 0, -1, -1));
    // The line under the panel title.
    painter.drawLine(kPanelX, 78, width() - 20, 78);
}

void CDlgOperate::ShowPanel(OperatePanel panel) {
    Panel(m_current)->hide();
    m_current = panel;
    Panel(panel)->show();
    for (int index = 0; index < kOperatePanelCount; ++index) {
        const bool selected = index == static_cast<int>(panel);
        CxSkinButton* button = m_buttons[static_cast<std::size_t>(index)];
        button->SetForcedLook(selected ? kLookDown : kLookNone);
        button->SetTextColor(selected ? Qt::white : Qt::black);
    }
}

QTreeWidgetItem* CDlgOperate::Root() const {
    return m_tree->topLevelItem(0);
}

void CDlgOperate::OnSearchStart() {
    // The table is emptied next: no item may point into it.
    m_items.clear();
    const QSignalBlocker quiet(m_tree);
    m_tree->clear();
    auto* root = new QTreeWidgetItem(m_tree, QStringList(LangText("tx.Device_list")));
    root->setFlags(root->flags() | Qt::ItemIsUserCheckable);
    root->setCheckState(0, Qt::Unchecked);
    m_rootState = Qt::Unchecked;
}

void CDlgOperate::OnSearchEnd() {
    // The items came in as the devices answered (ticks given meanwhile
    // stay); only a page that missed the start builds them now.
    if (static_cast<std::size_t>(m_items.size()) != m_session.Devices().size()) {
        Rebuild({});
    }
}

void CDlgOperate::Rebuild(const QString& filter) {
    OnSearchStart();
    QTreeWidgetItem* root = Root();
    const QSignalBlocker quiet(m_tree);
    m_appliedFilter = filter.toStdString();
    for (auto& [mac, entry] : m_session.Devices()) {
        if (!m_appliedFilter.empty() && entry.ip.find(m_appliedFilter) == std::string::npos) {
            continue;
        }
        AddItem(entry, root->childCount());
    }
    root->setExpanded(true);
    TellPanelsTicked();
}

void CDlgOperate::AddItem(DeviceEntry& entry, int at) {
    auto* item = new QTreeWidgetItem(QStringList(QString::fromStdString(entry.ip)));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Unchecked);
    item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(&entry)));
    Root()->insertChild(at, item);
    m_items.insert(&entry, item);
}

void CDlgOperate::OnDevicesAdded(const QStringList& macs) {
    QTreeWidgetItem* root = Root();
    const QSignalBlocker quiet(m_tree);
    for (const QString& mac : macs) {
        const auto found = m_session.Devices().find(mac.toStdString());
        if (found == m_session.Devices().end() || m_items.contains(&found->second) ||
            (!m_appliedFilter.empty() && found->second.ip.find(m_appliedFilter) == std::string::npos)) {
            continue;
        }
        // The items are in key order, as the table.
        int at = 0;
        while (at < root->childCount() && DeviceKey(*RecordOf(root->child(at))) < found->first) {
            ++at;
        }
        AddItem(found->second, at);
    }
    root->setExpanded(true);
    UpdateRootCheck();
}

void CDlgOperate::OnDevicesChanged(const QStringList& macs) {
    const QSet<QString> changed(macs.begin(), macs.end());
    const QSignalBlocker quiet(m_tree);
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        if (changed.contains(QString::fromStdString(DeviceKey(*it.key())))) {
            it.value()->setText(0, QString::fromStdString(it.key()->ip));
            const bool missing = m_session.IsMissing(DeviceKey(*it.key()));
            it.value()->setForeground(0, missing ? QBrush(QColor(120, 120, 120)) : QBrush());
        }
    }
    TellPanelsTicked(); // a login may have changed what a device offers
}

void CDlgOperate::OnDevicesRemoving(const QStringList& macs) {
    const QSet<QString> removing(macs.begin(), macs.end());
    const QSignalBlocker quiet(m_tree);
    for (auto it = m_items.begin(); it != m_items.end();) {
        if (removing.contains(QString::fromStdString(DeviceKey(*it.key())))) {
            delete it.value();
            it = m_items.erase(it);
        } else {
            ++it;
        }
    }
    UpdateRootCheck();
}

void CDlgOperate::UpdateRootCheck() {
    QTreeWidgetItem* root = Root();
    bool all = root->childCount() > 0;
    for (int i = 0; i < root->childCount() && all; ++i) {
        all = root->child(i)->checkState(0) == Qt::Checked;
    }
    const QSignalBlocker quiet(m_tree);
    root->setCheckState(0, all ? Qt::Checked : Qt::Unchecked);
    m_rootState = root->checkState(0);
    TellPanelsTicked();
}

void CDlgOperate::TellPanelsTicked() {
    OperationSet ticked;
    for (auto it = m_items.cbegin(); it != m_items.cend(); ++it) {
        if (it.value()->checkState(0) == Qt::Checked) {
            ticked |= it.key()->operations;
        }
    }
    for (COperatePanel* panel : m_panels) {
        panel->OnTickedOperations(ticked);
    }
}

void CDlgOperate::OnFind() {
    const QString filter = m_filter->text();
    if (filter.isEmpty()) {
        return;
    }
    if (AnyBusy()) {
        ShowTip(this, "info.Configuring_wait", false, kTipIconInformation);
        return;
    }
    Rebuild(filter);
    m_showsAll = Root()->childCount() == m_session.DeviceCount();
}

void CDlgOperate::OnAll() {
    if (m_showsAll) {
        return;
    }
    if (AnyBusy()) {
        ShowTip(this, "info.Configuring_wait", false, kTipIconInformation);
        return;
    }
    Rebuild({});
    m_showsAll = true;
}

void CDlgOperate::OnItemChanged(QTreeWidgetItem* item) {
    QTreeWidgetItem* root = Root();
    if (m_settingChecks || root == nullptr) {
        return;
    }
    m_settingChecks = true;
    if (item == root) {
        // Only a click on the root's box passes its state on (not a new text).
        if (root->checkState(0) != m_rootState) {
            for (int i = 0; i < root->childCount(); ++i) {
                root->child(i)->setCheckState(0, root->checkState(0));
            }
        }
    } else {
        UpdateRootCheck();
    }
    m_rootState = root->checkState(0);
    m_settingChecks = false;
    TellPanelsTicked();
}

void CDlgOperate::OnNetworkChanged(const QString& mac) {
    OnDevicesChanged(QStringList{mac});
}

bool CDlgOperate::AnyBusy() const {
    const auto* readdress = static_cast<const CDlgReaddress*>(Panel(OperatePanel::Readdress));
    return m_runner->Busy() || readdress->Working();
}

bool CDlgOperate::AnyTicked() const {
    int count = 0;
    return Tool::CountCheckedChildren(*m_tree, count);
}

std::vector<DeviceEntry*> CDlgOperate::TickedDevices() const {
    std::vector<DeviceEntry*> ticked;
    const QTreeWidgetItem* root = Root();
    for (int i = 0; root != nullptr && i < root->childCount(); ++i) {
        if (root->child(i)->checkState(0) == Qt::Checked) {
            ticked.push_back(RecordOf(root->child(i)));
        }
    }
    return ticked;
}

void CDlgOperate::RunBatch(BatchRequest request) {
    // A search updates the records in place when it ends: no batch may
    // hold them meanwhile.
    if (m_session.IsSearching()) {
        ShowTip(this, "info.Searching_wait", false, kTipIconInformation);
        return;
    }
    QTreeWidgetItem* root = Root();
    const QSignalBlocker quiet(m_tree);
    request.devices = TickedDevices();
    if (request.devices.empty()) {
        ShowTip(this, "msg.Sel_dev_first", false, kTipIconInformation);
        return;
    }
    // The results of the batch before go.
    m_succeeded = 0;
    m_failed = 0;
    for (int i = 0; i < root->childCount(); ++i) {
        QTreeWidgetItem* item = root->child(i);
        DeviceEntry* entry = RecordOf(item);
        if (entry->processed != 0) {
            item->setText(0, QString::fromStdString(entry->ip));
            entry->processed = 0;
        }
    }
    if (!m_runner->Start(std::move(request))) {
        ShowTip(this, "info.Configuring_wait", false, kTipIconInformation);
    }
}

void CDlgOperate::OnDeviceReported(const DeviceEntry* entry, const DeviceReport& report) {
    if (report.outcome == BatchOutcome::Success) {
        ++m_succeeded;
    } else if (report.outcome == BatchOutcome::Failure || report.outcome == BatchOutcome::LoginFailed) {
        ++m_failed;
    }
    QTreeWidgetItem* item = m_items.value(entry, nullptr);
    if (item == nullptr) {
        return; // no longer listed (FIND after the batch began)
    }
    const std::string line =
        ReportLine(*entry, report, [](const std::string& key) { return LangText(key).toStdString(); });
    if (!line.empty()) {
        const QSignalBlocker quiet(m_tree);
        item->setText(0, QString::fromStdString(line));
    }
}

void CDlgOperate::OnBatchEnded(BatchOperation /*operation*/, bool completed) {
    // The batch's transfers are closed: what they freed goes back to the
    // system now, not at the program's end.
    ReleaseFreeMemory();
    if (completed) {
        // "Operation completed: %s succeeded, %s failed.", the counts in this order.
        const std::string text =
            Tool::FormatText(Tool::FormatText(LangText("info.operate_completed_counts").toStdString(),
                                              std::to_string(m_succeeded)),
                             std::to_string(m_failed));
        ShowTipText(this, QString::fromStdString(text), false, kTipIconInformation);
    }
}
