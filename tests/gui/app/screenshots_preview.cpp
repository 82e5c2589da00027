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
    // The first device of the native family; a generated lab's device
    // 10.77.16.N has the password "admin" and N in four digits.
    const DeviceEntry* device = nullptr;
    for (const auto& [key, entry] : window.Session().Devices()) {
        if (device == nullptr && entry.families.Has(DeviceFamily::Native)) {
            device = &entry;
        }
    }
    check(device != nullptr, "preview: a native device of the lab was found");
    if (device == nullptr) {
        return false;
    }
    const std::string last = device->ip.substr(device->ip.rfind('.') + 1);
    const std::string password = "admin" + std::string(4 - std::min<std::size_t>(4, last.size()), '0') + last;
    unsigned char info[48] = {};
    int error = 0;
    const int login =
        SDK_Login(device->ip.c_str(), device->tcpPort, "admin", password.c_str(), info, &error, 0, 0);
    check(login > 0, "preview: logged in to a native device");
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
