// The main window driven as a user drives it, against the simulator of the
// device lab (24 devices), on the offscreen platform.
#include "app/corvane_dlg.h"
#include "app/dlg_main_menu.h"
#include "app/title_band.h"
#include "devlist/dlg_dev_info.h"
#include "ini/ini_file.h"
#include "operate/dlg_operate.h"
#include "manual_clock.h"
#include "program_folder.h"
#include "session/device_session.h"
#include "session/search_scheduler.h"
#include "settings/dlg_set_dev_info.h"
#include "settings/dlg_setting.h"
#include "text_overflow.h"
#include "ui/color_list_ctrl.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/skin_button.h"
#include "ui/tree_ctrl.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidgetItem>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kLabDevices = 24;

MainWindowOptions FastOptions(const TestProgramFolder& folder) {
    MainWindowOptions options;
    options.programFolder = folder.Path();
    // Short phases: the lab's simulated devices answer within 200 ms.
    options.searchTiming.phaseMs = 600;
    options.searchTiming.resendMs = 60;
    options.searchTiming.pauseMs = 10;
    return options;
}

// The text a pack file gives a key (read straight from the file).
QString PackText(const TestProgramFolder& folder, const char* pack, const char* key) {
    return QString::fromStdString(ini::GetString(folder.Path() + "Config File/Lang/" + pack, "String", key));
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startupFindsTheLabDevices();
    void socketFailureIsToldAndLeavesAnEmptyList();
    void missingSkinPicturesLeaveNoLogo();
    void findAndAllOnTheFoundDevices();
    void periodicSearchFiresAndRestartsAsSpecified();
    void quitWhileSearchingShowsTheWaitNotice();
    void quitAsksAndOnlyOkCloses();
    void closingKeysCloseNothing();
    void maxTwiceRestoresTheExactGeometry();
    void stripSwitchesPages();
    void languageSwitchRetitlesEverythingAndIsSaved();
    void columnMaskHidesShowsAndSurvivesARestart();
    void rightToLeftTextsStayNextToWhatTheyLabel();

private:
    std::unique_ptr<CCorvaneDlg> Start(const MainWindowOptions& options);
    void WaitForSearchEnd(CCorvaneDlg& window);

    std::unique_ptr<TestProgramFolder> m_folder;
    QList<TipRequest> m_tips;
    int m_nextAnswer = kTipOk;
};

void MainWindowTest::init() {
    m_folder = std::make_unique<TestProgramFolder>();
    m_tips.clear();
    m_nextAnswer = kTipOk;
    CDlgTip::SetAnswerer([this](const TipRequest& request) {
        m_tips.append(request);
        return m_nextAnswer;
    });
}

void MainWindowTest::cleanup() {
    CDlgTip::SetAnswerer({});
    m_folder.reset();
}

std::unique_ptr<CCorvaneDlg> MainWindowTest::Start(const MainWindowOptions& options) {
    auto window = std::make_unique<CCorvaneDlg>(options);
    window->OnInitDialog();
    window->show();
    return window;
}

void MainWindowTest::WaitForSearchEnd(CCorvaneDlg& window) {
    QTRY_VERIFY_WITH_TIMEOUT(window.IsSearching(), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(!window.IsSearching(), 10000);
}

void MainWindowTest::startupFindsTheLabDevices() {
    auto window = Start(FastOptions(*m_folder));
    QCOMPARE(window->size(), QSize(1090, 700));
    // The window is named as the configuration writes the program's name.
    QCOMPARE(window->windowTitle(), QString::fromStdString(window->Config().AppName));
    QCOMPARE(window->windowTitle(), QString("Corvane"));
    // The first search is requested at start-up, without a click.
    WaitForSearchEnd(*window);
    QCOMPARE(window->DeviceCount(), kLabDevices);
    QCOMPARE(window->Band()->count->text(), QString::number(kLabDevices));
    CDlgDevInfo* page = window->DevInfoPage();
    QCOMPARE(page->List()->GetItemCount(), kLabDevices);
    QCOMPARE(page->findChild<QLabel*>("countLabel")->text(), QString::number(kLabDevices));
    // Rows in MAC order, each pointing at its device.
    for (int row = 1; row < page->List()->GetItemCount(); ++row) {
        QVERIFY(page->EntryAt(row - 1)->mac < page->EntryAt(row)->mac);
    }
    QVERIFY(m_tips.isEmpty());
}

void MainWindowTest::socketFailureIsToldAndLeavesAnEmptyList() {
    // Another program holds the reply port.
    const int blocker = ::socket(AF_INET, SOCK_DGRAM, 0);
    QVERIFY(blocker >= 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(5001);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    QCOMPARE(::bind(blocker, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    auto window = Start(FastOptions(*m_folder));
    WaitForSearchEnd(*window);
    ::close(blocker);
    QCOMPARE(m_tips.size(), 1);
    QCOMPARE(m_tips[0].text, LangText("info.socket_server_blind_fail"));
    QCOMPARE(m_tips[0].iconType, int(kTipIconStop));
    QCOMPARE(window->DeviceCount(), 0);
    QCOMPARE(window->DevInfoPage()->List()->GetItemCount(), 0);
    QCOMPARE(window->Band()->count->text(), QString("0"));
    // The flag is off again: Quit asks, it does not say a search runs.
    m_nextAnswer = kTipCancel;
    QTest::mouseClick(window->Band()->quit, Qt::LeftButton);
    QCOMPARE(m_tips.last().text, LangText("msg.Exit"));
    // The next search, with the port free again, finds the devices.
    QTest::mouseClick(window->Band()->search, Qt::LeftButton);
    WaitForSearchEnd(*window);
    QCOMPARE(window->DeviceCount(), kLabDevices);
}

void MainWindowTest::missingSkinPicturesLeaveNoLogo() {
    {
        auto window = Start(FastOptions(*m_folder));
        QCOMPARE(window->LogoIcon().size(), QSize(32, 32));
        QVERIFY(window->Band()->logo->isVisible());
        WaitForSearchEnd(*window);
    }
    QFile::remove(QString::fromStdString(m_folder->Path() + "Config File/Skin/Logo.ico"));
    QFile::remove(QString::fromStdString(m_folder->Path() + "Config File/Skin/Help.bmp"));
    auto window = Start(FastOptions(*m_folder));
    QVERIFY(window->LogoIcon().isNull());
    QVERIFY(!window->Band()->logo->isVisible());
    QVERIFY(window->windowIcon().isNull());
    WaitForSearchEnd(*window);
    QVERIFY(m_tips.isEmpty());
}

void MainWindowTest::findAndAllOnTheFoundDevices() {
    auto window = Start(FastOptions(*m_folder));
    WaitForSearchEnd(*window);
    CDlgDevInfo* page = window->DevInfoPage();
    const std::string firstIp = page->EntryAt(0)->ip;
    auto* edit = page->findChild<QLineEdit*>("findEdit");
    edit->setText(QString::fromStdString(firstIp));
    QTest::mouseClick(page->findChild<CxSkinButton*>("findButton"), Qt::LeftButton);
    QVERIFY(page->List()->GetItemCount() >= 1);
    QVERIFY(page->List()->GetItemCount() < kLabDevices);
    QVERIFY(!page->ShowsAll());
    QTest::mouseClick(page->findChild<CxSkinButton*>("allButton"), Qt::LeftButton);
    QCOMPARE(page->List()->GetItemCount(), kLabDevices);
    QVERIFY(page->ShowsAll());
}

void MainWindowTest::periodicSearchFiresAndRestartsAsSpecified() {
    m_folder->SetConfig("SEARCH_CFG", "Periodic_Search", "1");
    m_folder->SetConfig("SEARCH_CFG", "Sel_Time", "2");
    ManualClock clock;
    MainWindowOptions options = FastOptions(*m_folder);
    options.minuteMs = 1500; // the period: 2 "minutes" of 1.5 s
    options.clock = &clock;
    auto window = Start(options);
    QSignalSpy starts(&window->Session(), &DeviceSession::SearchStarted);
    QSignalSpy quietStarts(&window->Session(), &DeviceSession::QuietSearchStarted);
    SearchScheduler& scheduler = window->Session().Scheduler();
    QVERIFY(scheduler.PeriodicOn());
    QCOMPARE(scheduler.RemainingMs(), 3000);
    // The first search began with the window.
    QVERIFY(window->IsSearching());
    WaitForSearchEnd(*window);
    QCOMPARE(starts.count(), 0);

    // Not before the period is over...
    clock.Advance(2999);
    scheduler.Tick();
    QCOMPARE(quietStarts.count(), 0);
    // ...then quietly, and the next period begins.
    clock.Advance(1);
    scheduler.Tick();
    QCOMPARE(quietStarts.count(), 1);
    QCOMPARE(starts.count(), 0);
    QCOMPARE(scheduler.RemainingMs(), 3000);
    WaitForSearchEnd(*window);

    // The band's SEARCH does not restart the period...
    clock.Advance(2000);
    QTest::mouseClick(window->Band()->search, Qt::LeftButton);
    QVERIFY(window->IsSearching());
    QCOMPARE(scheduler.RemainingMs(), 1000);
    WaitForSearchEnd(*window);

    // ...the page's Search does.
    QTest::mouseClick(window->DevInfoPage()->findChild<CxSkinButton*>("searchButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(window->IsSearching(), 1000);
    QCOMPARE(scheduler.RemainingMs(), 3000);
    WaitForSearchEnd(*window);

    // Turning it off in the settings stops it and is saved.
    window->OnSearchParamsMessage(false, 2);
    QVERIFY(!scheduler.PeriodicOn());
    clock.Advance(10000);
    scheduler.Tick();
    QCOMPARE(quietStarts.count(), 1);
    QCOMPARE(m_folder->GetConfig("SEARCH_CFG", "Periodic_Search"), std::string("0"));
}

void MainWindowTest::quitWhileSearchingShowsTheWaitNotice() {
    MainWindowOptions options = FastOptions(*m_folder);
    options.searchTiming.phaseMs = 2000;
    auto window = Start(options);
    QTRY_VERIFY_WITH_TIMEOUT(window->IsSearching(), 3000);
    QTest::mouseClick(window->Band()->quit, Qt::LeftButton);
    QCOMPARE(m_tips.size(), 1);
    QCOMPARE(m_tips[0].text, LangText("info.Searching_wait"));
    QCOMPARE(m_tips[0].title, LangText("msg.Msg"));
    QCOMPARE(m_tips[0].iconType, int(kTipIconInformation));
    QVERIFY(!m_tips[0].twoButtons);
    QVERIFY(window->isVisible());
    // The SEARCH buttons take no clicks meanwhile.
    QVERIFY(!window->Band()->search->isEnabled());
    QCOMPARE(window->Band()->search->ForcedLook(), int(kLookDisabled));
    WaitForSearchEnd(*window);
    QVERIFY(window->Band()->search->isEnabled());
}

void MainWindowTest::quitAsksAndOnlyOkCloses() {
    auto window = Start(FastOptions(*m_folder));
    WaitForSearchEnd(*window);
    m_nextAnswer = kTipCancel;
    QTest::mouseClick(window->Band()->quit, Qt::LeftButton);
    QCOMPARE(m_tips.size(), 1);
    QCOMPARE(m_tips[0].text, LangText("msg.Exit"));
    QVERIFY(m_tips[0].twoButtons);
    QCOMPARE(m_tips[0].iconType, int(kTipIconQuestion));
    QVERIFY(window->isVisible());
    m_nextAnswer = kTipOk;
    QTest::mouseClick(window->Band()->quit, Qt::LeftButton);
    QVERIFY(!window->isVisible());
}

void MainWindowTest::closingKeysCloseNothing() {
    auto window = Start(FastOptions(*m_folder));
    WaitForSearchEnd(*window);
    for (QWidget* target : {static_cast<QWidget*>(window.get()), static_cast<QWidget*>(window->MainMenu()),
                            static_cast<QWidget*>(window->DevInfoPage()->List())}) {
        QTest::keyClick(target, Qt::Key_Escape);
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Enter);
    }
    QVERIFY(window->isVisible());
    QVERIFY(m_tips.isEmpty());
    QCOMPARE(window->DevInfoPage()->List()->GetItemCount(), kLabDevices);
}

void MainWindowTest::maxTwiceRestoresTheExactGeometry() {
    auto window = Start(FastOptions(*m_folder));
    WaitForSearchEnd(*window);
    window->move(37, 41);
    const QRect before = window->geometry();
    QTest::mouseClick(window->Band()->max, Qt::LeftButton);
    QVERIFY(window->IsMaximized());
    QCOMPARE(window->geometry(), QGuiApplication::primaryScreen()->availableGeometry());
    // The band follows the new width; the pages are laid out again.
    QCOMPARE(window->Band()->quit->x(), window->width() - 24);
    QTRY_COMPARE(window->DevInfoPage()->width(), window->width() - 60);
    // While maximised, a drag on the band does not move the window.
    const QRect maximised = window->geometry();
    QTest::mousePress(window.get(), Qt::LeftButton, {}, QPoint(500, 30));
    QMouseEvent move(QEvent::MouseMove, QPointF(700, 230), window->mapToGlobal(QPointF(700, 230)),
                     Qt::LeftButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(window.get(), &move);
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, QPoint(700, 230));
    QCOMPARE(window->geometry(), maximised);
    QTest::mouseClick(window->Band()->max, Qt::LeftButton);
    QVERIFY(!window->IsMaximized());
    QCOMPARE(window->geometry(), before);
    QCOMPARE(window->Band()->quit->x(), 1090 - 24);
    // A double click in the band toggles too.
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(500, 30));
    QVERIFY(window->IsMaximized());
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(500, 30));
    QCOMPARE(window->geometry(), before);
}

void MainWindowTest::stripSwitchesPages() {
    auto window = Start(FastOptions(*m_folder));
    WaitForSearchEnd(*window);
    CDlgMainMenu* strip = window->MainMenu();
    QTest::mouseClick(strip->ButtonOfPage(kPageOperate), Qt::LeftButton);
    QCOMPARE(window->CurrentPageIndex(), int(kPageOperate));
    QVERIFY(window->PageOf(kPageOperate)->isVisible());
    QVERIFY(!window->DevInfoPage()->isVisible());
    QCOMPARE(strip->ButtonOfPage(kPageOperate)->ForcedLook(), int(kLookDown));
    QCOMPARE(strip->ButtonOfPage(kPageDevInfo)->ForcedLook(), int(kLookNone));
    // A search ending while the batch page is on screen still fills the list.
    QTest::mouseClick(window->Band()->search, Qt::LeftButton);
    WaitForSearchEnd(*window);
    QTRY_COMPARE(window->DevInfoPage()->List()->GetItemCount(), kLabDevices);
    QTest::mouseClick(strip->ButtonOfPage(kPageDevInfo), Qt::LeftButton);
    QCOMPARE(window->CurrentPageIndex(), int(kPageDevInfo));
    QVERIFY(window->DevInfoPage()->isVisible());
    QVERIFY(!window->PageOf(kPageOperate)->isVisible());
    // SETTING opens the settings window and disables the main window until it closes.
    QTest::mouseClick(strip->SettingButton(), Qt::LeftButton);
    QVERIFY(window->SettingWindow()->isVisible());
    QVERIFY(!window->isEnabled());
    QCOMPARE(window->CurrentPageIndex(), int(kPageDevInfo));
    QTest::mouseClick(window->SettingWindow()->findChild<CxSkinButton*>("cancelButton"), Qt::LeftButton);
    QVERIFY(!window->SettingWindow()->isVisible());
    QVERIFY(window->isEnabled());
    QCOMPARE(strip->SettingButton()->ForcedLook(), int(kLookNone));
}

void MainWindowTest::languageSwitchRetitlesEverythingAndIsSaved() {
    auto window = Start(FastOptions(*m_folder));
    WaitForSearchEnd(*window);
    QCOMPARE(m_folder->GetConfig("LANGUAGE_CFG", "Default"), std::string("English"));
    window->OpenSettings();
    CDlgSetting* setting = window->SettingWindow();
    auto* list = setting->findChild<QComboBox*>("languageList");
    const int german = list->findText(QString::fromUtf8("Deutsch"));
    QVERIFY(german >= 0);
    list->setCurrentIndex(german);
    QTest::mouseClick(setting->findChild<CxSkinButton*>("okButton"), Qt::LeftButton);

    const auto de = [&](const char* key) { return PackText(*m_folder, "Ge.lang", key); };
    QVERIFY(de("tx.Search") != PackText(*m_folder, "eng.lang", "tx.Search"));
    QCOMPARE(window->Band()->search->Caption(), de("tx.Search"));
    QCOMPARE(window->Band()->countCaption->text(), de("tx.dev_num_descri"));
    QTRY_COMPARE(window->MainMenu()->ButtonOfPage(kPageDevInfo)->Caption(), de("menu.Dev_info"));
    CDlgDevInfo* page = window->DevInfoPage();
    QCOMPARE(page->findChild<CxSkinButton*>("findButton")->Caption(), de("tx.Find"));
    QCOMPARE(page->findChild<CxSkinButton*>("allButton")->Caption(), de("tx.All"));
    QCOMPARE(page->List()->Model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), de("ck.IP"));
    QCOMPARE(page->List()->GetItemText(0, 13), de("tx.unLogin"));
    QTRY_COMPARE(setting->TitleLabel()->text(), de("tx.Sys_set"));
    QCOMPARE(setting->TreeItemOfKind(kSettingAbout)->text(0), de("tx.About"));
    QCOMPARE(QString::fromStdString(m_folder->GetConfig("LANGUAGE_CFG", "Default")),
             QString::fromUtf8("Deutsch"));
    QCOMPARE(window->Config().LanguageIndex, 8);

    // Choosing the language in effect again sends nothing.
    window->OpenSettings();
    list->setCurrentIndex(german);
    QTest::mouseClick(setting->findChild<CxSkinButton*>("okButton"), Qt::LeftButton);
    QCOMPARE(window->Config().LanguageIndex, 8);

    // The choice is read back at the next start.
    window.reset();
    auto again = Start(FastOptions(*m_folder));
    QCOMPARE(again->Config().LanguageIndex, 8);
    QCOMPARE(again->Band()->search->Caption(), de("tx.Search"));
}

void MainWindowTest::columnMaskHidesShowsAndSurvivesARestart() {
    auto window = Start(FastOptions(*m_folder));
    WaitForSearchEnd(*window);
    CDlgDevInfo* page = window->DevInfoPage();
    QVERIFY(!page->List()->isColumnHidden(3));
    QVERIFY(page->List()->isColumnHidden(10));

    window->OpenSettings();
    CDlgSetting* setting = window->SettingWindow();
    setting->findChild<CMyTreeCtrl*>("settingTree")->setCurrentItem(setting->TreeItemOfKind(kSettingColumns));
    auto* columns = static_cast<CDlgSetDevInfo*>(setting->PageOfKind(kSettingColumns));
    // Clicked on the box itself, left of the caption.
    QTest::mouseClick(columns->BoxOfBit(3), Qt::LeftButton, {}, QPoint(8, 11));  // type off
    QTest::mouseClick(columns->BoxOfBit(10), Qt::LeftButton, {}, QPoint(8, 11)); // device time on
    QVERIFY(!columns->BoxOfBit(1)->isEnabled());
    QTest::mouseClick(setting->findChild<CxSkinButton*>("okButton"), Qt::LeftButton);
    QVERIFY(page->List()->isColumnHidden(3));
    QVERIFY(!page->List()->isColumnHidden(10));
    QCOMPARE(page->List()->GetColumnWidth(10), 105);
    const uint32_t saved = static_cast<uint32_t>(std::stoul(m_folder->GetConfig("DEVINFO_CFG", "Dev_Info")));
    QCOMPARE(saved & 0x8U, 0U);
    QCOMPARE(saved & 0x400U, 0x400U);
    // A width dragged just before the program ends is not lost.
    page->List()->header()->resizeSection(10, 150);

    window.reset();
    auto again = Start(FastOptions(*m_folder));
    QCOMPARE(again->DevInfoPage()->List()->GetColumnWidth(10), 150);
    QVERIFY(again->DevInfoPage()->List()->isColumnHidden(3));
    QVERIFY(!again->DevInfoPage()->List()->isColumnHidden(10));
    // IP, MAC and login state are shown whatever the file says.
    QVERIFY(!again->DevInfoPage()->List()->isColumnHidden(1));
    QVERIFY(!again->DevInfoPage()->List()->isColumnHidden(13));
}

void MainWindowTest::rightToLeftTextsStayNextToWhatTheyLabel() {
    auto window = Start(FastOptions(*m_folder));
    WaitForSearchEnd(*window);
    window->OnLanguageMessage(20); // Arabic
    QTRY_COMPARE(window->Band()->countCaption->text(), PackText(*m_folder, "Ar.lang", "tx.dev_num_descri"));
    QVERIFY(window->Band()->countCaption->text().isRightToLeft());
    // The band's caption ends at the right edge of its box, against its
    // count, as in English; so does the device list page's.
    CDlgDevInfo* page = window->DevInfoPage();
    const std::pair<QLabel*, QLabel*> pairs[] = {
        {window->Band()->countCaption, window->Band()->count},
        {page->findChild<QLabel*>("countCaption"), page->findChild<QLabel*>("countLabel")}};
    for (const auto& [caption, count] : pairs) {
        QVERIFY(caption != nullptr && count != nullptr);
        const int inkEnd = caption->x() + InkColumns(caption).second + 1;
        QVERIFY2(caption->geometry().right() + 1 - inkEnd <= 4, qPrintable(caption->objectName()));
        QVERIFY(count->x() - inkEnd <= 10 && count->x() >= inkEnd);
    }
    // The settings title and the language caption start at the left like
    // the drop-down below the caption.
    window->OpenSettings();
    CDlgSetting* setting = window->SettingWindow();
    QTRY_VERIFY(setting->isVisible());
    QVERIFY(InkColumns(setting->TitleLabel()).first <= 4);
    auto* languageCaption = setting->findChild<QLabel*>("switchLangLabel");
    auto* list = setting->findChild<QComboBox*>("languageList");
    QVERIFY(std::abs(languageCaption->x() + InkColumns(languageCaption).first - list->x()) <= 4);
    setting->OnCancel();
}

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
