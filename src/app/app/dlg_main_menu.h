#pragma once
// CDlgMainMenu: the navigation strip on the left of the main window. One
// button per page of the page table switches to it, one opens the settings
// window; the selected entry shows its down bitmap. The NETWORK button
// exists but stays hidden and does nothing.
#include "app/page_table.h"
#include "ui/page.h"

class CDlgMainMenu : public CPage {
    Q_OBJECT

public:
    explicit CDlgMainMenu(QWidget* parent);

    void OnLanguageChanged() override;
    void OnRelayout() override;

    // A button for a page, placed below the ones made before it.
    CxSkinButton* MakePageButton(const char* name, const int (&skin)[4]);
    // The table the page buttons are read from; it outlives the strip.
    void SetPages(const PageTable& pages);

    // Marks the button of pageIndex selected and the other page buttons not.
    void SelectPage(int pageIndex);
    void SetSettingMarked(bool marked);
    CxSkinButton* ButtonOfPage(int pageIndex) const;
    CxSkinButton* SettingButton() const { return m_setting; }

signals:
    void PageRequested(int pageIndex);
    void SettingsRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CxSkinButton* MakeButton(const char* name, const int (&skin)[4]);

    const PageTable* m_pages = nullptr;
    CxSkinButton* m_network;
    CxSkinButton* m_setting;
};
