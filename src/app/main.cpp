// corvane: the desktop program.
#include "app/corvane_app.h"
#include "platform/memory.h"
#include "platform/paths.h"
#include "ui/app_style.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Batches hold firmware images of megabytes: such blocks go back to the
    // system when freed instead of growing the heaps (platform/memory.h).
    KeepLargeBlocksSeparate();
    // A batch's many short threads share the heaps instead of leaving one each.
    ShareAllocatorHeaps();
    QApplication application(argc, argv);
    QApplication::setStyle(new CorvaneStyle(QApplication::style()->name()));
    CCorvaneApp app(GetProgramFolder());
    app.InitInstance();
    return 0;
}
