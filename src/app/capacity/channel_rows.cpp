#include "capacity/channel_rows.h"

#include "capacity/bitrate_table.h"
#include "ui/color_list_ctrl.h"
#include "ui/lang_text.h"
#include "util/tool.h"

namespace {

int32_t CellNumber(const ListRow& row, int column) {
    const auto at = static_cast<std::size_t>(column);
    return at < row.cells.size() ? Tool::ToInt(row.cells[at].toStdString()) : 0;
}

} // namespace

QString QualityText(int quality) {
    return LangText(capacity::QualityKey(quality));
}

void WriteChannelRow(CMyColorListCtrlEx& list, int row, const CapacityChannel& channel) {
    list.SetItemText(row, kColChannels, QString::number(channel.channels));
    list.SetItemText(row, kColStandard, QString::fromStdString(channel.standard));
    list.SetItemText(row, kColQuality, QualityText(channel.quality));
    list.SetItemText(row, kColResolution, QString::fromUtf8(channel.resolution));
    list.SetItemText(row, kColFrameRate, QString::number(channel.frameRate));
    list.SetItemText(row, kColBitRate, QString::number(channel.bitRate));
    list.SetItemData(row, static_cast<quintptr>(channel.quality));
}

int AppendChannelRow(CMyColorListCtrlEx& list, const CapacityChannel& channel) {
    const int row = list.InsertItem(list.GetItemCount(), QString());
    WriteChannelRow(list, row, channel);
    return row;
}

std::vector<capacity::ChannelLoad> CheckedLoads(const CMyColorListCtrlEx& list) {
    std::vector<capacity::ChannelLoad> loads;
    const ColorListModel& model = *list.Model();
    for (int i = 0; i < model.rowCount(); ++i) {
        const ListRow* row = model.Row(i);
        if (row != nullptr && row->checked) {
            loads.push_back({CellNumber(*row, kColChannels), CellNumber(*row, kColBitRate)});
        }
    }
    return loads;
}
