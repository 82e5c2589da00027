// Copy: the clicked cell's text to the clipboard.
#include "devlist/device_actions.h"
#include "devlist/device_commands.h"
#include "ui/color_list_ctrl.h"

#include <QApplication>
#include <QClipboard>

void RunCopy(CDeviceActions& actions, int row, int column) {
    CMyColorListCtrlEx* list = actions.List();
    if (row < 0 || row >= list->GetItemCount()) {
        return;
    }
    QApplication::clipboard()->setText(list->GetItemText(row, column));
}
