// corvane: the desktop program.
#include "app/corvane_app.h"
#include "platform/paths.h"
#include "ui/app_style.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setStyle(new CorvaneStyle(QApplication::style()->name()));
    CCorvaneApp app(GetProgramFolder());
    app.InitInstance();
    return 0;
}
