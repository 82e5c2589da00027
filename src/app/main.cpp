// corvane: the desktop program.
#include "app/corvane_app.h"
#include "app/corvane_dlg.h"
#include "app/title_band.h"
#include "platform/memory.h"
#include "platform/paths.h"
#include "settings/dlg_setting.h"
#include "ui/app_style.h"
#include "ui/skin_button.h"

#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

// A check of an installed program, for the package test only: with
// CORVANE_STARTUP_PROBE set, once the main window is up the program prints
// the language in effect ("language=INDEX search=CAPTION"); when the value
// names a language of the selector, it chooses it in the settings window as
// a user would, prints again, and closes. "report" only prints and closes.
void ProbeWhenTheWindowIsUp(const QString& probe, int attemptsLeft) {
    CCorvaneDlg* window = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* candidate = qobject_cast<CCorvaneDlg*>(widget);
            candidate != nullptr && candidate->isVisible()) {
            window = candidate;
        }
    }
    if (window == nullptr) {
        if (attemptsLeft == 0) {
            std::fprintf(stderr, "corvane: the main window did not appear\n");
            std::exit(3);
        }
        QTimer::singleShot(100, [probe, attemptsLeft] { ProbeWhenTheWindowIsUp(probe, attemptsLeft - 1); });
        return;
    }
    const auto report = [window] {
        std::printf("language=%d search=%s\n", window->Config().LanguageIndex,
                    window->Band()->search->Caption().toUtf8().constData());
        std::fflush(stdout);
    };
    report();
    if (probe != QStringLiteral("report")) {
        window->OpenSettings();
        auto* list = window->SettingWindow()->findChild<QComboBox*>("languageList");
        auto* ok = window->SettingWindow()->findChild<CxSkinButton*>("okButton");
        const int index = list != nullptr ? list->findText(probe) : -1;
        if (index < 0 || ok == nullptr) {
            std::fprintf(stderr, "corvane: no language \"%s\" in the settings\n", probe.toUtf8().constData());
            std::exit(3);
        }
        list->setCurrentIndex(index);
        ok->click();
        report();
    }
    window->done(0);
}

} // namespace

int main(int argc, char** argv) {
    // Batches hold firmware images of megabytes: such blocks go back to the
    // system when freed instead of growing the heaps (platform/memory.h).
    KeepLargeBlocksSeparate();
    QApplication application(argc, argv);
    QApplication::setStyle(new CorvaneStyle(QApplication::style()->name()));
    if (const char* probe = std::getenv("CORVANE_STARTUP_PROBE"); probe != nullptr && probe[0] != '\0') {
        const QString name = QString::fromUtf8(probe);
        QTimer::singleShot(0, [name] { ProbeWhenTheWindowIsUp(name, 200); });
    }
    CCorvaneApp app(GetProgramFolder());
    app.InitInstance();
    return 0;
}
