#pragma once
// CMyColorListCtrlEx: the report-view list of the pages. Rows alternate two
// colours, a selected row shows a third, every cell carries a 1-pixel white
// frame, and only the columns of the resizable-column mask can be widened by
// dragging their divider (a double click on such a divider fits the column
// to its widest text, header and cells). The header (CMyColorHeadCtrlEx) has no behaviour
// of its own; a click on it is reported as ColumnClicked for the owner to
// sort. Texts are always shown as plain text.
#include "ui/color_list_model.h"

#include <QColor>
#include <QHeaderView>
#include <QTreeView>
#include <cstdint>
#include <functional>
#include <vector>

class CMyColorHeadCtrlEx : public QHeaderView {
    Q_OBJECT

public:
    explicit CMyColorHeadCtrlEx(QWidget* parent = nullptr);
};

class CMyColorListCtrlEx : public QTreeView {
    Q_OBJECT

public:
    static inline const QColor kEvenRowColour{203, 205, 209};
    static inline const QColor kOddRowColour{180, 186, 192};
    static inline const QColor kSelectedRowColour{112, 180, 255};

    explicit CMyColorListCtrlEx(QWidget* parent = nullptr);

    // Columns.
    int InsertColumn(int index, const QString& text, Qt::Alignment format, int width);
    void SetColumnText(int column, const QString& text);
    int GetColumnCount() const;
    void SetColumnWidth(int column, int width);
    int GetColumnWidth(int column) const;
    // Bit i set: column i may be resized by dragging its divider.
    void SetResizableMask(uint32_t mask);
    uint32_t ResizableMask() const { return m_resizableMask; }
    // Widens or narrows a resizable, shown column to its widest text (the
    // header's and every row's, not only the rows on screen).
    void FitColumnToContents(int column);
    bool IsColumnResizable(int column) const;

    // Rows.
    int InsertItem(int row, const QString& text);
    bool SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    bool SetItemData(int row, quintptr value);
    quintptr GetItemData(int row) const;
    bool DeleteItem(int row);
    void DeleteAllItems();
    int GetItemCount() const;
    // Replaces every row at once (a rebuild).
    void SetAllItems(std::vector<ListRow> rows);
    void SortItems(const std::function<bool(const ListRow&, const ListRow&)>& less);

    // Check boxes in the first column.
    void SetCheckBoxes(bool on);
    void SetCheck(int row, bool checked);
    bool GetCheck(int row) const;

    // Colours and frames.
    void SetRowColours(const QColor& even, const QColor& odd, const QColor& selected);
    void SetCellFrames(bool on);
    // The background a row is drawn with now.
    QColor RowColour(int row) const;
    bool IsRowSelected(int row) const;
    static constexpr int kTintBandWidth = 6;

    ColorListModel* Model() const { return m_model; }
    CMyColorHeadCtrlEx* Header() const { return m_header; }

signals:
    void ColumnClicked(int column);
    void ItemCheckChanged(int row, bool checked);

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    void ApplyResizeModes();

    ColorListModel* m_model;
    CMyColorHeadCtrlEx* m_header;
    QColor m_evenColour = kEvenRowColour;
    QColor m_oddColour = kOddRowColour;
    QColor m_selectedColour = kSelectedRowColour;
    uint32_t m_resizableMask = 0;
    bool m_cellFrames = true;
};
