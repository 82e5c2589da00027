#pragma once
// CDlgCapacityCalculator: the capacity calculator page. The user collects
// groups of channels in a list (each made in the channel editor) and checks
// the rows to count. Two calculations follow every change of an edit or a
// check box: the recording days a disk holds, and the disk a number of days
// needs. Everything is local arithmetic; nothing is stored or sent.
#include "capacity/capacity_channel.h"
#include "ui/page.h"

#include <QFont>
#include <cstdint>
#include <string>

class CCapacityBlock;
class CDlgChannelEditor;
class CMyColorListCtrlEx;
class CxSkinButton;

class CDlgCapacityCalculator : public CPage {
    Q_OBJECT

public:
    // resultFont: the shared font of the two results; encodeIniPath: the
    // bit-rate file the channel editor reads its resolutions from.
    CDlgCapacityCalculator(QWidget* parent, const QFont& resultFont, std::string encodeIniPath);
    ~CDlgCapacityCalculator() override;

    void OnLanguageChanged() override;
    void OnRelayout() override;

    // Add (modify = false) or Modify: the editor over the page, the main
    // window disabled. Modify needs a checked row.
    void OpenEditor(bool modify);
    // Delete: every checked row; without one, the page says so.
    void DeleteRows();
    // A click on a header section: column 0 checks or unchecks every row.
    void OnHeaderClicked(int column);
    // Runs both calculations on the checked rows and shows what changed.
    void Recalculate();

    CMyColorListCtrlEx* List() const { return m_list; }
    CDlgChannelEditor* Editor() const { return m_editor; }
    bool AllChecked() const { return m_allChecked; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnAddChannel(const CapacityChannel& channel);
    void OnModifyChannels(const CapacityChannel& channel);
    void OnCheckChanged(int row, bool checked);
    void UpdateAllChecked();
    bool AnyChecked() const;
    void ShowDays();
    void ShowDiskSize();
    QRect LeftPanel() const;
    QRect RightPanel() const;

    CxSkinButton* m_add;
    CxSkinButton* m_modify;
    CxSkinButton* m_delete;
    CMyColorListCtrlEx* m_list;
    CCapacityBlock* m_daysBlock; // days from a disk size
    CCapacityBlock* m_diskBlock; // disk size from days
    CDlgChannelEditor* m_editor;

    bool m_allChecked = false;
    // A header click checks every row: one calculation at its end, not one a row.
    bool m_checkingAll = false;
    int32_t m_lastDays = 0;
    int32_t m_lastDiskGb = 0;
};
