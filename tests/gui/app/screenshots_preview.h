#pragma once
// The preview window's screenshot (see screenshot_main.cpp).
#include <QString>
#include <functional>

class CCorvaneDlg;

// Logs in to the lab's first generated device (10.77.16.1), opens the
// preview of its main stream over window and writes preview.png once a
// picture has been painted; reports each check through check. Returns false
// when no picture came.
bool RenderPreviewScreenshot(CCorvaneDlg& window, const QString& out,
                             const std::function<void(bool ok, const char* what)>& check);

// Logs in to the lab's first ONVIF-only camera through its link and writes
// its preview windows over RTSP: main and sub stream in English, the sub
// stream and the window while it connects in German (the language is
// restored afterwards).
bool RenderOnvifPreviewScreenshots(CCorvaneDlg& window, const QString& out,
                                   const std::function<void(bool ok, const char* what)>& check);
