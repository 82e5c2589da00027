// corvane-screenshots: renders what a user sees to PNG files, offscreen.
//
//   corvane-screenshots OUTDIR [--lang INDEX...]
//
// Starts the real main window from the data tree next to this executable,
// waits for its first search to end, and writes, in English:
//   main-window.png          the main window with the devices found
//   settings-<page>.png      the settings window on each of its four pages
//   settings-interfaces.png  the search page with an interface that is away
//   tip.png                  a confirmation in the message dialog
//   help.png                 the help window
//   bitmaps.png              every bitmap resource, enlarged, with its id
// then, for each language INDEX of the language table, switches the window
// to it as the language page does and writes main-window-<pack>.png and
// settings-<page>-<pack>.png (<pack>: the pack's file name without ".lang").
// Every one of those windows is checked for texts that overflow their
// controls; all overflows are listed. One that English shows in the same
// control is a limit of the layout and only reported; one where English
// fits is the pack's to shorten and fails the run.
// In all 26 languages, the title of every pop-up window and every button of
// the batch page must fit: any that does not fails the run.
// It also checks the window against its specified sizes and colours and
// exits non-zero when one is off. Run it inside the device lab
// (scripts/screenshots does) so the search finds the simulated devices.
#include "app/corvane_dlg.h"
#include "app/title_band.h"
#include "devlist/device_columns.h"
#include "devlist/dlg_dev_info.h"
#include "lang/language_table.h"
#include "program_folder.h"
#include "screenshots_capacity.h"
#include "screenshots_columns.h"
#include "screenshots_devlist.h"
#include "screenshots_diagnostics.h"
#include "screenshots_interfaces.h"
#include "screenshots_operate.h"
#include "screenshots_polish.h"
#include "screenshots_popups.h"
#include "screenshots_preview.h"
#include "settings/dlg_setting.h"
#include "text_overflow.h"
#include "ui/app_style.h"
#include "ui/color_list_ctrl.h"
#include "ui/dlg_help.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/skin_bitmaps.h"
#include "ui/skin_button.h"
#include "ui/tree_ctrl.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QTreeWidgetItem>
#include <cstdio>
#include <functional>
#include <set>
#include <string_view>
#include <vector>

namespace {

int g_failures = 0;

void Check(bool ok, const char* what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
    if (!ok) {
        ++g_failures;
    }
}

bool Save(const QPixmap& picture, const QString& path) {
    const bool saved = picture.save(path, "PNG");
    std::printf("%s %s (%dx%d)\n", saved ? "wrote" : "FAILED to write", qPrintable(path), picture.width(),
                picture.height());
    return saved;
}

void WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

QPixmap BitmapSheet() {
    const int ids[] = {132, 153, 154, 175, 176, 177, 178, 179, 180, 184, 185, 197, 198, 199, 200, 201, 202,
                       204, 205, 206, 208, 209, 211, 214, 215, 216, 217, 224, 236, 237, 240, 241, 242};
    const int cell = 140;
    const int columns = 6;
    const int count = static_cast<int>(std::size(ids));
    QPixmap sheet(columns * cell, ((count + columns - 1) / columns) * cell);
    sheet.fill(QColor(120, 120, 120));
    QPainter painter(&sheet);
    for (int i = 0; i < count; ++i) {
        const QPixmap bitmap = SkinBitmap(ids[i]);
        const QRect box((i % columns) * cell, (i / columns) * cell, cell, cell);
        const int scale =
            std::max(1, std::min(100 / std::max(1, bitmap.width()), 100 / std::max(1, bitmap.height())));
        const QSize size = bitmap.size() * scale;
        painter.drawPixmap(
            QRect(box.left() + (cell - size.width()) / 2, box.top() + 8, size.width(), size.height()),
            bitmap);
        painter.setPen(Qt::white);
        painter.drawText(box.adjusted(0, 0, 0, -6), Qt::AlignHCenter | Qt::AlignBottom,
                         QString::number(ids[i]));
    }
    return sheet;
}

// The pack's file name without ".lang": what the language's pictures are named with.
QString PackName(int index) {
    return QString::fromStdString(LanguageTable[static_cast<std::size_t>(index)].File).section('.', 0, 0);
}

// Saves the main window and the settings window on each page, with suffix
// in the file names, and returns every text overflow they show. A control
// the settings pages share is measured once.
std::vector<TextOverflow> RenderWindows(CCorvaneDlg& window, const QString& out, const QString& suffix) {
    QApplication::processEvents();
    Save(window.grab(), out + "/main-window" + suffix + ".png");
    std::vector<TextOverflow> found = FindTextOverflows("main-window", &window);
    // The columns the settings can switch on are measured at their own widths.
    CMyColorListCtrlEx* list = window.DevInfoPage()->List();
    for (TextOverflow& overflow :
         FindHiddenSectionOverflows("main-window", &window, list->Header(), [](int column) {
             return kDeviceColumns[static_cast<std::size_t>(column)].width;
         })) {
        found.push_back(std::move(overflow));
    }

    CDlgSetting* setting = window.SettingWindow();
    window.OpenSettings();
    const std::pair<int, const char*> pages[] = {{kSettingLanguage, "language"},
                                                 {kSettingSearch, "search"},
                                                 {kSettingColumns, "columns"},
                                                 {kSettingAbout, "about"}};
    std::set<QString> measured;
    for (const auto& [kind, name] : pages) {
        setting->findChild<CMyTreeCtrl*>("settingTree")->setCurrentItem(setting->TreeItemOfKind(kind));
        QApplication::processEvents();
        const QString picture = QStringLiteral("settings-") + name;
        Save(setting->grab(), out + '/' + picture + suffix + ".png");
        for (TextOverflow& overflow : FindTextOverflows(picture, setting)) {
            if (measured.insert(overflow.control).second) {
                found.push_back(std::move(overflow));
            }
        }
    }
    setting->OnCancel();
    for (TextOverflow& overflow : RenderInterfaceChoice(&window, window.Config(), out, suffix)) {
        found.push_back(std::move(overflow));
    }
    QApplication::processEvents();
    RenderOperatePage(window, out, suffix);
    return found;
}

// Lists the overflows of one language. Those in a control English also
// overflows are the layout's limit and only noted; the others fail.
void ReportOverflows(const QString& pack, const std::vector<TextOverflow>& found,
                     const std::set<QString>& englishOverflows, const std::string& programFolder) {
    const PackKeyIndex keys(programFolder + "Config File/Lang/" + pack.toStdString() + ".lang");
    int faults = 0;
    for (const TextOverflow& overflow : found) {
        const bool layoutLimit = englishOverflows.count(overflow.window + ':' + overflow.control) != 0;
        faults += layoutLimit ? 0 : 1;
        std::printf("%s %s %s %s (%s) key=%s \"%s\" needs %d px, has %d\n", layoutLimit ? "note" : "FAIL",
                    qPrintable(pack), qPrintable(overflow.window), qPrintable(overflow.control),
                    qPrintable(overflow.kind), qPrintable(keys.KeyOf(overflow.text)),
                    qPrintable(overflow.text), overflow.needed, overflow.available);
    }
    std::printf("%s: %zu overflow(s), %d where English fits\n", qPrintable(pack), found.size(), faults);
    g_failures += faults;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setStyle(new CorvaneStyle(QApplication::style()->name()));
    bool usage = argc < 2 || (argc > 2 && (argc == 3 || std::string_view(argv[2]) != "--lang"));
    std::vector<int> languages;
    for (int i = 3; i < argc && !usage; ++i) {
        bool number = false;
        const int index = QString::fromLocal8Bit(argv[i]).toInt(&number);
        usage = !number || index < 0 || index >= static_cast<int>(kLanguageCount);
        languages.push_back(index);
    }
    if (usage) {
        std::fprintf(stderr, "usage: corvane-screenshots OUTDIR [--lang INDEX...]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

    // A copy of the data tree of its own: the language switches below write
    // Config.ini, which tests running at the same time read.
    const TestProgramFolder programFolder;
    MainWindowOptions options;
    options.programFolder = programFolder.Path();
    CCorvaneDlg window(options);
    window.OnInitDialog();
    window.show();
    WaitFor([&] { return window.IsSearching(); }, 3000);
    WaitFor([&] { return !window.IsSearching(); }, 20000);
    // The English pictures come first.
    if (window.Config().LanguageIndex != 0) {
        window.OnLanguageMessage(0);
    }
    const std::vector<TextOverflow> english = RenderWindows(window, out, {});

    const QImage shot = window.grab().toImage();
    Check(window.size() == QSize(1090, 700), "main window is 1090 x 700");
    Check(shot.pixelColor(200, 5) == QColor(49, 49, 49), "title band is RGB(49,49,49)");
    Check(shot.pixelColor(30, 100) == QColor(228, 234, 244), "navigation strip is RGB(228,234,244)");
    TitleBand* band = window.Band();
    Check(band->quit->geometry() == QRect(1090 - 24, 6, 20, 20), "Quit at (W-24, 6) 20 x 20");
    Check(band->search->geometry() == QRect(1090 - 402, 12, 36, 36), "SEARCH at (W-402, 12) 36 x 36");
    Check(band->count->text().toInt() == window.DeviceCount(), "band count shows the device count");
    Check(window.DevInfoPage()->List()->GetItemCount() == window.DeviceCount(),
          "the list holds every device");
    std::printf("devices found: %d\n", window.DeviceCount());

    CDlgSetting* setting = window.SettingWindow();
    window.OpenSettings();
    QApplication::processEvents();
    Check(setting->grab().toImage().pixelColor(300, 10) == QColor(49, 49, 49),
          "settings band is RGB(49,49,49)");
    setting->OnCancel();

    CDlgTip tip(&window);
    tip.SetTip(LangText("msg.Exit"), LangText("msg.Msg"), true, true, kTipIconQuestion);
    tip.Prepare();
    tip.show();
    QApplication::processEvents();
    Save(tip.grab(), out + "/tip.png");
    const QImage tipShot = tip.grab().toImage();
    Check(tipShot.pixelColor(tip.width() / 2, 20) == QColor(49, 49, 49), "tip band is RGB(49,49,49)");
    Check(tipShot.pixelColor(4, tip.height() - 4) == QColor(243, 245, 247),
          "tip button strip is RGB(243,245,247)");
    tip.hide();

    CDlgHelp help(&window);
    ShowHelpLikeTheProgram(help, window);
    Save(help.grab(), out + "/help.png");
    Check(help.size() == QSize(640, 578), "help window is 640 x 578");
    help.hide();

    Save(BitmapSheet(), out + "/bitmaps.png");
    RenderDeviceListShots(window, out);
    RenderFittedColumnsShot(window, out);
    g_failures += RenderDiagnosticsShots(window, out);
    RenderPreviewScreenshot(window, out, Check);
    RenderOnvifPreviewScreenshots(window, out, Check);

    std::set<QString> englishOverflows;
    for (const TextOverflow& overflow : english) {
        englishOverflows.insert(overflow.window + ':' + overflow.control);
    }
    ReportOverflows(PackName(0), english, englishOverflows, options.programFolder);
    for (const int index : languages) {
        window.OnLanguageMessage(index);
        QApplication::processEvents();
        const QString pack = PackName(index);
        ReportOverflows(pack, RenderWindows(window, out, '-' + pack), englishOverflows,
                        options.programFolder);
    }
    g_failures += PolishScreenshots(window, out, options.programFolder);
    g_failures += PopupAndButtonChecks(window, out);
    g_failures += CapacityScreenshots(window, out, languages, options.programFolder);
    std::printf("%d check(s) failed\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
