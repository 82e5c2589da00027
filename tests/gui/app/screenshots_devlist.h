#pragma once
// The device list actions' pictures for the screenshot tool.
#include <QString>

class CCorvaneDlg;

// Writes, in English and in Arabic (language 20, right to left):
//   net-dialog-extended[-<pack>].png  net-dialog-short[-<pack>].png
//   login-dialog[-<pack>].png         model-dialog[-<pack>].png
//   device-menu[-<pack>].png          device-list-qr[-<pack>].png
// and reports the texts that overflow their controls in them. The window is
// left in English. Returns the number of overflows found.
int RenderDeviceListShots(CCorvaneDlg& window, const QString& out);
