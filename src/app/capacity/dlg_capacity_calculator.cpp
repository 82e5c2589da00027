#include "capacity/dlg_capacity_calculator.h"

#include "capacity/capacity_block.h"
#include "capacity/capacity_calc.h"
#include "capacity/channel_rows.h"
#include "capacity/dlg_channel_editor.h"
#include "ui/color_list_ctrl.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"

#include <QPainter>

namespace {

const QColor kPanelColour(243, 245, 247);

constexpr int kRightPanelWidth = 320;
constexpr int kListTop = 58;
constexpr int kButtonWidth = 112;

constexpr CapacityBlockSpec kDaysBlock = {
    "tx.Disk_space_given",
    {"tx.Disk_space", "GB", "diskSizeEdit", 0, 999999999},
    {"tx.Record_time_per_day", "tx.Hours", "diskHoursEdit", 0, 24},
    "tx.Record_time",
    "daysResult",
};

constexpr CapacityBlockSpec kDiskBlock = {
    "tx.Recording_time_given",
    {"tx.Record_time", "tx.Days", "daysEdit", 0, 366},
    {"tx.Record_time_per_day", "tx.Hours", "daysHoursEdit", 0, 24},
    "tx.Disk_space",
    "diskSizeResult",
};

} // namespace

CDlgCapacityCalculator::CDlgCapacityCalculator(QWidget* parent, const QFont& resultFont,
                                               std::string encodeIniPath)
    : CPage(parent), m_add(new CxSkinButton(this)), m_modify(new CxSkinButton(this)),
      m_delete(new CxSkinButton(this)), m_list(new CMyColorListCtrlEx(this)),
      m_daysBlock(new CCapacityBlock(this, kDaysBlock, resultFont)),
      m_diskBlock(new CCapacityBlock(this, kDiskBlock, resultFont)),
      m_editor(new CDlgChannelEditor(this, std::move(encodeIniPath))) {
    setObjectName("capacityPage");
    m_add->setObjectName("addButton");
    m_modify->setObjectName("modifyButton");
    m_delete->setObjectName("deleteButton");
    m_list->setObjectName("channelList");
    m_daysBlock->setObjectName("daysBlock");
    m_diskBlock->setObjectName("diskSizeBlock");
    for (CxSkinButton* button : {m_add, m_modify, m_delete}) {
        button->SetSkin(look::kButtonSkin);
    }
    for (int column = 0; column < kCapacityColumnCount; ++column) {
        const CapacityColumnSpec& spec = kCapacityColumns[static_cast<std::size_t>(column)];
        m_list->InsertColumn(column, LangText(spec.headerKey), Qt::AlignCenter, spec.width);
    }
    m_list->SetCheckBoxes(true);
    m_editor->hide();

    connect(m_add, &CxSkinButton::clicked, this, [this] { OpenEditor(false); });
    connect(m_modify, &CxSkinButton::clicked, this, [this] { OpenEditor(true); });
    connect(m_delete, &CxSkinButton::clicked, this, &CDlgCapacityCalculator::DeleteRows);
    connect(m_list, &CMyColorListCtrlEx::ColumnClicked, this, &CDlgCapacityCalculator::OnHeaderClicked);
    connect(m_list, &CMyColorListCtrlEx::ItemCheckChanged, this, &CDlgCapacityCalculator::OnCheckChanged);
    connect(m_daysBlock, &CCapacityBlock::ValuesChanged, this, &CDlgCapacityCalculator::Recalculate);
    connect(m_diskBlock, &CCapacityBlock::ValuesChanged, this, &CDlgCapacityCalculator::Recalculate);
    connect(m_editor, &CDlgChannelEditor::AddChannel, this, &CDlgCapacityCalculator::OnAddChannel);
    connect(m_editor, &CDlgChannelEditor::ModifyChannels, this, &CDlgCapacityCalculator::OnModifyChannels);
    connect(m_editor, &CDlgChannelEditor::Hidden, this, [this] { window()->setEnabled(true); });

    OnLanguageChanged();
    OnRelayout();
}

CDlgCapacityCalculator::~CDlgCapacityCalculator() {
    // The editor still open goes with the page: nothing of the page may run then.
    disconnect(m_editor, nullptr, this, nullptr);
}

void CDlgCapacityCalculator::OnLanguageChanged() {
    const std::pair<CxSkinButton*, const char*> buttons[] = {
        {m_add, "tx.Add_channel"}, {m_delete, "tx.Del_channel"}, {m_modify, "tx.Modify_channel"}};
    for (const auto& [button, key] : buttons) {
        button->SetCaption(LangText(key));
        button->SetTooltip(LangText(key));
    }
    m_daysBlock->OnLanguageChanged();
    m_diskBlock->OnLanguageChanged();
    ShowDays();
    ShowDiskSize();
    for (int column = 0; column < kCapacityColumnCount; ++column) {
        m_list->SetColumnText(column, LangText(kCapacityColumns[static_cast<std::size_t>(column)].headerKey));
    }
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        m_list->SetItemText(row, kColQuality, QualityText(static_cast<int>(m_list->GetItemData(row))));
    }
}

QRect CDlgCapacityCalculator::LeftPanel() const {
    return QRect(10, 10, width() - 370, height() - 20);
}

QRect CDlgCapacityCalculator::RightPanel() const {
    return QRect(width() - 330, 10, kRightPanelWidth, height() - 20);
}

void CDlgCapacityCalculator::OnRelayout() {
    const QRect left = LeftPanel();
    m_add->setGeometry(20, 20, kButtonWidth, 28);
    m_modify->setGeometry(142, 20, kButtonWidth, 28);
    m_delete->setGeometry(264, 20, kButtonWidth, 28);
    m_list->setGeometry(left.left() + 10, kListTop, std::max(0, left.width() - 20),
                        std::max(0, left.bottom() + 1 - 10 - kListTop));
    m_daysBlock->setGeometry(width() - 320, 58, CCapacityBlock::kWidth, CCapacityBlock::kHeight);
    m_diskBlock->setGeometry(width() - 320, 313, CCapacityBlock::kWidth, CCapacityBlock::kHeight);
    update();
}

void CDlgCapacityCalculator::resizeEvent(QResizeEvent* event) {
    CPage::resizeEvent(event);
    OnRelayout();
}

void CDlgCapacityCalculator::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.fillRect(LeftPanel(), kPanelColour);
    painter.fillRect(RightPanel(), kPanelColour);
}

bool CDlgCapacityCalculator::AnyChecked() const {
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        if (m_list->GetCheck(row)) {
            return true;
        }
    }
    return false;
}

void CDlgCapacityCalculator::OpenEditor(bool modify) {
    if (modify && !AnyChecked()) {
        ShowTip(this, "msg.sel_channel_first", false, kTipIconInformation);
        return;
    }
    const QPoint centre = mapToGlobal(rect().center());
    m_editor->move(centre - QPoint(m_editor->width() / 2, m_editor->height() / 2));
    // The editor is a window of its own and stays usable.
    window()->setEnabled(false);
    m_editor->setEnabled(true);
    m_editor->Open(modify);
}

void CDlgCapacityCalculator::OnAddChannel(const CapacityChannel& channel) {
    AppendChannelRow(*m_list, channel);
    UpdateAllChecked();
    Recalculate();
}

void CDlgCapacityCalculator::OnModifyChannels(const CapacityChannel& channel) {
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        if (m_list->GetCheck(row)) {
            WriteChannelRow(*m_list, row, channel);
        }
    }
    Recalculate();
}

void CDlgCapacityCalculator::DeleteRows() {
    if (!AnyChecked()) {
        ShowTip(this, "msg.sel_channel_first", false, kTipIconInformation);
        return;
    }
    if (m_allChecked) {
        m_list->DeleteAllItems();
    } else {
        for (int row = 0; row < m_list->GetItemCount();) {
            if (m_list->GetCheck(row)) {
                m_list->DeleteItem(row);
            } else {
                ++row;
            }
        }
    }
    UpdateAllChecked();
    // Only unchecked rows are left: both results fall to 0.
    Recalculate();
}

void CDlgCapacityCalculator::OnHeaderClicked(int column) {
    if (column != kColCheck || m_list->GetItemCount() == 0) {
        return;
    }
    const bool check = !m_allChecked;
    m_checkingAll = true;
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        m_list->SetCheck(row, check);
    }
    m_checkingAll = false;
    UpdateAllChecked();
    Recalculate();
}

void CDlgCapacityCalculator::OnCheckChanged(int /*row*/, bool /*checked*/) {
    if (m_checkingAll) {
        return;
    }
    UpdateAllChecked();
    Recalculate();
}

void CDlgCapacityCalculator::UpdateAllChecked() {
    // Follows the rows themselves, so rows added or deleted since the last
    // header click cannot leave it stale.
    bool all = m_list->GetItemCount() > 0;
    for (int row = 0; all && row < m_list->GetItemCount(); ++row) {
        all = m_list->GetCheck(row);
    }
    m_allChecked = all;
}

void CDlgCapacityCalculator::Recalculate() {
    const std::vector<capacity::ChannelLoad> loads = CheckedLoads(*m_list);
    const int32_t days =
        capacity::RecordDaysForDisk(m_daysBlock->FirstValue(), m_daysBlock->SecondValue(), loads);
    if (days != m_lastDays) {
        m_lastDays = days;
        ShowDays();
    }
    const int32_t diskGb =
        capacity::DiskGbForDays(m_diskBlock->FirstValue(), m_diskBlock->SecondValue(), loads);
    if (diskGb != m_lastDiskGb) {
        m_lastDiskGb = diskGb;
        ShowDiskSize();
    }
}

void CDlgCapacityCalculator::ShowDays() {
    m_daysBlock->SetResult(QString::number(m_lastDays) + ' ' + LangText("tx.Days"));
}

void CDlgCapacityCalculator::ShowDiskSize() {
    m_diskBlock->SetResult(QString::number(m_lastDiskGb) + ' ' + LangText("GB"));
}
