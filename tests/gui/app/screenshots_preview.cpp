#include "screenshots_preview.h"

#include "app/corvane_dlg.h"
#include "devlist/dlg_preview.h"
#include "devlist/open_preview.h"
#include "devlist/preview_view.h"
#include "operate/device_link.h"
#include "sdk/sdk.h"
#include "sdk/sdk_layout.h"
#include "session/device_session.h"
#include "ui/lang_text.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <cstdio>
#include <cstdlib>

namespace {

// A generated lab's device 10.77.16.N has the password "admin" and N in
// four digits.
std::string GeneratedPassword(const std::string& ip) {
    const std::string last = ip.substr(ip.rfind('.') + 1);
    return "admin" + std::string(4 - std::min<std::size_t>(4, last.size()), '0') + last;
}

} // namespace

bool RenderPreviewScreenshot(CCorvaneDlg& window, const QString& out,
                             const std::function<void(bool ok, const char* what)>& check) {
    // The first device of the native family.
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
    const std::string password = GeneratedPassword(device->ip);
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

namespace {

// One ONVIF preview window: pictures painted (or, with connecting, the
// window as it opens), written to out/name.
bool ShotOnvifPreview(CCorvaneDlg& window, DeviceLink& link, const DeviceLogin& login, const QString& address,
                      int stream, bool connecting, const QString& out, const QString& name,
                      const std::function<void(bool ok, const char* what)>& check) {
    CDlgPreview preview(&window, login.handle, address, stream);
    preview.setGeometry(PreviewRectangle(window.frameGeometry()));
    preview.UseLinkStream([&link, login, stream] { return link.OpenPreview(login, stream); });
    preview.Start();
    preview.show();
    QApplication::processEvents();
    auto* status = preview.findChild<QLabel*>("previewStatus");
    bool shown = true;
    if (connecting) {
        check(status->isVisible() && !preview.Video()->isVisible(),
              "onvif preview: connecting until a picture");
    } else {
        QElapsedTimer clock;
        clock.start();
        while (preview.Video()->PaintedPictures() < 5 && clock.elapsed() < 15000) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        shown = preview.Video()->PaintedPictures() >= 5;
        check(shown && !status->isVisible(), "onvif preview: pictures of the stream are painted");
        const QRect video = preview.Video()->geometry();
        const QRect picture =
            PreviewView::FittedRect(preview.Video()->Picture().size(), QRect(QPoint(), video.size()));
        check(std::abs(picture.width() * 9 - picture.height() * 16) <= 16 && picture.width() == video.width(),
              "onvif preview: the 16:9 picture fills the width, aspect kept");
    }
    const QString streamName =
        LangText(stream == sdklayout::kMainStream ? "tx.Main_stream" : "tx.Sub_stream");
    check(preview.findChild<QLabel*>("title")->text().endsWith(streamName),
          "onvif preview: the caption names the stream");
    const QPixmap shot = preview.grab();
    const bool saved = shot.save(out + "/" + name, "PNG");
    std::printf("%s %s/%s (%dx%d)\n", saved ? "wrote" : "FAILED to write", qPrintable(out), qPrintable(name),
                shot.width(), shot.height());
    preview.close();
    return shown;
}

} // namespace

bool RenderOnvifPreviewScreenshots(CCorvaneDlg& window, const QString& out,
                                   const std::function<void(bool ok, const char* what)>& check) {
    // The first camera only ONVIF found.
    const DeviceEntry* device = nullptr;
    for (const auto& [key, entry] : window.Session().Devices()) {
        if (device == nullptr && entry.families.Has(DeviceFamily::Onvif) &&
            !entry.families.Has(DeviceFamily::Native) && entry.operations.Has(DeviceOperation::Preview)) {
            device = &entry;
        }
    }
    check(device != nullptr, "onvif preview: an ONVIF camera of the lab was found");
    if (device == nullptr) {
        return false;
    }
    const std::string password = GeneratedPassword(device->ip);
    DeviceLink& link = window.Session().Links().LinkFor(*device);
    DeviceLogin login;
    int error = 0;
    const bool loggedIn = link.PreviewsItself() && link.Login(*device, "admin", password, login, error);
    check(loggedIn, "onvif preview: logged in to an ONVIF camera");
    if (!loggedIn) {
        return false;
    }
    const QString address = QString::fromStdString(device->ip);
    bool shown = ShotOnvifPreview(window, link, login, address, sdklayout::kMainStream, false, out,
                                  "preview-onvif-main.png", check);
    shown = ShotOnvifPreview(window, link, login, address, sdklayout::kSubStream, false, out,
                             "preview-onvif-sub.png", check) &&
            shown;
    constexpr int kGerman = 8;
    const int language = window.Config().LanguageIndex;
    window.OnLanguageMessage(kGerman);
    QApplication::processEvents();
    shown = ShotOnvifPreview(window, link, login, address, sdklayout::kSubStream, false, out,
                             "preview-onvif-sub-Ge.png", check) &&
            shown;
    ShotOnvifPreview(window, link, login, address, sdklayout::kMainStream, true, out,
                     "preview-onvif-connecting-Ge.png", check);
    window.OnLanguageMessage(language);
    QApplication::processEvents();
    link.Logout(login);
    return shown;
}
