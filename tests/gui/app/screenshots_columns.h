#pragma once
// The device list with columns fitted to their texts, for the screenshot tool.
#include <QString>

class CCorvaneDlg;

// Writes device-list-fitted-columns.png: the device list page after a double
// click fit of the cloud id and device time columns (a hidden one stays hidden). The widths are put back
// afterwards, so the other pictures show the default layout.
void RenderFittedColumnsShot(CCorvaneDlg& window, const QString& out);
