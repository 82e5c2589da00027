#pragma once
// The rows behind a CMyColorListCtrlEx: text cells, one item-data value per
// row (the pages keep a pointer to the record the row shows) and the row's
// check state. Rows are replaced as a whole for a rebuild, so a list of
// thousands of devices is one model reset, not thousands of inserts.
#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <functional>
#include <vector>

struct ListRow {
    std::vector<QString> cells; // one per column; missing cells are empty
    quintptr data = 0;
    bool checked = false;
    bool greyed = false; // texts drawn grey (a device that stopped answering)
    QColor tint;         // the row's own colours instead of the list's; invalid: none
    QString reason;      // why the row is tinted: its tool tip in every cell
};

struct ListColumn {
    QString text;
    Qt::Alignment format = Qt::AlignLeft;
};

class ColorListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ColorListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void InsertColumn(int index, const ListColumn& column);
    void SetColumnText(int column, const QString& text);
    void SetCheckBoxes(bool on);
    bool HasCheckBoxes() const { return m_checkBoxes; }

    int InsertRow(int row, ListRow content);
    bool RemoveRow(int row);
    void ReplaceRows(std::vector<ListRow> rows);
    const ListRow* Row(int row) const;
    // Replaces a row's cells, data and grey look in place (selection and
    // check state stay).
    bool SetRow(int row, ListRow content);
    bool SetCell(int row, int column, const QString& text);
    // Sets a row's tint and reason; false (and nothing redrawn) when they
    // were already so.
    bool SetRowTint(int row, const QColor& tint, const QString& reason);
    bool SetRowData(int row, quintptr data);
    bool SetChecked(int row, bool checked);
    // Reorders the rows (stable) by a comparison of their item data.
    void SortRows(const std::function<bool(const ListRow&, const ListRow&)>& less);

signals:
    void CheckChanged(int row, bool checked);

private:
    std::vector<ListColumn> m_columns;
    std::vector<ListRow> m_rows;
    bool m_checkBoxes = false;
};
