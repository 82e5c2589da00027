#include "app/corvane_dlg.h"

#include "app/dlg_main_menu.h"
#include "app/search_controller.h"
#include "app/title_band.h"
#include "capacity/dlg_capacity_calculator.h"
#include "devlist/dlg_dev_info.h"
#include "lang/tool_language.h"
#include "operate/dlg_operate.h"
#include "sdk/sdk.h"
#include "settings/dlg_setting.h"
#include "ui/dlg_help.h"
#include "ui/dlg_tip.h"
#include "ui/popup_dialog.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace {

CCorvaneDlg* g_mainWindow = nullptr;

// Where the pages sit: right of the strip, below the band.
constexpr int kStripWidth = 60;

template <typename Page, typename Call> void Post(Page* page, Call call) {
    if (page != nullptr) {
        QMetaObject::invokeMethod(
            page, [page, call] { call(page); }, Qt::QueuedConnection);
    }
}

} // namespace

CCorvaneDlg* TheMainWindow() {
    return g_mainWindow;
}

CCorvaneDlg::CCorvaneDlg(MainWindowOptions options)
    : QDialog(nullptr, Qt::Window | Qt::FramelessWindowHint), m_options(std::move(options)) {
    g_mainWindow = this;
    SDK_Init(nullptr, this);
    setObjectName("mainWindow");
    m_countFont.setFamily("Tahoma");
    m_countFont.setPixelSize(34);
    m_resultFont.setFamily("Tahoma");
    m_resultFont.setPixelSize(22);
    m_resultFont.setWeight(QFont::DemiBold);
    // The values in effect before the configuration is read.
    m_config.LanguageIndex = 0;
    m_config.PeriodicSearch = true;
    m_config.SearchPeriodMinutes = 1;
    m_config.ModifyMode = false;
    m_config.ShowHelp = false;
    m_config.DevInfoMask = kDefaultDevInfoMask;
    m_periodicTimer.setObjectName("periodicSearchTimer");
    connect(&m_periodicTimer, &QTimer::timeout, this, &CCorvaneDlg::OnPeriodicTimer);
    m_search = new SearchController(this);
}

CCorvaneDlg::~CCorvaneDlg() {
    if (g_mainWindow == this) {
        g_mainWindow = nullptr;
    }
}

void CCorvaneDlg::OnInitDialog() {
    LoadConfig(m_config, m_options.programFolder,
               [](const char* customerCodes) { SDK_SetCustomer(customerCodes); });
    LoadPictures();
    m_band = new TitleBand(*this, m_countFont);
    m_band->SetLogo(m_logoIcon);
    m_band->SetHelpShown(m_config.ShowHelp);
    SetLanguage(m_config.LanguageIndex, false);
    m_band->SetCount(m_deviceCount);
    m_band->SetTitle(QString::fromStdString(m_config.AppName));
    connect(m_band->search, &CxSkinButton::clicked, this, &CCorvaneDlg::StartSearch);
    connect(m_band->quit, &CxSkinButton::clicked, this, &CCorvaneDlg::OnQuit);
    connect(m_band->min, &CxSkinButton::clicked, this, &QWidget::showMinimized);
    connect(m_band->max, &CxSkinButton::clicked, this, &CCorvaneDlg::ToggleMaximize);
    connect(m_band->help, &CxSkinButton::clicked, this, &CCorvaneDlg::OnHelp);

    resize(kWidth, kHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    m_band->Layout(width());

    CreatePages();
    m_devInfo->SearchRequest(false);
    RestartPeriodicTimer();
}

void CCorvaneDlg::LoadPictures() {
    const QIcon icon(QString::fromStdString(m_config.LogoIconPath));
    m_logoIcon = icon.isNull() ? QPixmap() : icon.pixmap(32, 32);
    if (!m_logoIcon.isNull()) {
        setWindowIcon(icon);
    }
    const QPixmap help(QString::fromStdString(m_config.HelpPicturePath));
    m_helpPicture =
        help.isNull() ? QPixmap() : help.scaled(640, 528, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void CCorvaneDlg::CreatePages() {
    m_capacity = new CDlgCapacityCalculator(this);
    m_capacity->hide();
    m_operate = new CDlgOperate(this);
    m_operate->hide();
    m_mainMenu = new CDlgMainMenu(this);
    m_mainMenu->hide();
    CDlgDevInfo::Links links;
    links.devices = &m_devices;
    links.postSearchRequest = [this] {
        QMetaObject::invokeMethod(this, &CCorvaneDlg::OnSearchRequestMessage, Qt::QueuedConnection);
    };
    links.batchBusy = [this] { return m_operate->IsBusy(); };
    links.countFont = m_countFont;
    m_devInfo = new CDlgDevInfo(this, std::move(links), m_config.ModifyMode, m_config.DevInfoMask);
    m_devInfo->hide();
    m_setting = new CDlgSetting(this, m_config);
    m_setting->hide();
    connect(m_mainMenu, &CDlgMainMenu::PageRequested, this, &CCorvaneDlg::ShowPage);
    connect(m_mainMenu, &CDlgMainMenu::SettingsRequested, this, &CCorvaneDlg::OpenSettings);
    connect(m_setting, &CDlgSetting::LanguageChosen, this, &CCorvaneDlg::OnLanguageMessage);
    connect(m_setting, &CDlgSetting::ColumnMaskChosen, this, [this](uint32_t mask) {
        OnColumnMaskMessage(mask);
        m_devInfo->OnColumnMask(mask);
    });
    connect(m_setting, &CDlgSetting::SearchParamsChosen, this, &CCorvaneDlg::OnSearchParamsMessage);
    connect(m_setting, &CDlgSetting::Closed, this, [this] {
        setEnabled(true);
        m_mainMenu->SetSettingMarked(false);
    });
    m_currentPageIndex = kPageDevInfo;
    LayoutPages();
    m_mainMenu->show();
    m_devInfo->show();
}

QRect CCorvaneDlg::PageArea() const {
    return QRect(kStripWidth, TitleBand::kHeight, width() - kStripWidth, height() - TitleBand::kHeight);
}

void CCorvaneDlg::LayoutPages() {
    for (CPage* page :
         {static_cast<CPage*>(m_devInfo), static_cast<CPage*>(m_operate), static_cast<CPage*>(m_capacity)}) {
        if (page != nullptr) {
            page->setGeometry(PageArea());
        }
    }
}

void CCorvaneDlg::PostRelayout() {
    Post(m_mainMenu, [](CPage* page) { page->OnRelayout(); });
    Post(m_devInfo, [](CPage* page) { page->OnRelayout(); });
    Post(m_operate, [](CPage* page) { page->OnRelayout(); });
    Post(m_capacity, [](CPage* page) { page->OnRelayout(); });
}

CPage* CCorvaneDlg::PageOf(int pageIndex) const {
    switch (pageIndex) {
    case kPageDevInfo:
        return m_devInfo;
    case kPageOperate:
        return m_operate;
    case kPageCapacity:
        return m_capacity;
    default:
        return nullptr;
    }
}

void CCorvaneDlg::ShowPage(int pageIndex) {
    CPage* target = PageOf(pageIndex);
    if (target == nullptr) {
        return;
    }
    if (pageIndex != m_currentPageIndex) {
        if (CPage* current = PageOf(m_currentPageIndex)) {
            current->hide();
        }
        m_currentPageIndex = pageIndex;
        target->show();
    }
    m_mainMenu->SelectPage(pageIndex);
}

void CCorvaneDlg::OpenSettings() {
    setEnabled(false);
    m_setting->setEnabled(true);
    m_setting->ShowCentredOver(geometry());
    m_mainMenu->SetSettingMarked(true);
}

void CCorvaneDlg::SetLanguage(int index, bool postToPages) {
    Tool::LoadLanguage(index, m_options.programFolder);
    if (m_band != nullptr) {
        m_band->SetTexts();
    }
    SaveLanguage(m_config, index);
    if (!postToPages) {
        return;
    }
    Post(m_mainMenu, [](CPage* page) { page->OnLanguageChanged(); });
    Post(m_devInfo, [](CPage* page) { page->OnLanguageChanged(); });
    Post(m_operate, [](CPage* page) { page->OnLanguageChanged(); });
    Post(m_capacity, [](CPage* page) { page->OnLanguageChanged(); });
    Post(m_setting, [](CDlgSetting* setting) { setting->OnLanguageChanged(); });
}

void CCorvaneDlg::OnLanguageMessage(int index) {
    m_config.LanguageIndex = index;
    SetLanguage(index, true);
}

void CCorvaneDlg::OnColumnMaskMessage(uint32_t mask) {
    SaveDevInfoMask(m_config, mask);
}

void CCorvaneDlg::OnSearchParamsMessage(bool enabled, int minutes) {
    m_config.PeriodicSearch = enabled;
    m_config.SearchPeriodMinutes = minutes;
    RestartPeriodicTimer();
    SaveSearchParams(m_config, enabled, minutes);
}

void CCorvaneDlg::OnSearchRequestMessage() {
    m_periodicTimer.stop();
    StartSearch();
    RestartPeriodicTimer();
}

void CCorvaneDlg::RestartPeriodicTimer() {
    m_periodicTimer.stop();
    // A period of 0 minutes would search without pause: it means no periodic search.
    if (m_config.PeriodicSearch && m_config.SearchPeriodMinutes > 0) {
        m_periodicTimer.start(m_config.SearchPeriodMinutes * m_options.minuteMs);
    }
}

void CCorvaneDlg::OnPeriodicTimer() {
    if (m_devInfo != nullptr) {
        m_devInfo->SearchRequest(true);
    }
}

void CCorvaneDlg::LogOutEverything() {
    for (auto& [mac, entry] : m_devices) {
        if (entry.loggedIn != 0) {
            SDK_Logout(entry.loginHandle);
        }
    }
    for (int32_t handle : m_pendingLogouts) {
        SDK_Logout(handle);
    }
    m_pendingLogouts.clear();
}

void CCorvaneDlg::StartSearch() {
    if (m_searching) {
        return;
    }
    // The lists let go of their rows before the table they point into is emptied.
    if (m_devInfo != nullptr) {
        m_devInfo->OnSearchStart();
    }
    if (m_operate != nullptr) {
        m_operate->OnSearchStart();
    }
    LogOutEverything();
    m_devices.clear();
    m_deviceCount = 0;
    m_band->SetCount(0);
    m_band->SetSearching(true);
    m_searching = true;
    emit SearchStarted();
    SearchOptions options;
    options.endpoints = m_options.endpoints;
    options.timing = m_options.searchTiming;
    options.customerCodes = m_config.CustomerCodes;
    const bool started = m_search->Start(
        std::move(options), [this](SearchResult result) { OnSearchFinished(std::move(result)); });
    if (!started) {
        // The engine refused (it cannot while this window's flag is off):
        // leave everything ready for the next request.
        m_band->SetSearching(false);
        m_searching = false;
    }
}

void CCorvaneDlg::OnSearchFinished(SearchResult result) {
    if (result.setUpResult != kSocketsReady) {
        std::string text;
        Tool::SocketErrorText(result.setUpResult + 8, text);
        ShowTipText(this, QString::fromStdString(text), false, kTipIconStop);
        result.devices.clear();
    }
    m_devices = std::move(result.devices);
    m_deviceCount = static_cast<int>(m_devices.size());
    m_band->SetCount(m_deviceCount);
    // The page on screen rebuilds first, the other one afterwards.
    const bool operateOnScreen = m_currentPageIndex == kPageOperate;
    CPage* first = operateOnScreen ? static_cast<CPage*>(m_operate) : static_cast<CPage*>(m_devInfo);
    CPage* second = operateOnScreen ? static_cast<CPage*>(m_devInfo) : static_cast<CPage*>(m_operate);
    first->OnSearchEnd();
    Post(second, [](CPage* page) { page->OnSearchEnd(); });
    m_band->SetSearching(false);
    m_searching = false;
    emit SearchFinished();
}

bool CCorvaneDlg::AnyOperationRunning() const {
    return (m_devInfo != nullptr && m_devInfo->IsBusy()) || (m_operate != nullptr && m_operate->IsBusy());
}

void CCorvaneDlg::OnQuit() {
    if (m_searching) {
        ShowTip(this, "info.Searching_wait", false, kTipIconInformation);
        return;
    }
    if (AnyOperationRunning()) {
        ShowTip(this, "info.Configuring_wait", false, kTipIconInformation);
        return;
    }
    if (ShowTip(this, "msg.Exit", true, kTipIconQuestion) == kTipOk) {
        m_closing = true;
        close();
    }
}

void CCorvaneDlg::OnHelp() {
    CDlgHelp help(this);
    help.SetColours(look::kBackColor, look::kTextColor);
    help.SetPictures(m_logoIcon, m_helpPicture);
    help.move(geometry().center() - QPoint(320, 289));
    help.DoModal();
}

void CCorvaneDlg::ToggleMaximize() {
    if (m_maximized) {
        setGeometry(m_savedRect);
        m_maximized = false;
    } else {
        QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
        if (screen == nullptr) {
            screen = QGuiApplication::primaryScreen();
        }
        if (screen == nullptr) {
            return;
        }
        m_savedRect = geometry();
        setGeometry(screen->availableGeometry());
        m_maximized = true;
    }
    LayoutPages();
    PostRelayout();
    if (m_band != nullptr) {
        m_band->Layout(width());
    }
}

void CCorvaneDlg::reject() {}

void CCorvaneDlg::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        event->accept();
        done(0);
        return;
    }
    // A close from the window system goes through the same confirmation as Quit.
    event->ignore();
    QMetaObject::invokeMethod(this, &CCorvaneDlg::OnQuit, Qt::QueuedConnection);
}

void CCorvaneDlg::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), look::kBackColor);
}

void CCorvaneDlg::keyPressEvent(QKeyEvent* event) {
    if (IsClosingKey(event->key())) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CCorvaneDlg::mousePressEvent(QMouseEvent* event) {
    if (event->position().y() <= TitleBand::kHeight && m_drag.Begin(*this, *event)) {
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CCorvaneDlg::mouseMoveEvent(QMouseEvent* event) {
    if (m_drag.Follow(*this, *event)) {
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CCorvaneDlg::mouseReleaseEvent(QMouseEvent* event) {
    m_drag.End();
    QDialog::mouseReleaseEvent(event);
}

void CCorvaneDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && event->position().y() <= TitleBand::kHeight) {
        m_drag.End();
        ToggleMaximize();
        event->accept();
        return;
    }
    QDialog::mouseDoubleClickEvent(event);
}

void CCorvaneDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_band != nullptr) {
        m_band->Layout(width());
    }
    LayoutPages();
    if (m_mainMenu != nullptr) {
        m_mainMenu->OnRelayout();
    }
    if (m_devInfo != nullptr) {
        m_devInfo->OnRelayout();
    }
}
