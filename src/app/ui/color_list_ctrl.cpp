#include "ui/color_list_ctrl.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {

// Cells draw their text (and check box) only: the row's colour is painted
// by the list itself, so the style adds no selection, hover or focus shading.
class PlainCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem cell = option;
        cell.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
        QStyledItemDelegate::paint(painter, cell, index);
    }
};

} // namespace

CMyColorHeadCtrlEx::CMyColorHeadCtrlEx(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setHighlightSections(false);
    setStretchLastSection(false);
    setMinimumSectionSize(0);
}

CMyColorListCtrlEx::CMyColorListCtrlEx(QWidget* parent)
    : QTreeView(parent), m_model(new ColorListModel(this)), m_header(new CMyColorHeadCtrlEx(this)) {
    setHeader(m_header);
    setModel(m_model);
    setItemDelegate(new PlainCellDelegate(this));
    // The view resets this while taking its model; the owner sorts on clicks.
    m_header->setSectionsClickable(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    // The content follows the scroll bar thumb while it is dragged.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    QPalette colours = palette();
    colours.setColor(QPalette::HighlightedText, colours.color(QPalette::Text));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText, colours.color(QPalette::Text));
    setPalette(colours);
    connect(m_header, &QHeaderView::sectionClicked, this, &CMyColorListCtrlEx::ColumnClicked);
    connect(m_header, &QHeaderView::sectionResized, this, [this] { viewport()->update(); });
    // The tree view's own fit measures only the rows on screen and ignores the
    // mask; ours replaces it.
    disconnect(m_header, &QHeaderView::sectionHandleDoubleClicked, this, nullptr);
    connect(m_header, &QHeaderView::sectionHandleDoubleClicked, this,
            &CMyColorListCtrlEx::FitColumnToContents);
    connect(m_model, &ColorListModel::CheckChanged, this, &CMyColorListCtrlEx::ItemCheckChanged);
}

int CMyColorListCtrlEx::InsertColumn(int index, const QString& text, Qt::Alignment format, int width) {
    const int at = std::clamp(index, 0, GetColumnCount());
    m_model->InsertColumn(at, ListColumn{text, format});
    m_header->resizeSection(at, width);
    ApplyResizeModes();
    return at;
}

void CMyColorListCtrlEx::SetColumnText(int column, const QString& text) {
    m_model->SetColumnText(column, text);
}

int CMyColorListCtrlEx::GetColumnCount() const {
    return m_model->columnCount();
}

void CMyColorListCtrlEx::SetColumnWidth(int column, int width) {
    m_header->resizeSection(column, width);
}

int CMyColorListCtrlEx::GetColumnWidth(int column) const {
    return m_header->sectionSize(column);
}

void CMyColorListCtrlEx::SetResizableMask(uint32_t mask) {
    m_resizableMask = mask;
    ApplyResizeModes();
}

bool CMyColorListCtrlEx::IsColumnResizable(int column) const {
    return column >= 0 && column < 32 && column < GetColumnCount() && ((m_resizableMask >> column) & 1U) != 0;
}

void CMyColorListCtrlEx::ApplyResizeModes() {
    for (int column = 0; column < GetColumnCount(); ++column) {
        m_header->setSectionResizeMode(column, IsColumnResizable(column) ? QHeaderView::Interactive
                                                                         : QHeaderView::Fixed);
    }
}

void CMyColorListCtrlEx::FitColumnToContents(int column) {
    if (!IsColumnResizable(column) || m_header->isSectionHidden(column)) {
        return;
    }
    int widest = m_header->sectionSizeHint(column);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    for (int row = 0; row < m_model->rowCount(); ++row) {
        widest = std::max(widest, itemDelegate()->sizeHint(option, m_model->index(row, column)).width());
    }
    // One pixel more on each side for the cell frame drawn over the text's margin.
    m_header->resizeSection(column, widest + 2);
}

int CMyColorListCtrlEx::InsertItem(int row, const QString& text) {
    ListRow content;
    content.cells.resize(static_cast<std::size_t>(GetColumnCount()));
    if (!content.cells.empty()) {
        content.cells[0] = text;
    }
    return m_model->InsertRow(row, std::move(content));
}

bool CMyColorListCtrlEx::SetItemText(int row, int column, const QString& text) {
    return m_model->SetCell(row, column, text);
}

QString CMyColorListCtrlEx::GetItemText(int row, int column) const {
    const ListRow* content = m_model->Row(row);
    if (content == nullptr || column < 0 || static_cast<std::size_t>(column) >= content->cells.size()) {
        return {};
    }
    return content->cells[static_cast<std::size_t>(column)];
}

bool CMyColorListCtrlEx::SetItemData(int row, quintptr value) {
    return m_model->SetRowData(row, value);
}

quintptr CMyColorListCtrlEx::GetItemData(int row) const {
    const ListRow* content = m_model->Row(row);
    return content == nullptr ? 0 : content->data;
}

bool CMyColorListCtrlEx::DeleteItem(int row) {
    const bool removed = m_model->RemoveRow(row);
    if (removed) {
        viewport()->update();
    }
    return removed;
}

void CMyColorListCtrlEx::DeleteAllItems() {
    m_model->ReplaceRows({});
}

int CMyColorListCtrlEx::GetItemCount() const {
    return m_model->rowCount();
}

void CMyColorListCtrlEx::SetAllItems(std::vector<ListRow> rows) {
    m_model->ReplaceRows(std::move(rows));
}

void CMyColorListCtrlEx::SortItems(const std::function<bool(const ListRow&, const ListRow&)>& less) {
    m_model->SortRows(less);
}

void CMyColorListCtrlEx::SetCheckBoxes(bool on) {
    m_model->SetCheckBoxes(on);
}

void CMyColorListCtrlEx::SetCheck(int row, bool checked) {
    m_model->SetChecked(row, checked);
}

bool CMyColorListCtrlEx::GetCheck(int row) const {
    const ListRow* content = m_model->Row(row);
    return content != nullptr && content->checked;
}

void CMyColorListCtrlEx::SetRowColours(const QColor& even, const QColor& odd, const QColor& selected) {
    m_evenColour = even;
    m_oddColour = odd;
    m_selectedColour = selected;
    viewport()->update();
}

void CMyColorListCtrlEx::SetCellFrames(bool on) {
    m_cellFrames = on;
    viewport()->update();
}

bool CMyColorListCtrlEx::IsRowSelected(int row) const {
    return selectionModel() != nullptr && selectionModel()->isRowSelected(row, QModelIndex());
}

QColor CMyColorListCtrlEx::RowColour(int row) const {
    if (IsRowSelected(row)) {
        return m_selectedColour;
    }
    // A tinted row keeps the list's alternation: odd rows a shade darker.
    const ListRow* content = m_model->Row(row);
    if (content != nullptr && content->tint.isValid()) {
        return row % 2 == 0 ? content->tint : content->tint.darker(110);
    }
    return (row % 2 == 0) ? m_evenColour : m_oddColour;
}

void CMyColorListCtrlEx::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const QColor colour = RowColour(index.row());
    const QRect full(0, option.rect.top(), viewport()->width(), option.rect.height());
    painter->fillRect(full, colour);
    // The row's own colour stands in for the style's selection and base colours.
    QStyleOptionViewItem rowOption = option;
    rowOption.palette.setColor(QPalette::Base, colour);
    rowOption.palette.setColor(QPalette::AlternateBase, colour);
    rowOption.palette.setColor(QPalette::Highlight, colour);
    rowOption.palette.setColor(QPalette::Inactive, QPalette::Highlight, colour);
    QTreeView::drawRow(painter, rowOption, index);
    // A selected tinted row still shows its tint, as a band at its start.
    const ListRow* content = m_model->Row(index.row());
    if (content != nullptr && content->tint.isValid() && IsRowSelected(index.row())) {
        const int band = kTintBandWidth;
        const int x = layoutDirection() == Qt::RightToLeft ? viewport()->width() - band : 0;
        painter->fillRect(QRect(x, option.rect.top(), band, option.rect.height()), content->tint.darker(115));
    }
    if (!m_cellFrames) {
        return;
    }
    painter->save();
    painter->setPen(QPen(Qt::white, 1));
    painter->setBrush(Qt::NoBrush);
    int right = 0;
    for (int column = 0; column < GetColumnCount(); ++column) {
        if (m_header->isSectionHidden(column) || m_header->sectionSize(column) == 0) {
            continue;
        }
        const int x = m_header->sectionViewportPosition(column);
        const int w = m_header->sectionSize(column);
        painter->drawRect(QRect(x - 1, option.rect.top() - 1, w, option.rect.height()));
        right = std::max(right, x + w);
    }
    // The space right of the last column is framed like a cell of its own.
    if (right < viewport()->width()) {
        painter->drawRect(
            QRect(right - 1, option.rect.top() - 1, viewport()->width() - right, option.rect.height()));
    }
    painter->restore();
}
