#pragma once
// CCorvaneDlg: the program's only top-level window, 1090 x 700 pixels, dark,
// without a system caption: it draws its own title band. It owns the
// configuration values, the device session (the device table, the search
// and its periodic timer), the navigation strip and the page table beside
// it, and the shared fonts.
// It closes only through Quit and its confirmation; Return and Escape close
// nothing.
#include "app/page_table.h"
#include "config/app_config.h"
#include "discovery/search_engine.h"
#include "ui/window_drag.h"

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QStringList>
#include <string>

class CDlgDevInfo;
class CDlgMainMenu;
class CDlgSetting;
class CPage;
class DeviceSession;
class TitleBand;

// What differs between the program and a test of it.
class Clock;

struct MainWindowOptions {
    std::string programFolder; // holds "Config File/"; ends in a separator
    DiscoveryEndpoints endpoints;
    SearchTiming searchTiming; // the protocol's timing unless a test shortens it
    int minuteMs = 60000;      // one minute of the periodic-search timer
    Clock* clock = nullptr;    // the periodic search's clock; nullptr: the steady clock
};

class CCorvaneDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 1090;
    static constexpr int kHeight = 700;

    // Construction: starts the SDK.
    explicit CCorvaneDlg(MainWindowOptions options);
    ~CCorvaneDlg() override;

    // Initialisation: configuration, language, pages, the first search
    // request and the periodic timer.
    void OnInitDialog();

    // Loads the language pack, re-titles the band and saves the choice;
    // with postToWindows every window sets its texts again (a LanguageChange
    // event posted to each of them).
    void SetLanguage(int index, bool postToWindows);
    // The band's SEARCH: a search through the session's gate; a refusal
    // (a search or an operation running) is told in a tip.
    void StartSearch();
    void ToggleMaximize();

    // Handlers of what the pages and the settings window send.
    void OnLanguageMessage(int index);                        // language chosen
    void OnColumnMaskMessage(uint32_t mask);                  // new device-list columns
    void OnSearchParamsMessage(bool enabled, int minutes);    // new periodic-search values
    void OnSearchInterfacesMessage(const QStringList& names); // interfaces searched, empty: all
    void OnQuit();
    void OnHelp();
    void ShowPage(int pageIndex);
    void OpenSettings();

    const AppConfig& Config() const { return m_config; }
    DeviceSession& Session() const { return *m_session; }
    int DeviceCount() const;
    bool IsSearching() const;
    int CurrentPageIndex() const { return m_currentPageIndex; }
    bool IsMaximized() const { return m_maximized; }
    const QFont& CountFont() const { return m_countFont; }
    const QFont& ResultFont() const { return m_resultFont; }
    const QPixmap& LogoIcon() const { return m_logoIcon; }
    CDlgDevInfo* DevInfoPage() const { return m_devInfo; }
    CPage* PageOf(int pageIndex) const;
    CDlgMainMenu* MainMenu() const { return m_mainMenu; }
    CDlgSetting* SettingWindow() const { return m_setting; }
    TitleBand* Band() const { return m_band; }

public slots:
    void reject() override; // Escape: nothing

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreatePages();
    void AddPage(int index, CPage* page, const char* buttonName, const int (&skin)[4],
                 const char* captionKey);
    void LoadPictures();
    void LayoutPages();
    void PostRelayout();
    // The periodic search as the configuration says.
    void ApplyPeriodicSearch();
    void OnSearchStarted();
    void OnSearchFinished(int setUpResult);
    QRect PageArea() const;

    MainWindowOptions m_options;
    AppConfig m_config;
    DeviceSession* m_session;
    bool m_maximized = false;
    bool m_closing = false;
    QRect m_savedRect;
    int m_currentPageIndex = 0;
    QFont m_countFont;
    QFont m_resultFont;
    QPixmap m_logoIcon;
    QPixmap m_helpPicture;
    WindowDrag m_drag;

    TitleBand* m_band = nullptr;
    PageTable m_pages;
    CDlgMainMenu* m_mainMenu = nullptr;
    CDlgDevInfo* m_devInfo = nullptr;
    CDlgSetting* m_setting = nullptr;
};
