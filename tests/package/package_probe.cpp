// The desktop program with a probe, for the package test: copied next to
// the installed programs of the unpacked package, it starts as the desktop
// program does (program folder, user configuration, language) and then
// checks the language switch as a user makes it.
//
//   corvane-package-probe LANGUAGE|report
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

// Once the main window is up: prints the language in effect
// ("language=INDEX search=CAPTION"); when the argument names a language of
// the selector, chooses it in the settings window as a user would, prints
// again, and closes. "report" only prints and closes.
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
    if (argc != 2) {
        std::fprintf(stderr, "usage: corvane-package-probe LANGUAGE|report\n");
        return 2;
    }
    KeepLargeBlocksSeparate();
    QApplication application(argc, argv);
    QApplication::setStyle(new CorvaneStyle(QApplication::style()->name()));
    const QString name = QString::fromUtf8(argv[1]);
    QTimer::singleShot(0, [name] { ProbeWhenTheWindowIsUp(name, 200); });
    CCorvaneApp app(GetProgramFolder());
    app.InitInstance();
    return 0;
}
