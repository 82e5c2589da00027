#pragma once
// CDlgMainMenu: the navigation strip on the left of the main window. Three
// buttons switch pages (device list, batch operation, capacity calculator),
// one opens the settings window; the selected entry shows its down bitmap.
// The NETWORK button exists but stays hidden and does nothing.
#include "app/page.h"

class CxSkinButton;

// Page indexes of the main window.
enum PageIndex : int {
    kPageDevInfo = 0,
    kPageOperate = 3,
    kPageCapacity = 14,
};

class CDlgMainMenu : public CPage {
    Q_OBJECT

public:
    explicit CDlgMainMenu(QWidget* parent);

    void OnLanguageChanged() override;
    void OnRelayout() override;

    // Marks the button of pageIndex selected and the other two page buttons not.
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

    CxSkinButton* m_devInfo;
    CxSkinButton* m_network;
    CxSkinButton* m_operate;
    CxSkinButton* m_capacity;
    CxSkinButton* m_setting;
};
