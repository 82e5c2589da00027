#include "screenshots_columns.h"

#include "app/corvane_dlg.h"
#include "app/page_table.h"
#include "devlist/device_columns.h"
#include "devlist/dlg_dev_info.h"
#include "ui/color_list_ctrl.h"

#include <QApplication>
#include <QPixmap>
#include <QScrollBar>
#include <cstdio>

void RenderFittedColumnsShot(CCorvaneDlg& window, const QString& out) {
    CMyColorListCtrlEx* list = window.DevInfoPage()->List();
    const int columns[] = {kColCloud, kColDevTime};
    int before[2] = {};
    for (int i = 0; i < 2; ++i) {
        before[i] = list->GetColumnWidth(columns[i]);
        list->FitColumnToContents(columns[i]);
    }
    window.ShowPage(kPageDevInfo);
    // The fitted columns are right of the window's width: scroll them in.
    list->horizontalScrollBar()->setValue(list->Header()->sectionPosition(kColVersion));
    QApplication::processEvents();
    const QString path = out + "/device-list-fitted-columns.png";
    const bool saved = window.grab().save(path, "PNG");
    std::printf("%s %s (cloud id %d px, device time %d px)\n", saved ? "wrote" : "FAILED to write",
                qPrintable(path), list->GetColumnWidth(kColCloud), list->GetColumnWidth(kColDevTime));
    for (int i = 0; i < 2; ++i) {
        list->SetColumnWidth(columns[i], before[i]);
    }
    list->horizontalScrollBar()->setValue(0);
}
