// The settings window on its own: only the page on view is applied, each
// page shows what it holds, and Cancel keeps what the user left there. Runs
// in a namespace with two links: veth-t0 (10.253.0.1/24) and
// enx00e04c6801ab (192.168.77.10/24).
#include "app/corvane_dlg.h"
#include "config/app_config.h"
#include "program_folder.h"
#include "session/device_session.h"
#include "settings/dlg_set_dev_info.h"
#include "settings/dlg_set_language.h"
#include "settings/dlg_setting.h"
#include "ui/skin_button.h"
#include "ui/tree_ctrl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

namespace {

AppConfig BaseConfig() {
    AppConfig config;
    config.LanguageIndex = 0;
    config.LanguageChoices = {{"eng", "English"}, {"Ge", "Deutsch"}, {"", ""}, {"xx", "Unknown"}};
    config.DevInfoMask = 0x23FF;
    config.ShowModel = true;
    config.PeriodChoices = {1, 5, 10};
    config.PeriodicSearch = false;
    config.SearchPeriodMinutes = 5;
    config.AppName = "Corvane";
    config.Version = "1.0.0";
    config.ReleaseText = "2026-12-08  12:00:00";
    return config;
}

constexpr const char* kUsbLink = "enx00e04c6801ab";

// The row of the interface list whose text starts with name, nullptr when none.
QListWidgetItem* Row(QListWidget* list, const QString& name) {
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->text().startsWith(name + "  ")) {
            return list->item(i);
        }
    }
    return nullptr;
}

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void languageEntriesMatchPackFilesWithoutCase();
    void onlyThePageOnViewIsApplied();
    void columnsPageSendsOnlyChanges();
    void withoutModelsTheBoxesCloseUp();
    void cancelKeepsThePageAndTheChoices();
    void emptyPeriodListDisablesPeriodicSearch();
    void rootItemSwitchesNothing();
    void treeMarksThePageOnViewAtEveryOpening();
    void interfaceListShowsThisPcAndKeepsAbsentChoices();
    void chosenInterfacesReachTheConfigurationFileAndSession();

private:
    void View(CDlgSetting& setting, int kind) {
        setting.findChild<CMyTreeCtrl*>("settingTree")->setCurrentItem(setting.TreeItemOfKind(kind));
    }
    void Ok(CDlgSetting& setting) {
        QTest::mouseClick(setting.findChild<CxSkinButton*>("okButton"), Qt::LeftButton);
    }
};

void SettingsTest::languageEntriesMatchPackFilesWithoutCase() {
    QCOMPARE(LanguageIndexOfFile("eng"), 0);
    QCOMPARE(LanguageIndexOfFile("CHS"), 1);
    QCOMPARE(LanguageIndexOfFile("cht"), 2);
    QCOMPARE(LanguageIndexOfFile("thai"), 25);
    QCOMPARE(LanguageIndexOfFile("xx"), 26);
    QCOMPARE(LanguageIndexOfFile(""), 26);

    CDlgSetting setting(nullptr, BaseConfig());
    setting.show();
    auto* list = setting.findChild<QComboBox*>("languageList");
    QCOMPARE(list->count(), 4);
    QCOMPARE(list->currentText(), QString("English"));
    QCOMPARE(list->itemData(1).toInt(), 8);
    QCOMPARE(list->itemData(3).toInt(), 26);
    // An entry that matches no language is never applied.
    QSignalSpy languages(&setting, &CDlgSetting::LanguageChosen);
    list->setCurrentIndex(3);
    Ok(setting);
    QCOMPARE(languages.count(), 0);
}

void SettingsTest::onlyThePageOnViewIsApplied() {
    CDlgSetting setting(nullptr, BaseConfig());
    QSignalSpy languages(&setting, &CDlgSetting::LanguageChosen);
    QSignalSpy closed(&setting, &CDlgSetting::Closed);
    setting.show();
    setting.findChild<QComboBox*>("languageList")->setCurrentIndex(1);
    View(setting, kSettingAbout);
    Ok(setting);
    QCOMPARE(languages.count(), 0);
    QCOMPARE(closed.count(), 1);
    QVERIFY(!setting.isVisible());

    setting.show();
    View(setting, kSettingLanguage);
    setting.findChild<QComboBox*>("languageList")->setCurrentIndex(1);
    Ok(setting);
    QCOMPARE(languages.count(), 1);
    QCOMPARE(languages[0][0].toInt(), 8);
    // The same language again: nothing.
    setting.show();
    setting.findChild<QComboBox*>("languageList")->setCurrentIndex(1);
    Ok(setting);
    QCOMPARE(languages.count(), 1);
}

void SettingsTest::columnsPageSendsOnlyChanges() {
    AppConfig config = BaseConfig();
    config.DevInfoMask = 0x27FE; // device time shown, bit 0 as the boxes give it back
    CDlgSetting setting(nullptr, config);
    QSignalSpy masks(&setting, &CDlgSetting::ColumnMaskChosen);
    setting.show();
    View(setting, kSettingColumns);
    auto* page = static_cast<CDlgSetDevInfo*>(setting.PageOfKind(kSettingColumns));
    QVERIFY(page->BoxOfBit(10)->isChecked());
    QVERIFY(!page->BoxOfBit(2)->isEnabled());
    QVERIFY(!page->BoxOfBit(13)->isEnabled());
    QVERIFY(page->BoxOfBit(10)->isEnabled());
    QTest::mouseClick(page->BoxOfBit(10), Qt::LeftButton, {}, QPoint(8, 11));
    Ok(setting);
    QCOMPARE(masks.count(), 1);
    QCOMPARE(masks[0][0].toUInt(), 0x27FEU & ~0x400U);
    setting.show();
    Ok(setting);
    QCOMPARE(masks.count(), 1);
}

void SettingsTest::withoutModelsTheBoxesCloseUp() {
    AppConfig withModel = BaseConfig();
    CDlgSetting shown(nullptr, withModel);
    shown.show();
    View(shown, kSettingColumns);
    auto* full = static_cast<CDlgSetDevInfo*>(shown.PageOfKind(kSettingColumns));
    const QRect modelPlace = full->BoxOfBit(8)->geometry();
    const QRect cloudPlace = full->BoxOfBit(9)->geometry();
    const QRect startPlace = full->BoxOfBit(11)->geometry();

    AppConfig noModel = BaseConfig();
    noModel.ShowModel = false;
    CDlgSetting setting(nullptr, noModel);
    setting.show();
    View(setting, kSettingColumns);
    auto* page = static_cast<CDlgSetDevInfo*>(setting.PageOfKind(kSettingColumns));
    QVERIFY(page->BoxOfBit(8)->isHidden());
    QCOMPARE(page->BoxOfBit(9)->geometry(), modelPlace);
    QCOMPARE(page->BoxOfBit(11)->geometry(), cloudPlace);
    QCOMPARE(page->BoxOfBit(13)->geometry(), startPlace);
    QCOMPARE(page->BoxOfBit(10)->geometry(), full->BoxOfBit(10)->geometry());
}

void SettingsTest::cancelKeepsThePageAndTheChoices() {
    CDlgSetting setting(nullptr, BaseConfig());
    QSignalSpy params(&setting, &CDlgSetting::SearchParamsChosen);
    setting.show();
    View(setting, kSettingSearch);
    auto* check = setting.findChild<QCheckBox*>("periodicCheck");
    auto* periods = setting.findChild<QComboBox*>("periodList");
    QVERIFY(!check->isChecked());
    QVERIFY(!periods->isEnabled());
    QCOMPARE(periods->currentText(), QString("5"));
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, 11));
    QVERIFY(periods->isEnabled());
    periods->setCurrentIndex(2);
    emit periods->activated(2);
    QTest::mouseClick(setting.CloseButton(), Qt::LeftButton);
    QVERIFY(!setting.isVisible());
    QCOMPARE(params.count(), 0);

    setting.show();
    QCOMPARE(setting.CurrentPage(), int(kSettingSearch));
    QVERIFY(check->isChecked());
    QCOMPARE(periods->currentText(), QString("10"));
    Ok(setting);
    QCOMPARE(params.count(), 1);
    QCOMPARE(params[0][0].toBool(), true);
    QCOMPARE(params[0][1].toInt(), 10);
    // Escape and Return close nothing.
    setting.show();
    QTest::keyClick(&setting, Qt::Key_Escape);
    QTest::keyClick(&setting, Qt::Key_Return);
    QVERIFY(setting.isVisible());
}

void SettingsTest::emptyPeriodListDisablesPeriodicSearch() {
    AppConfig config = BaseConfig();
    config.PeriodChoices.clear();
    config.PeriodicSearch = true;
    CDlgSetting setting(nullptr, config);
    QSignalSpy params(&setting, &CDlgSetting::SearchParamsChosen);
    setting.show();
    View(setting, kSettingSearch);
    auto* check = setting.findChild<QCheckBox*>("periodicCheck");
    QVERIFY(!check->isEnabled());
    QVERIFY(!check->isChecked());
    Ok(setting);
    QCOMPARE(params.count(), 1);
    QCOMPARE(params[0][0].toBool(), false);
    QCOMPARE(params[0][1].toInt(), 0);
}

void SettingsTest::rootItemSwitchesNothing() {
    CDlgSetting setting(nullptr, BaseConfig());
    setting.show();
    View(setting, kSettingAbout);
    QCOMPARE(setting.CurrentPage(), int(kSettingAbout));
    auto* tree = setting.findChild<CMyTreeCtrl*>("settingTree");
    tree->setCurrentItem(tree->topLevelItem(0));
    QCOMPARE(setting.CurrentPage(), int(kSettingAbout));
    QVERIFY(setting.PageOfKind(kSettingAbout)->isVisible());
    QVERIFY(!setting.PageOfKind(kSettingLanguage)->isVisible());
}

void SettingsTest::treeMarksThePageOnViewAtEveryOpening() {
    CDlgSetting setting(nullptr, BaseConfig());
    auto* tree = setting.findChild<CMyTreeCtrl*>("settingTree");
    setting.ShowCentredOver(QRect(0, 0, 1090, 700));
    QVERIFY(QTest::qWaitForWindowExposed(&setting));
    QCOMPARE(tree->currentItem(), setting.TreeItemOfKind(kSettingLanguage));
    QVERIFY(tree->currentItem()->isSelected());
    View(setting, kSettingColumns);
    setting.OnCancel();
    setting.ShowCentredOver(QRect(0, 0, 1090, 700));
    QVERIFY(QTest::qWaitForWindowExposed(&setting));
    QCOMPARE(tree->currentItem(), setting.TreeItemOfKind(kSettingColumns));
    QVERIFY(!tree->topLevelItem(0)->isSelected());
    // A page chosen from outside the tree is marked there too.
    setting.SelectPage(kSettingAbout);
    QCOMPARE(tree->currentItem(), setting.TreeItemOfKind(kSettingAbout));
}

void SettingsTest::interfaceListShowsThisPcAndKeepsAbsentChoices() {
    AppConfig config = BaseConfig();
    config.SearchInterfaces = {kUsbLink, "usb0"};
    CDlgSetting setting(nullptr, config);
    QSignalSpy chosen(&setting, &CDlgSetting::SearchInterfacesChosen);
    setting.show();
    View(setting, kSettingSearch);
    auto* list = setting.findChild<QListWidget*>("interfaceList");
    QCOMPARE(list->count(), 3);
    QListWidgetItem* wired = Row(list, "veth-t0");
    QListWidgetItem* usb = Row(list, kUsbLink);
    QListWidgetItem* away = Row(list, "usb0");
    QVERIFY(wired && usb && away);
    QCOMPARE(wired->text(), QString("veth-t0  10.253.0.1/24"));
    QCOMPARE(usb->text(), QString("enx00e04c6801ab  192.168.77.10/24"));
    QVERIFY(!away->text().contains('/'));
    QCOMPARE(wired->checkState(), Qt::Unchecked);
    QCOMPARE(usb->checkState(), Qt::Checked);
    QCOMPARE(away->checkState(), Qt::Checked);
    QVERIFY(away->foreground() != usb->foreground());

    // Unticking the absent one forgets it; the last tick cannot go.
    away->setCheckState(Qt::Unchecked);
    usb->setCheckState(Qt::Unchecked);
    QCOMPARE(usb->checkState(), Qt::Checked);
    // Cancel applies nothing.
    setting.OnCancel();
    QCOMPARE(chosen.count(), 0);

    setting.show();
    Ok(setting);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen[0][0].toStringList(), QStringList{kUsbLink});
    // Shown again: the forgotten one is gone; ticking every row is every interface.
    setting.show();
    QCOMPARE(list->count(), 2);
    Row(list, "veth-t0")->setCheckState(Qt::Checked);
    Ok(setting);
    QCOMPARE(chosen.count(), 2);
    QVERIFY(chosen[1][0].toStringList().isEmpty());
    setting.show();
    Ok(setting);
    QCOMPARE(chosen.count(), 2);
}

void SettingsTest::chosenInterfacesReachTheConfigurationFileAndSession() {
    TestProgramFolder folder;
    folder.SetConfig("SEARCH_CFG", "Interfaces", "usb0");
    MainWindowOptions options;
    options.programFolder = folder.Path();
    options.searchTiming.phaseMs = 100;
    options.searchTiming.resendMs = 20;
    CCorvaneDlg window(options);
    window.OnInitDialog();
    window.OpenSettings();
    CDlgSetting* setting = window.SettingWindow();
    View(*setting, kSettingSearch);
    auto* list = setting->findChild<QListWidget*>("interfaceList");
    QCOMPARE(list->count(), 3);
    QCOMPARE(Row(list, "veth-t0")->checkState(), Qt::Unchecked);
    QCOMPARE(Row(list, "usb0")->text(), QString("usb0  (not present)"));
    Row(list, kUsbLink)->setCheckState(Qt::Checked);
    Row(list, "usb0")->setCheckState(Qt::Unchecked);
    Ok(*setting);
    const std::vector<std::string> usbOnly = {kUsbLink};
    QCOMPARE(window.Config().SearchInterfaces, usbOnly);
    QCOMPARE(folder.GetConfig("SEARCH_CFG", "Interfaces"), std::string(kUsbLink));
    QCOMPARE(window.Session().SearchSettings().interfaceNames, usbOnly);
    QCOMPARE(window.Session().SearchSettings().timing.phaseMs, int64_t{100});
    QTRY_VERIFY(!window.IsSearching());
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
