// The click on a device row to its QR picture shown: the page's click
// handler (cloud id read, QR picture written and loaded) and the repaint of
// the picture, for devices with different cloud ids.
#include "qr_click_bench.h"

#include "devlist/device_columns.h"
#include "devlist/dlg_dev_info.h"
#include "session/device_session.h"
#include "ui/color_list_ctrl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

int QrClickBench(int argc, char** argv, int runs) {
    QApplication application(argc, argv);
    // The QR folder lives under the data home: a private one for the run.
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    DeviceSession session;
    for (int i = 0; i < 50; ++i) {
        DeviceEntry entry;
        entry.mac = "02-C7-8A-00-00-" + std::to_string(10 + i);
        entry.ip = "10.77.16." + std::to_string(1 + i);
        entry.cloudId = "CVN" + std::to_string(1000000007ULL * static_cast<unsigned>(i + 1)) + "ABCDEF";
        session.Devices()[entry.mac] = entry;
    }
    CDlgDevInfo page(nullptr, session, QFont(), false, 0x3FFF);
    page.resize(1030, 640);
    page.show();
    page.OnSearchEnd();
    QApplication::processEvents();
    CMyColorListCtrlEx* list = page.List();
    auto* picture = page.findChild<QLabel*>("qrPicture");
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const int row = i % list->GetItemCount();
        const QModelIndex cell = list->model()->index(row, kColMac);
        list->scrollTo(cell);
        QApplication::processEvents();
        const QPoint at = list->visualRect(cell).center();
        const qint64 before = picture->pixmap().cacheKey();
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        picture->repaint();
        ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        // Every click must have drawn a new picture, or it measured nothing.
        if (!picture->isVisible() || picture->pixmap().isNull() || picture->pixmap().cacheKey() == before) {
            std::fprintf(stderr, "no QR picture after a click on row %d\n", row);
            return 1;
        }
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("%-44s runs %3zu  min %8.2f ms  median %8.2f ms  max %8.2f ms  (target median < 20 ms: %s)\n",
                "click on a row to QR picture shown", ms.size(), ms.front(), median, ms.back(),
                median < 20 ? "met" : "MISSED");
    return 0;
}
