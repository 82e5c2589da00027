#include "ui/color_list_model.h"

#include <QColor>
#include <QTextDocument>
#include <algorithm>

namespace {

// Cells hold texts that devices report. Qt shows a tool tip as rich text
// whenever Qt::mightBeRichText says so, which a device text like
// "<img src=x width=1500 height=900>" does; such a text is escaped and
// wrapped, so the tip shows its characters and keeps its lines.
QString PlainToolTip(const QString& text) {
    if (!Qt::mightBeRichText(text)) {
        return text;
    }
    return "<p style='white-space:pre'>" + text.toHtmlEscaped() + "</p>";
}

} // namespace

ColorListModel::ColorListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ColorListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ColorListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant ColorListModel::data(const QModelIndex& index, int role) const {
    const ListRow* row = Row(index.row());
    if (row == nullptr || index.column() < 0 || index.column() >= columnCount()) {
        return {};
    }
    const auto column = static_cast<std::size_t>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return column < row->cells.size() ? row->cells[column] : QString();
    case Qt::ToolTipRole:
        return PlainToolTip(!row->reason.isEmpty()       ? row->reason
                            : column < row->cells.size() ? row->cells[column]
                                                         : QString());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_columns[column].format | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        return row->greyed ? QVariant(QColor(120, 120, 120)) : QVariant();
    case Qt::CheckStateRole:
        if (m_checkBoxes && column == 0) {
            return row->checked ? Qt::Checked : Qt::Unchecked;
        }
        return {};
    default:
        return {};
    }
}

bool ColorListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role == Qt::CheckStateRole && m_checkBoxes && index.column() == 0) {
        return SetChecked(index.row(), value.toInt() == Qt::Checked);
    }
    return false;
}

QVariant ColorListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return {};
    }
    const auto column = static_cast<std::size_t>(section);
    if (role == Qt::DisplayRole) {
        return m_columns[column].text;
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(m_columns[column].format | Qt::AlignVCenter);
    }
    return {};
}

Qt::ItemFlags ColorListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_checkBoxes && index.column() == 0) {
        result |= Qt::ItemIsUserCheckable;
    }
    return result;
}

void ColorListModel::InsertColumn(int index, const ListColumn& column) {
    const int at = std::clamp(index, 0, columnCount());
    beginInsertColumns(QModelIndex(), at, at);
    m_columns.insert(m_columns.begin() + at, column);
    for (ListRow& row : m_rows) {
        if (static_cast<std::size_t>(at) <= row.cells.size()) {
            row.cells.insert(row.cells.begin() + at, QString());
        }
    }
    endInsertColumns();
}

void ColorListModel::SetColumnText(int column, const QString& text) {
    if (column < 0 || column >= columnCount()) {
        return;
    }
    m_columns[static_cast<std::size_t>(column)].text = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void ColorListModel::SetCheckBoxes(bool on) {
    beginResetModel();
    m_checkBoxes = on;
    endResetModel();
}

int ColorListModel::InsertRow(int row, ListRow content) {
    const int at = std::clamp(row, 0, rowCount());
    beginInsertRows(QModelIndex(), at, at);
    m_rows.insert(m_rows.begin() + at, std::move(content));
    endInsertRows();
    return at;
}

bool ColorListModel::RemoveRow(int row) {
    if (Row(row) == nullptr) {
        return false;
    }
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    return true;
}

void ColorListModel::ReplaceRows(std::vector<ListRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

const ListRow* ColorListModel::Row(int row) const {
    if (row < 0 || row >= rowCount()) {
        return nullptr;
    }
    return &m_rows[static_cast<std::size_t>(row)];
}

bool ColorListModel::SetRow(int row, ListRow content) {
    if (Row(row) == nullptr) {
        return false;
    }
    ListRow& target = m_rows[static_cast<std::size_t>(row)];
    content.checked = target.checked;
    target = std::move(content);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    return true;
}

bool ColorListModel::SetRowTint(int row, const QColor& tint, const QString& reason) {
    if (row < 0 || row >= rowCount()) {
        return false;
    }
    ListRow& content = m_rows[static_cast<std::size_t>(row)];
    if (content.tint == tint && content.reason == reason) {
        return false;
    }
    content.tint = tint;
    content.reason = reason;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::ToolTipRole});
    return true;
}

bool ColorListModel::SetCell(int row, int column, const QString& text) {
    if (Row(row) == nullptr || column < 0 || column >= columnCount()) {
        return false;
    }
    std::vector<QString>& cells = m_rows[static_cast<std::size_t>(row)].cells;
    if (cells.size() < m_columns.size()) {
        cells.resize(m_columns.size());
    }
    cells[static_cast<std::size_t>(column)] = text;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
    return true;
}

bool ColorListModel::SetRowData(int row, quintptr data) {
    if (Row(row) == nullptr) {
        return false;
    }
    m_rows[static_cast<std::size_t>(row)].data = data;
    return true;
}

bool ColorListModel::SetChecked(int row, bool checked) {
    if (Row(row) == nullptr) {
        return false;
    }
    ListRow& target = m_rows[static_cast<std::size_t>(row)];
    if (target.checked == checked) {
        return true;
    }
    target.checked = checked;
    const QModelIndex cell = index(row, 0);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
    emit CheckChanged(row, checked);
    return true;
}

void ColorListModel::SortRows(const std::function<bool(const ListRow&, const ListRow&)>& less) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<std::size_t> order(m_rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return less(m_rows[a], m_rows[b]); });
    std::vector<ListRow> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newRowOf(m_rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(std::move(m_rows[order[i]]));
        newRowOf[order[i]] = static_cast<int>(i);
    }
    m_rows = std::move(sorted);
    // Selection and current row follow their rows to the new places.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) {
        after.append(index(newRowOf[static_cast<std::size_t>(old.row())], old.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
