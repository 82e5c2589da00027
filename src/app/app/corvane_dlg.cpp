#include "app/corvane_dlg.h"

#include "app/dlg_main_menu.h"
#include "app/title_band.h"
#include "capacity/dlg_capacity_calculator.h"
#include "devlist/dlg_dev_info.h"
#include "lang/tool_language.h"
#include "operate/dlg_login_local.h"
#include "operate/dlg_operate.h"
#include "sdk/sdk.h"
#include "session/device_session.h"
#include "session/onvif_family.h"
#include "session/search_scheduler.h"
#include "settings/dlg_setting.h"
#include "ui/dlg_help.h"
#include "ui/dlg_tip.h"
#include "ui/popup_dialog.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace {

// Where the pages sit: right of the strip, below the band.
constexpr int kStripWidth = 60;

constexpr int kDevInfoSkin[4] = {184, 185, 184, 184};
constexpr int kOperateSkin[4] = {175, 176, 175, 175};
constexpr int kCapacitySkin[4] = {236, 237, 236, 236};

} // namespace

CCorvaneDlg::CCorvaneDlg(MainWindowOptions options)
    : QDialog(nullptr, Qt::Window | Qt::FramelessWindowHint), m_options(std::move(options)),
      m_session(new DeviceSession(this, RealSdk(), m_options.clock ? *m_options.clock : SteadyClock())) {
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
    // Connected before any page, so the band and the set-up error come first.
    connect(m_session, &DeviceSession::SearchStarted, this, &CCorvaneDlg::OnSearchStarted);
    connect(m_session, &DeviceSession::SearchFinished, this, &CCorvaneDlg::OnSearchFinished);
    connect(m_session, &DeviceSession::QuietSearchStarted, this, [this] { m_band->SetSearching(true); });
    connect(m_session, &DeviceSession::QuietSearchFinished, this, &CCorvaneDlg::OnSearchFinished);
    // The count follows the rows as they come in and go.
    for (const auto signal : {&DeviceSession::DevicesAdded, &DeviceSession::DevicesRemoving}) {
        connect(m_session, signal, this, [this] { m_band->SetCount(m_session->DeviceCount()); });
    }
}

CCorvaneDlg::~CCorvaneDlg() {
    // The configuration goes before the pages do.
    if (m_devInfo != nullptr) {
        m_devInfo->SavePendingWidths();
    }
    // The pages point into the session: they go before it does (children
    // would otherwise go in the order they came, the session first).
    for (const PageSlot& slot : m_pages) {
        delete slot.page;
    }
    m_pages.clear();
    m_devInfo = nullptr;
}

void CCorvaneDlg::OnInitDialog() {
    LoadConfig(m_config, m_options.programFolder,
               [](const char* customerCodes) { SDK_SetCustomer(customerCodes); });
    SdkSetUpgradeTransfers(m_config.UpgradeTransfers);
    m_session->SetSearchOptions(m_options.endpoints, m_options.searchTiming, m_config.CustomerCodes,
                                m_config.SearchInterfaces);
    AddOnvifFamily(*m_session);
    LoadPictures();
    m_band = new TitleBand(*this, m_countFont);
    m_band->SetLogo(m_logoIcon);
    m_band->SetHelpShown(m_config.ShowHelp);
    SetLanguage(m_config.LanguageIndex, false);
    m_band->SetCount(0);
    m_band->SetTitle(QString::fromStdString(m_config.AppName));
    // The task bar and window switcher name the window as the band does.
    setWindowTitle(QString::fromStdString(m_config.AppName));
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
    ApplyPeriodicSearch();
    m_devInfo->SearchRequest();
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
    m_mainMenu = new CDlgMainMenu(this);
    m_mainMenu->hide();
    m_devInfo =
        new CDlgDevInfo(this, *m_session, m_countFont, m_config.ModifyMode, m_config.DevInfoMask, &m_config);
    // The pages, in the order of their strip buttons.
    AddPage(kPageDevInfo, m_devInfo, "devInfoButton", kDevInfoSkin, "menu.Dev_info");
    AddPage(kPageOperate,
            new CDlgOperate(this, *m_session, *new DesktopLoginPrompt(this),
                            {ReadPortDefaults(m_config.ConfigPath)}),
            "operateButton", kOperateSkin, "menu.Batch_Operate");
    AddPage(kPageCapacity, new CDlgCapacityCalculator(this, m_resultFont, m_config.EncodePath),
            "capacityButton", kCapacitySkin, "menu.Capacity_calucator");
    m_mainMenu->SetPages(m_pages);

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
    connect(m_setting, &CDlgSetting::SearchInterfacesChosen, this, &CCorvaneDlg::OnSearchInterfacesMessage);
    connect(m_setting, &CDlgSetting::Closed, this, [this] {
        setEnabled(true);
        m_mainMenu->SetSettingMarked(false);
    });
    m_currentPageIndex = kPageDevInfo;
    LayoutPages();
    m_mainMenu->show();
    m_devInfo->show();
}

void CCorvaneDlg::AddPage(int index, CPage* page, const char* buttonName, const int (&skin)[4],
                          const char* captionKey) {
    page->hide();
    m_pages.push_back({index, page, m_mainMenu->MakePageButton(buttonName, skin), captionKey});
}

QRect CCorvaneDlg::PageArea() const {
    return QRect(kStripWidth, TitleBand::kHeight, width() - kStripWidth, height() - TitleBand::kHeight);
}

void CCorvaneDlg::LayoutPages() {
    for (const PageSlot& slot : m_pages) {
        slot.page->setGeometry(PageArea());
    }
}

void CCorvaneDlg::PostRelayout() {
    std::vector<CPage*> pages{m_mainMenu};
    for (const PageSlot& slot : m_pages) {
        pages.push_back(slot.page);
    }
    for (CPage* page : pages) {
        QMetaObject::invokeMethod(
            page, [page] { page->OnRelayout(); }, Qt::QueuedConnection);
    }
}

CPage* CCorvaneDlg::PageOf(int pageIndex) const {
    for (const PageSlot& slot : m_pages) {
        if (slot.index == pageIndex) {
            return slot.page;
        }
    }
    return nullptr;
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

void CCorvaneDlg::SetLanguage(int index, bool postToWindows) {
    Tool::LoadLanguage(index, m_options.programFolder);
    if (m_band != nullptr) {
        m_band->SetTexts();
    }
    SaveLanguage(m_config, index);
    if (postToWindows) {
        // The application hands it on to every window, and each window to
        // its children: a new window needs no entry anywhere to follow.
        QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::LanguageChange));
    }
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
    ApplyPeriodicSearch();
    SaveSearchParams(m_config, enabled, minutes);
}

void CCorvaneDlg::OnSearchInterfacesMessage(const QStringList& names) {
    std::vector<std::string> chosen;
    for (const QString& name : names) {
        chosen.push_back(name.toStdString());
    }
    SaveSearchInterfaces(m_config, chosen);
    // The next search goes out of them; the rest of its options stay.
    const SearchOptions& options = m_session->SearchSettings();
    m_session->SetSearchOptions(options.endpoints, options.timing, options.customerCodes,
                                m_config.SearchInterfaces);
}

void CCorvaneDlg::ApplyPeriodicSearch() {
    // A period of 0 minutes would search without pause: it means no periodic search.
    m_session->SetPeriodicSearch(m_config.PeriodicSearch && m_config.SearchPeriodMinutes > 0,
                                 m_config.SearchPeriodMinutes * m_options.minuteMs);
}

int CCorvaneDlg::DeviceCount() const {
    return m_session->DeviceCount();
}

bool CCorvaneDlg::IsSearching() const {
    return m_session->IsSearching();
}

void CCorvaneDlg::StartSearch() {
    const SearchStart start = m_session->RequestSearch(SearchTrigger::Band);
    if (!start) {
        ShowTip(this, start.refusal, false, kTipIconInformation);
    }
}

void CCorvaneDlg::OnSearchStarted() {
    m_band->SetCount(0);
    m_band->SetSearching(true);
}

void CCorvaneDlg::OnSearchFinished(int setUpResult) {
    if (setUpResult != kSocketsReady) {
        std::string text;
        Tool::SocketErrorText(setUpResult + 8, text);
        ShowTipText(this, QString::fromStdString(text), false, kTipIconStop);
    }
    m_band->SetCount(m_session->DeviceCount());
    m_band->SetSearching(false);
}

void CCorvaneDlg::OnQuit() {
    // The exit waits for what a search waits for: a search, or whatever
    // holds records.
    if (const char* refusal = m_session->SearchRefusal()) {
        ShowTip(this, refusal, false, kTipIconInformation);
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
    // A maximised window stays where it is: dragging it would carry Quit,
    // MAX and the strip off the screen. Double click or MAX restores it.
    if (!m_maximized && event->position().y() <= TitleBand::kHeight && m_drag.Begin(*this, *event)) {
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
    for (const PageSlot& slot : m_pages) {
        slot.page->OnRelayout();
    }
}
