#pragma once
// Opening the live preview of one device, for the device list's actions.
//
// Call it on the user-interface thread after LoginDevice has succeeded for
// entry (entry.loginHandle != 0). It lays a CDlgPreview of that device's
// stream (2 main, 3 sub) over mainWindow (the main window's rectangle inset
// by 30 left and right, 20 at the top, 15 at the bottom) and runs it
// modally; it returns when the user closes the preview, with 1. onClosed,
// when given, is called as the preview closes (the "preview closed" notice
// to the main window; nothing else happens on it).
//
// The login stays open afterwards. While the preview is up it counts as a
// running operation of session, so a periodic search (which would log the
// device out) skips its turn. entry is read at the start only: its address
// and login handle are copied.
#include "devlist/preview_sdk_calls.h"

#include <QRect>
#include <functional>

class DeviceSession;
class QWidget;
struct DeviceEntry;

int OpenPreview(QWidget* mainWindow, DeviceSession& session, DeviceEntry& entry, int stream,
                const std::function<void()>& onClosed = {}, const PreviewSdkCalls& sdk = PreviewSdkCalls());

// Where the preview is laid over the main window's outer rectangle.
QRect PreviewRectangle(const QRect& mainWindowFrame);
