#include "screenshots_diagnostics.h"

#include "app/corvane_dlg.h"
#include "devlist/device_columns.h"
#include "devlist/dlg_dev_info.h"
#include "lang/language_table.h"
#include "session/device_session.h"
#include "text_overflow.h"
#include "ui/color_list_ctrl.h"

#include <QApplication>
#include <QPainter>
#include <QToolTip>
#include <cstdio>

namespace {

constexpr int kArabic = 20;
constexpr int kSceneRows = 5;

// The tool tip a row shows, grabbed as it appears on screen.
QPixmap ToolTipOf(CMyColorListCtrlEx& list, int row) {
    const QModelIndex cell = list.Model()->index(row, kColIp);
    const QString text = list.Model()->data(cell, Qt::ToolTipRole).toString();
    QToolTip::showText(list.viewport()->mapToGlobal(list.visualRect(cell).center()), text, list.viewport());
    QApplication::processEvents();
    QPixmap picture;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->inherits("QTipLabel") && widget->isVisible()) {
            picture = widget->grab();
        }
    }
    QToolTip::hideText();
    return picture;
}

int Render(CCorvaneDlg& window, const QString& path, const std::vector<int>& rows) {
    CMyColorListCtrlEx* list = window.DevInfoPage()->List();
    list->selectionModel()->select(list->Model()->index(rows[0], 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QApplication::processEvents();
    const QPixmap shot = window.grab();
    std::vector<QPixmap> tips;
    int height = shot.height();
    for (const int row : {rows[1], rows[2], rows[3], rows[4]}) {
        tips.push_back(ToolTipOf(*list, row));
        height += tips.back().height() + 8;
    }
    QPixmap sheet(shot.width(), height);
    sheet.fill(QColor(64, 64, 64));
    QPainter painter(&sheet);
    painter.drawPixmap(0, 0, shot);
    int y = shot.height() + 8;
    for (const QPixmap& tip : tips) {
        painter.drawPixmap(
            QApplication::layoutDirection() == Qt::RightToLeft ? sheet.width() - tip.width() - 8 : 8, y, tip);
        y += tip.height() + 8;
    }
    painter.end();
    std::printf("%s %s\n", sheet.save(path, "PNG") ? "wrote" : "FAILED to write", qPrintable(path));
    int overflows = 0;
    for (const TextOverflow& found : FindTextOverflows("device-list-diagnostics", &window)) {
        std::printf("overflow %s: %s \"%s\" needs %d, has %d\n", qPrintable(found.window),
                    qPrintable(found.control), qPrintable(found.text), found.needed, found.available);
        ++overflows;
    }
    return overflows;
}

} // namespace

int RenderDiagnosticsShots(CCorvaneDlg& window, const QString& out) {
    CDlgDevInfo* page = window.DevInfoPage();
    CMyColorListCtrlEx* list = page->List();
    if (list->GetItemCount() < kSceneRows) {
        std::printf("FAIL diagnostics scene: fewer than %d devices\n", kSceneRows);
        return 1;
    }
    // The scene: rows 0 and 1 share an address, row 2's MAC also answered
    // from another, row 3 is outside the subnet, row 4's gateway is.
    std::vector<DeviceEntry*> records;
    std::vector<DeviceEntry> kept;
    QStringList keys;
    for (int row = 0; row < kSceneRows; ++row) {
        DeviceEntry* record = window.Session().FindRecord(DeviceKey(*page->EntryAt(row)));
        records.push_back(record);
        kept.push_back(*record);
        keys.push_back(QString::fromStdString(DeviceKey(*record)));
    }
    records[1]->ip = records[0]->ip;
    records[2]->otherAddresses = {"10.77.31.250"};
    records[3]->ip = "192.168.1.108";
    records[3]->gateway = "192.168.1.1";
    records[3]->mask = "255.255.255.0";
    records[4]->gateway = "10.99.0.1";
    records[4]->mask = "255.255.0.0";
    emit window.Session().DevicesChanged(keys);
    const uint32_t mask = page->ColumnMask();
    // Room for the interface column on the first screen.
    const uint32_t hidden =
        (1U << kColVersion) | (1U << kColCloud) | (1U << kColReleaseTime) | (1U << kColOnvifPort);
    page->OnColumnMask((mask & ~hidden) | (1U << kColInterface));
    const std::vector<int> rows{0, 1, 2, 3, 4};

    int overflows = Render(window, out + "/device-list-diagnostics.png", rows);
    window.OnLanguageMessage(kArabic);
    QApplication::processEvents();
    const QString pack = QString::fromStdString(LanguageTable[kArabic].File).section('.', 0, 0);
    overflows += Render(window, out + "/device-list-diagnostics-" + pack + ".png", rows);
    window.OnLanguageMessage(0);

    page->OnColumnMask(mask);
    for (int i = 0; i < kSceneRows; ++i) {
        *records[static_cast<std::size_t>(i)] = kept[static_cast<std::size_t>(i)];
    }
    emit window.Session().DevicesChanged(keys);
    list->clearSelection();
    QApplication::processEvents();
    std::printf("diagnostics pictures: %d overflow(s)\n", overflows);
    return overflows;
}
