#include "screenshots_capacity.h"

#include "app/corvane_dlg.h"
#include "app/page_table.h"
#include "capacity/channel_rows.h"
#include "capacity/dlg_capacity_calculator.h"
#include "capacity/dlg_channel_editor.h"
#include "lang/language_table.h"
#include "text_overflow.h"
#include "ui/color_list_ctrl.h"
#include "ui/skin_button.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <cstdio>
#include <set>

namespace {

int Check(bool ok, const char* what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
    return ok ? 0 : 1;
}

void Settle() {
    for (int i = 0; i < 3; ++i) {
        QApplication::processEvents();
    }
}

void Save(QWidget& widget, const QString& path) {
    const QPixmap picture = widget.grab();
    const bool saved = picture.save(path, "PNG");
    std::printf("%s %s (%dx%d)\n", saved ? "wrote" : "FAILED to write", qPrintable(path), picture.width(),
                picture.height());
}

// A few groups as a user would make them in the editor, some checked, and
// the four edits filled, so both results show a figure.
void FillPage(CDlgCapacityCalculator& page) {
    page.OpenEditor(false);
    CDlgChannelEditor& editor = *page.Editor();
    auto* resolutions = editor.findChild<QComboBox*>("resolutionList");
    auto* frameRates = editor.findChild<QComboBox*>("frameRateList");
    auto* bitRates = editor.findChild<QComboBox*>("bitRateList");
    auto* count = editor.findChild<QLineEdit*>("channelCount");
    struct Group {
        const char* resolution;
        bool ntsc;
        int frameRate;
        int quality;
        int channels;
    };
    const Group groups[] = {{"1080P", false, 25, 5, 8},
                            {"720P", false, 12, 3, 4},
                            {"4K", true, 30, 4, 2},
                            {"D1", false, 25, 2, 16},
                            {"5M", true, 15, 1, 1}};
    for (const Group& group : groups) {
        editor.findChild<QRadioButton*>(group.ntsc ? "ntscRadio" : "palRadio")->click();
        resolutions->setCurrentIndex(resolutions->findText(group.resolution));
        frameRates->setCurrentIndex(group.frameRate - 1);
        bitRates->setCurrentIndex(group.quality);
        count->setText(QString::number(group.channels));
        editor.Confirm();
    }
    editor.CloseButton()->click();
    ColorListModel* model = page.List()->Model();
    for (int row : {0, 1, 3}) {
        model->setData(model->index(row, kColCheck), Qt::Checked, Qt::CheckStateRole);
    }
    const std::pair<const char*, const char*> edits[] = {
        {"diskSizeEdit", "8000"}, {"diskHoursEdit", "24"}, {"daysEdit", "30"}, {"daysHoursEdit", "16"}};
    for (const auto& [name, value] : edits) {
        page.findChild<QLineEdit*>(name)->setText(value);
    }
}

QString PackOf(int index) {
    return QString::fromStdString(LanguageTable[static_cast<std::size_t>(index)].File).section('.', 0, 0);
}

// The page and the editor in both modes in the window's current language.
std::vector<TextOverflow> Render(CCorvaneDlg& window, CDlgCapacityCalculator& page, const QString& out,
                                 const QString& suffix) {
    Settle();
    Save(window, out + "/capacity-page" + suffix + ".png");
    std::vector<TextOverflow> found = FindTextOverflows("capacity-page", &page);
    CDlgChannelEditor& editor = *page.Editor();
    for (const bool modify : {false, true}) {
        page.OpenEditor(modify);
        Settle();
        const QString name = modify ? "capacity-editor-modify" : "capacity-editor-add";
        Save(editor, out + '/' + name + suffix + ".png");
        for (TextOverflow& overflow : FindTextOverflows(name, &editor)) {
            found.push_back(std::move(overflow));
        }
        editor.CloseButton()->click();
    }
    return found;
}

int CheckLook(CCorvaneDlg& window, CDlgCapacityCalculator& page) {
    int failures = 0;
    const QImage shot = page.grab().toImage();
    failures += Check(page.size() == QSize(window.width() - 60, window.height() - 60),
                      "capacity page fills the page area from (60, 60)");
    failures += Check(shot.pixelColor(15, page.height() - 15) == QColor(243, 245, 247),
                      "capacity list panel is RGB(243,245,247)");
    failures += Check(shot.pixelColor(page.width() - 325, 30) == QColor(243, 245, 247),
                      "capacity calculation panel is RGB(243,245,247)");
    failures +=
        Check(shot.pixelColor(page.width() - 310, 60) == QColor(255, 255, 255), "capacity blocks are white");
    auto* days = page.findChild<QLabel*>("daysResult");
    failures += Check(days->palette().color(QPalette::WindowText) == QColor(88, 109, 175) &&
                          days->font() == window.ResultFont(),
                      "capacity results in ResultFont and RGB(88,109,175)");
    failures += Check(days->text().section(' ', 0, 0).toInt() > 0, "capacity days result shows a figure");
    CDlgChannelEditor& editor = *page.Editor();
    page.OpenEditor(false);
    Settle();
    const QImage editorShot = editor.grab().toImage();
    failures += Check(editorShot.pixelColor(editor.width() / 2, 38) == QColor(49, 49, 49) &&
                          editorShot.pixelColor(editor.width() / 2, 41) == QColor(255, 255, 255),
                      "channel editor band is 40 px of RGB(49,49,49) over white");
    failures += Check(!window.isEnabled() && editor.isEnabled(), "channel editor disables the main window");
    editor.CloseButton()->click();
    failures +=
        Check(window.isEnabled() && !editor.isVisible(), "closing the editor enables the main window");
    return failures;
}

} // namespace

int CapacityScreenshots(CCorvaneDlg& window, const QString& out, const std::vector<int>& languages,
                        const std::string& programFolder) {
    auto* page = static_cast<CDlgCapacityCalculator*>(window.PageOf(kPageCapacity));
    const int previousPage = window.CurrentPageIndex();
    const int previousLanguage = window.Config().LanguageIndex;
    if (previousLanguage != 0) {
        window.OnLanguageMessage(0);
    }
    window.ShowPage(kPageCapacity);
    Settle();
    FillPage(*page);
    int failures = CheckLook(window, *page);

    std::set<QString> englishOverflows;
    std::vector<int> order{0};
    order.insert(order.end(), languages.begin(), languages.end());
    for (const int index : order) {
        if (window.Config().LanguageIndex != index) {
            window.OnLanguageMessage(index);
        }
        const QString pack = PackOf(index);
        const std::vector<TextOverflow> found =
            Render(window, *page, out, index == 0 ? QString() : '-' + pack);
        const PackKeyIndex keys(programFolder + "Config File/Lang/" + pack.toStdString() + ".lang");
        int faults = 0;
        for (const TextOverflow& overflow : found) {
            const QString control = overflow.window + ':' + overflow.control;
            if (index == 0) {
                englishOverflows.insert(control);
            }
            const bool layoutLimit = englishOverflows.count(control) != 0;
            faults += layoutLimit ? 0 : 1;
            std::printf("%s %s %s %s (%s) key=%s \"%s\" needs %d px, has %d\n", layoutLimit ? "note" : "FAIL",
                        qPrintable(pack), qPrintable(overflow.window), qPrintable(overflow.control),
                        qPrintable(overflow.kind), qPrintable(keys.KeyOf(overflow.text)),
                        qPrintable(overflow.text), overflow.needed, overflow.available);
        }
        std::printf("%s capacity: %zu overflow(s), %d where English fits\n", qPrintable(pack), found.size(),
                    faults);
        failures += faults;
    }
    if (window.Config().LanguageIndex != previousLanguage) {
        window.OnLanguageMessage(previousLanguage);
    }
    window.ShowPage(previousPage);
    Settle();
    return failures;
}
