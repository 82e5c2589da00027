// corvane-screenshots: renders what a user sees to PNG files, offscreen.
//
//   corvane-screenshots OUTDIR
//
// Starts the real main window from the data tree next to this executable,
// waits for its first search to end, and writes:
//   main-window.png          the main window with the devices found
//   settings-<page>.png      the settings window on each of its four pages
//   tip.png                  a confirmation in the message dialog
//   help.png                 the help window
//   bitmaps.png              every bitmap resource, enlarged, with its id
// Then it checks the window against its specified sizes and colours and
// exits non-zero when one is off. Run it inside the device lab
// (scripts/screenshots does) so the search finds the simulated devices.
#include "app/corvane_dlg.h"
#include "app/title_band.h"
#include "devlist/dlg_dev_info.h"
#include "platform/paths.h"
#include "settings/dlg_setting.h"
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

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setStyle(new CorvaneStyle(QApplication::style()->name()));
    if (argc != 2) {
        std::fprintf(stderr, "usage: corvane-screenshots OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

    MainWindowOptions options;
    options.programFolder = GetProgramFolder();
    CCorvaneDlg window(options);
    window.OnInitDialog();
    window.show();
    WaitFor([&] { return window.IsSearching(); }, 3000);
    WaitFor([&] { return !window.IsSearching(); }, 20000);
    QApplication::processEvents();
    Save(window.grab(), out + "/main-window.png");

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
    const std::pair<int, const char*> pages[] = {{kSettingLanguage, "language"},
                                                 {kSettingSearch, "search"},
                                                 {kSettingColumns, "columns"},
                                                 {kSettingAbout, "about"}};
    for (const auto& [kind, name] : pages) {
        setting->findChild<CMyTreeCtrl*>("settingTree")->setCurrentItem(setting->TreeItemOfKind(kind));
        QApplication::processEvents();
        Save(setting->grab(), out + "/settings-" + name + ".png");
    }
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
    help.SetColours(QColor(49, 49, 49), QColor(255, 255, 255));
    help.SetPictures(window.LogoIcon(), QPixmap(QString::fromStdString(window.Config().HelpPicturePath)));
    help.Prepare();
    help.show();
    QApplication::processEvents();
    Save(help.grab(), out + "/help.png");
    Check(help.size() == QSize(640, 578), "help window is 640 x 578");
    help.hide();

    Save(BitmapSheet(), out + "/bitmaps.png");
    std::printf("%d check(s) failed\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
