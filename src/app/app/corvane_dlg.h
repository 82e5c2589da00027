#pragma once
// CCorvaneDlg: the program's only top-level window, 1090 x 700 pixels, dark,
// without a system caption: it draws its own title band. It owns the
// configuration values, the device table, the search, the navigation strip
// and the pages beside it, the periodic-search timer and the shared fonts.
// It closes only through Quit and its confirmation; Return and Escape close
// nothing.
#include "config/app_config.h"
#include "discovery/device_entry.h"
#include "discovery/search_engine.h"
#include "ui/window_drag.h"

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QTimer>
#include <string>

class CDlgCapacityCalculator;
class CDlgDevInfo;
class CDlgMainMenu;
class CDlgOperate;
class CDlgSetting;
class CPage;
class SearchController;
class TitleBand;

// What differs between the program and a test of it.
struct MainWindowOptions {
    std::string programFolder; // holds "Config File/"; ends in a separator
    DiscoveryEndpoints endpoints;
    SearchTiming searchTiming; // the protocol's timing unless a test shortens it
    int minuteMs = 60000;      // one minute of the periodic-search timer
};

class CCorvaneDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 1090;
    static constexpr int kHeight = 700;

    // Construction: becomes the process-wide main window and starts the SDK.
    explicit CCorvaneDlg(MainWindowOptions options);
    ~CCorvaneDlg() override;

    // Initialisation: configuration, language, pages, the first search
    // request and the periodic timer.
    void OnInitDialog();

    // Loads the language pack, re-titles the band and saves the choice;
    // with postToPages the pages and the settings window set their texts again.
    void SetLanguage(int index, bool postToPages);
    // The only way a search begins; ignored while one runs.
    void StartSearch();
    void ToggleMaximize();

    // Handlers of what the pages and the settings window send.
    void OnLanguageMessage(int index);                     // language chosen
    void OnColumnMaskMessage(uint32_t mask);               // new device-list columns
    void OnSearchRequestMessage();                         // search request from the device list page
    void OnSearchParamsMessage(bool enabled, int minutes); // new periodic-search values
    void OnQuit();
    void OnHelp();
    void ShowPage(int pageIndex);
    void OpenSettings();

    const AppConfig& Config() const { return m_config; }
    DeviceTable& Devices() { return m_devices; }
    int DeviceCount() const { return m_deviceCount; }
    bool IsSearching() const { return m_searching; }
    int CurrentPageIndex() const { return m_currentPageIndex; }
    bool IsMaximized() const { return m_maximized; }
    const QTimer& PeriodicTimer() const { return m_periodicTimer; }
    const QFont& CountFont() const { return m_countFont; }
    const QFont& ResultFont() const { return m_resultFont; }
    const QPixmap& LogoIcon() const { return m_logoIcon; }
    CDlgDevInfo* DevInfoPage() const { return m_devInfo; }
    CDlgOperate* OperatePage() const { return m_operate; }
    CDlgCapacityCalculator* CapacityPage() const { return m_capacity; }
    CDlgMainMenu* MainMenu() const { return m_mainMenu; }
    CDlgSetting* SettingWindow() const { return m_setting; }
    TitleBand* Band() const { return m_band; }

public slots:
    void reject() override; // Escape: nothing

signals:
    // A search began; the pages were told to clear their lists.
    void SearchStarted();
    // A search's result is in the table and the visible page has rebuilt.
    void SearchFinished();

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
    void LoadPictures();
    void LayoutPages();
    void PostRelayout();
    void RestartPeriodicTimer();
    void OnPeriodicTimer();
    void OnSearchFinished(SearchResult result);
    void LogOutEverything();
    bool AnyOperationRunning() const;
    QRect PageArea() const;
    CPage* PageOf(int pageIndex) const;

    MainWindowOptions m_options;
    AppConfig m_config;
    DeviceTable m_devices;
    PendingLogoutList m_pendingLogouts;
    int m_deviceCount = 0;
    bool m_searching = false;
    bool m_maximized = false;
    bool m_closing = false;
    QRect m_savedRect;
    int m_currentPageIndex = 0;
    QFont m_countFont;
    QFont m_resultFont;
    QPixmap m_logoIcon;
    QPixmap m_helpPicture;
    QTimer m_periodicTimer;
    WindowDrag m_drag;

    TitleBand* m_band = nullptr;
    SearchController* m_search = nullptr;
    CDlgCapacityCalculator* m_capacity = nullptr;
    CDlgOperate* m_operate = nullptr;
    CDlgMainMenu* m_mainMenu = nullptr;
    CDlgDevInfo* m_devInfo = nullptr;
    CDlgSetting* m_setting = nullptr;
};

// The process-wide main window: set when it is constructed, never cleared
// while it lives.
CCorvaneDlg* TheMainWindow();
