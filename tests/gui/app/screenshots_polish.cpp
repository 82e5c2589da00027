#include "screenshots_polish.h"

#include "app/corvane_dlg.h"
#include "app/dlg_main_menu.h"
#include "app/page_table.h"
#include "lang/language_table.h"
#include "operate/dlg_operate.h"
#include "settings/dlg_setting.h"
#include "text_overflow.h"
#include "ui/dlg_help.h"
#include "ui/tree_ctrl.h"

#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <set>

void ShowHelpLikeTheProgram(CDlgHelp& help, CCorvaneDlg& window) {
    help.SetColours(QColor(49, 49, 49), QColor(255, 255, 255));
    help.SetPictures(window.LogoIcon(), QPixmap(QString::fromStdString(window.Config().HelpPicturePath)));
    help.Prepare();
    help.show();
    QApplication::processEvents();
}

namespace {

constexpr int kPersian = 17;
constexpr int kArabic = 20;
constexpr int kHebrew = 23;

QString Pack(int index) {
    return QString::fromStdString(LanguageTable[static_cast<std::size_t>(index)].File).section('.', 0, 0);
}

void Save(const QPixmap& picture, const QString& path) {
    std::printf("%s %s (%dx%d)\n", picture.save(path, "PNG") ? "wrote" : "FAILED to write", qPrintable(path),
                picture.width(), picture.height());
}

void SwitchTo(CCorvaneDlg& window, int index) {
    window.OnLanguageMessage(index);
    QApplication::processEvents();
    QApplication::processEvents();
}

void Append(std::vector<TextOverflow>& to, std::vector<TextOverflow> from) {
    for (TextOverflow& one : from) {
        to.push_back(std::move(one));
    }
}

// Labels away from their partners in the main window, every settings page
// and every batch panel, in the language in effect.
std::vector<TextOverflow> DetachedLabels(CCorvaneDlg& window, const QString& out, int index, bool save) {
    std::vector<TextOverflow> found = FindDetachedLabels("main-window", &window);
    if (save) {
        Save(window.grab(), out + "/main-window-rtl-" + Pack(index) + ".png");
    }
    CDlgSetting* setting = window.SettingWindow();
    window.OpenSettings();
    for (const int kind : {kSettingLanguage, kSettingSearch, kSettingColumns, kSettingAbout}) {
        setting->SelectPage(kind);
        QApplication::processEvents();
        Append(found, FindDetachedLabels(QStringLiteral("settings-%1").arg(kind), setting));
        if (save && kind == kSettingLanguage) {
            Save(setting->grab(), out + "/settings-language-rtl-" + Pack(index) + ".png");
        }
    }
    setting->SelectPage(kSettingLanguage);
    setting->OnCancel();
    window.ShowPage(kPageOperate);
    if (auto* page = window.findChild<CDlgOperate*>("operatePage")) {
        for (const OperatePanel panel :
             {OperatePanel::Upgrade, OperatePanel::Configuration, OperatePanel::Password, OperatePanel::Port,
              OperatePanel::Reboot, OperatePanel::Readdress}) {
            page->ShowPanel(panel);
            QApplication::processEvents();
            Append(found,
                   FindDetachedLabels(QStringLiteral("operate-%1").arg(static_cast<int>(panel)), page));
        }
        page->ShowPanel(OperatePanel::Upgrade);
    }
    window.ShowPage(kPageDevInfo);
    QApplication::processEvents();
    return found;
}

// The strip's captions and the help legend, checked for overflow.
std::vector<TextOverflow> StripAndLegend(CCorvaneDlg& window, const QString& out, int index, bool saveStrip,
                                         bool saveHelp) {
    std::vector<TextOverflow> found = FindTextOverflows("strip", window.MainMenu());
    if (saveStrip) {
        Save(window.MainMenu()->grab(), out + "/strip-" + Pack(index) + ".png");
    }
    CDlgHelp help(&window);
    ShowHelpLikeTheProgram(help, window);
    Append(found, FindTextOverflows("help", &help));
    if (saveHelp) {
        Save(help.grab(), out + "/help-" + Pack(index) + ".png");
    }
    help.hide();
    return found;
}

// Prints the faults of one language; those English shows as well are notes.
int Report(int index, const std::vector<TextOverflow>& found, const std::set<QString>& english) {
    int faults = 0;
    for (const TextOverflow& one : found) {
        const bool inEnglish = english.count(one.window + ':' + one.control) != 0;
        faults += inEnglish ? 0 : 1;
        std::printf("%s %s %s %s (%s) \"%s\" %d px, allowed %d\n", inEnglish ? "note" : "FAIL",
                    qPrintable(Pack(index)), qPrintable(one.window), qPrintable(one.control),
                    qPrintable(one.kind), qPrintable(one.text), one.needed, one.available);
    }
    return faults;
}

} // namespace

int PolishScreenshots(CCorvaneDlg& window, const QString& out, const std::string& /*programFolder*/) {
    int faults = 0;
    SwitchTo(window, 0);
    std::set<QString> english;
    std::vector<TextOverflow> englishFound = DetachedLabels(window, out, 0, false);
    Append(englishFound, StripAndLegend(window, out, 0, true, false));
    for (const TextOverflow& one : englishFound) {
        english.insert(one.window + ':' + one.control);
    }
    faults += Report(0, englishFound, english);
    for (int index = 1; index < static_cast<int>(kLanguageCount); ++index) {
        SwitchTo(window, index);
        const bool rightToLeft = index == kPersian || index == kArabic || index == kHebrew;
        std::vector<TextOverflow> found =
            rightToLeft ? DetachedLabels(window, out, index, index != kPersian) : std::vector<TextOverflow>();
        const bool strip = index == 6 || index == 8;
        Append(found, StripAndLegend(window, out, index, strip, index == 8 || index == kArabic));
        const int languageFaults = Report(index, found, english);
        std::printf("%s: %zu fault(s) in the strip, the help legend%s; %d where English has none\n",
                    qPrintable(Pack(index)), found.size(), rightToLeft ? " and the labels' places" : "",
                    languageFaults);
        faults += languageFaults;
    }
    SwitchTo(window, 0);
    return faults;
}
