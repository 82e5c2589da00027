#include "screenshots_preview.h"

#include "app/corvane_dlg.h"
#include "devlist/dlg_preview.h"
#include "devlist/open_preview.h"
#include "devlist/preview_view.h"
#include "sdk/sdk.h"
#include "session/device_session.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <cstdio>
#include <cstdlib>

bool RenderPreviewScreenshot(CCorvaneDlg& window, const QString& out,
                             const std::function<void(bool ok, const char* what)>& check) {
    const DeviceEntry* device = nullptr;
    for (const auto& [mac, entry] : window.Session().Devices()) {
        if (entry.ip == "10.77.16.1") {
            device = &entry;
        }
    }
    check(device != nullptr, "preview: the lab's device 10.77.16.1 was found");
    if (device == nullptr) {
        return false;
    }
    unsigned char info[48] = {};
    int error = 0;
    const int login =
        SDK_Login(device->ip.c_str(), device->tcpPort, "admin", "admin0001", info, &error, 0, 0);
    check(login > 0, "preview: logged in to 10.77.16.1");
    if (login <= 0) {
        return false;
    }
    CDlgPreview preview(&window, login, QString::fromStdString(device->ip), 2);
    preview.setGeometry(PreviewRectangle(window.frameGeometry()));
    preview.Start();
    preview.show();
    QElapsedTimer clock;
    clock.start();
    // A few pictures in, so the one shown is an ordinary one of the stream.
    while (preview.Video()->PaintedPictures() < 5 && clock.elapsed() < 15000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    const bool painted = preview.Video()->PaintedPictures() >= 5;
    check(painted, "preview: pictures of the main stream are painted");
    const QPixmap shot = preview.grab();
    const bool saved = shot.save(out + "/preview.png", "PNG");
    std::printf("%s %s/preview.png (%dx%d)\n", saved ? "wrote" : "FAILED to write", qPrintable(out),
                shot.width(), shot.height());
    const QImage image = shot.toImage();
    check(image.pixelColor(200, 30) == QColor(0x31, 0x31, 0x31), "preview: the band is 0x313131");
    const QRect video = preview.Video()->geometry();
    const QRect picture =
        PreviewView::FittedRect(preview.Video()->Picture().size(), QRect(QPoint(), video.size()));
    check(std::abs(picture.width() * 9 - picture.height() * 16) <= 16,
          "preview: the picture keeps its 16:9 aspect ratio");
    // 1030 x 615 of video area: the 16:9 picture fills the width, bars above and below.
    check(picture.width() == video.width() && picture.height() < video.height(),
          "preview: the picture fills the video area's width");
    check(image.pixelColor(500, video.top() + 2) == QColor(Qt::black) &&
              image.pixelColor(500, video.bottom() - 2) == QColor(Qt::black),
          "preview: black bars above and below the picture");
    check(image.pixelColor(10 + 16, 9 + 16) != QColor(0x31, 0x31, 0x31), "preview: the icon is shown");
    preview.close();
    SDK_Logout(login);
    return painted;
}
