#pragma once
// CDlgDevInfo: the device list page. It shows the session's device table
// as a 14-column list (the column mask hides columns), starts searches,
// filters the list by a text (FIND), shows every device again (ALL) and
// sorts by any column but the row number. The widths the user drags its
// columns to are kept in the configuration (saved a moment after the last
// change, so one drag is one save).
//
// The per-device actions (double click, the QR picture of the selected device,
// NET, EXPORT and the context menu) are CDeviceActions'; the page forwards
// its list's clicks and its buttons to them.
#include "devlist/row_diagnosis.h"
#include "discovery/device_entry.h"
#include "ui/page.h"

#include <QFont>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct AppConfig;
class CDeviceActions;
class CMyColorListCtrlEx;
class DeviceSession;
class CxSkinButton;
class QLabel;
class QLineEdit;
class QTimer;
struct ListRow;
struct RowTexts;

class CDlgDevInfo : public CPage {
    Q_OBJECT

public:
    // The rows point into the session's table; the page follows the
    // session's search and port signals. With a configuration, the columns
    // start at its saved widths and the user's widths are saved into it
    // (the configuration outlives the page).
    CDlgDevInfo(QWidget* parent, DeviceSession& session, const QFont& countFont, bool modifyMode,
                uint32_t columnMask, AppConfig* config = nullptr);

    void OnLanguageChanged() override;
    void OnRelayout() override;
    // Search start: empty list, count 0, Search button busy and disabled.
    void OnSearchStart() override;
    // Search end: sort states back to 1, Search button restored, rows rebuilt.
    void OnSearchEnd() override;
    // A quiet search keeps the rows, the find filter, the sort order and
    // the selection; only the Search button shows it runs.
    void OnQuietSearch(bool running);
    // "Add device by address": its dialog, over the page, not blocking it.
    void OpenAddByAddress();
    // Rows follow the session's records as they come, change and go.
    void OnDevicesAdded(const QStringList& macs);
    void OnDevicesChanged(const QStringList& macs);
    void OnDevicesRemoving(const QStringList& macs);
    // A new column mask from the settings; masks below 2 are ignored.
    void OnColumnMask(uint32_t mask);
    // The batch page changed ports: columns 5, 6 and 7 of every row again.
    void OnRecordsChanged();
    // Redraws the login column of the device's row from a batch's report,
    // without touching the record (the batch already set it).
    void ShowLoginState(const QString& mac);

    // A width dragged in the last moment is saved now (the program ends).
    void SavePendingWidths();

    // The Search button (and the first search at start-up): through the
    // session's gate; a refusal is told in a tip.
    void SearchRequest();
    void Find();
    void ShowAll();
    void SortByColumn(int column);
    // The column the rows are sorted by (-1: key order) and its direction.
    int SortColumn() const { return m_sortColumn; }
    bool SortAscending() const { return m_sortAscending; }

    bool ModifyMode() const { return m_modifyMode; }
    uint32_t ColumnMask() const { return m_columnMask; }
    bool ShowsAll() const { return m_showsAll; }
    CMyColorListCtrlEx* List() const { return m_list; }
    CDeviceActions* Actions() const { return m_actions; }
    // The device shown in a row, or null.
    const DeviceEntry* EntryAt(int row) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Rebuild();
    void SetRows(const std::vector<const DeviceEntry*>& entries);
    void ApplyColumnWidths();
    // The QR picture of the selected row; the list makes room for it.
    void UpdateQrPicture();
    // A column's divider moved: remember its width and save soon.
    void OnColumnResized(int column, int newWidth);
    void SaveColumnWidths();
    void UpdateCount();
    void Renumber();
    ListRow RowFor(const DeviceEntry& entry, int number) const;
    // The table changed: every row's address diagnosis anew.
    void RetintRows();
    RowTexts CurrentRowTexts() const;
    // Where a new row goes so that the shown order holds.
    int InsertPosition(const DeviceEntry& entry) const;
    void ResetSort();
    // The rows are in key order: no column shows a sort indicator.
    void ShowKeyOrder();

    DeviceSession& m_session;
    bool m_modifyMode;
    uint32_t m_columnMask;
    bool m_showsAll = false;
    std::string m_findText; // the FIND filter in force; empty: every device
    int m_sortColumn = -1;
    bool m_sortAscending = true;
    std::vector<int> m_sortStates; // per column: 1 sorts ascending next, 2 descending
    AppConfig* m_config;
    std::vector<int> m_columnWidths; // per column: the user's width, 0 = the default
    QTimer* m_widthSaveTimer;
    bool m_applyingWidths = false;
    RowDiagnoses m_diagnoses;

    CMyColorListCtrlEx* m_list;
    QLineEdit* m_findEdit;
    CxSkinButton* m_find;
    CxSkinButton* m_all;
    CxSkinButton* m_net;
    CxSkinButton* m_export;
    CxSkinButton* m_addAddress;
    CxSkinButton* m_search;
    QLabel* m_countCaption;
    QLabel* m_count;
    QLabel* m_qrPicture;
    QLabel* m_separator;
    QLabel* m_separator2;
    CDeviceActions* m_actions;
};
