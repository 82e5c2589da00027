#include "devlist/dlg_preview.h"

#include "devlist/preview_video.h"
#include "devlist/preview_view.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QThreadPool>
#include <algorithm>
#include <mutex>
#include <vector>

// What the window and its start and stop workers share: the handle the
// start gave, and whether the window closed meanwhile (a start that comes
// back after the close is stopped at once by its worker).
struct PreviewLink {
    std::mutex mutex;
    int handle = 0;
    bool closed = false;
};

namespace {

constexpr int kBandHeight = 50;
constexpr int kMainStream = 2;
constexpr int kSubStream = 3;
constexpr int kMaximiseSkin[4] = {214, 216, 215, 214};
constexpr int kMinimiseSkin[4] = {208, 211, 209, 208};

// The preview windows open now, touched on the user-interface thread only:
// a connection-full callback names its window by address, and only a
// window found here is called.
std::vector<CDlgPreview*>& OpenWindows() {
    static std::vector<CDlgPreview*> windows;
    return windows;
}

} // namespace

CDlgPreview::CDlgPreview(QWidget* parent, int loginHandle, const QString& address, int stream,
                         PreviewSdkCalls sdk)
    : CPopupDialog(parent, kBandHeight), m_sdk(std::move(sdk)), m_loginHandle(loginHandle), m_stream(stream),
      m_address(address), m_icon(new QLabel(this)), m_maximise(new CxSkinButton(this)),
      m_minimise(new CxSkinButton(this)), m_video(new PreviewView(this)),
      m_link(std::make_shared<PreviewLink>()), m_status(new QLabel(this)),
      m_reconnect(new CxSkinButton(this)) {
    setObjectName("preview");
    setModal(true);
    m_icon->setObjectName("icon");
    m_maximise->setObjectName("maximiseButton");
    m_maximise->SetSkin(kMaximiseSkin);
    m_maximise->setFocusPolicy(Qt::NoFocus);
    m_minimise->setObjectName("minimiseButton");
    m_minimise->SetSkin(kMinimiseSkin);
    m_minimise->setFocusPolicy(Qt::NoFocus);
    m_minimise->hide(); // created hidden, does nothing
    m_video->setObjectName("video");
    m_video->hide();
    connect(m_maximise, &CxSkinButton::clicked, this, [this] { ToggleMaximise(); });
    m_status->setObjectName("previewStatus");
    m_status->setTextFormat(Qt::PlainText);
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setStyleSheet("color: white;");
    m_status->hide();
    m_reconnect->setObjectName("reconnectButton");
    m_reconnect->SetSkin(look::kButtonSkin);
    m_reconnect->setFocusPolicy(Qt::NoFocus);
    m_reconnect->hide();
    connect(m_reconnect, &CxSkinButton::clicked, this, [this] { ConnectLinkStream(); });
    m_videoPath = PreviewVideo::Create(
        this, [this](const DecodedFrame& frame) { m_video->ShowPicture(frame.image, frame.arrivalNs); },
        [this] { OnStreamEnded(); });
    OpenWindows().push_back(this);
}

CDlgPreview::~CDlgPreview() {
    auto& windows = OpenWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
    StopVideo();
}

void CDlgPreview::Start() {
    // The application's icon, as the main window shows it.
    QIcon icon = parentWidget() != nullptr ? parentWidget()->window()->windowIcon() : QIcon();
    if (icon.isNull()) {
        icon = QApplication::windowIcon();
    }
    if (!icon.isNull()) {
        m_icon->setPixmap(icon.pixmap(32, 32));
    }
    OnLanguageChanged();
    LayOut();
    if (m_linkStream != nullptr) {
        ConnectLinkStream();
        return;
    }
    m_sdk.setOption(0, 1);
    m_sdk.connectionFull(&CDlgPreview::OnConnectionFull, this);
    // The start waits on the device: a worker calls it and posts the answer.
    auto video = m_videoPath;
    auto link = m_link;
    const PreviewSdkCalls sdk = m_sdk;
    const int login = m_loginHandle;
    const int stream = m_stream;
    // The answer is posted through the video path, whose context is this
    // window: it runs only while the window lives.
    QThreadPool::globalInstance()->start([this, video, link, sdk, login, stream] {
        const int handle = sdk.start(login, 0, video.get(), stream, 0);
        bool closed = false;
        {
            std::lock_guard lock(link->mutex);
            closed = link->closed;
            if (!closed) {
                link->handle = handle;
            }
        }
        if (closed) {
            if (handle != 0) {
                sdk.stop(handle);
            }
            return;
        }
        video->Post([this, handle] { OnStarted(handle); });
    });
}

void CDlgPreview::UseLinkStream(LinkPreview::Opener open) {
    m_linkStream = new LinkPreview(this, std::move(open));
    connect(m_linkStream, &LinkPreview::PictureReady, this, &CDlgPreview::OnLinkPicture);
    connect(m_linkStream, &LinkPreview::Ended, this, &CDlgPreview::OnLinkEnded);
}

void CDlgPreview::ConnectLinkStream() {
    if (m_closed) {
        return;
    }
    m_video->hide();
    m_reconnect->hide();
    ShowStatus("tx.Preview_connecting");
    m_linkStream->SetTargetSize(m_video->size());
    m_linkStream->Open();
}

void CDlgPreview::OnLinkPicture(const QImage& image, qint64 decodedNs) {
    if (m_closed) {
        return;
    }
    if (!m_statusKey.isEmpty()) {
        ShowStatus(nullptr);
        m_video->show();
        emit PreviewStarted(true);
    }
    m_video->ShowPicture(image, decodedNs);
}

void CDlgPreview::OnLinkEnded(const QString& key) {
    if (m_closed) {
        return;
    }
    // No frozen picture: the reason, and the way to connect again.
    m_video->hide();
    ShowStatus(key.toUtf8().constData());
    m_reconnect->show();
}

void CDlgPreview::ShowStatus(const char* key) {
    m_statusKey = key != nullptr ? QString::fromUtf8(key) : QString();
    m_status->setText(m_statusKey.isEmpty() ? QString() : LangText(m_statusKey.toUtf8().constData()));
    m_status->setVisible(!m_statusKey.isEmpty());
}

void CDlgPreview::OnStarted(int handle) {
    if (m_closed) {
        return;
    }
    m_previewHandle = handle;
    if (handle != 0) {
        m_video->show();
    } else {
        m_video->hide();
        ShowFailureOnce();
    }
    emit PreviewStarted(handle != 0);
}

void CDlgPreview::OnStreamEnded() {
    if (!m_closed) {
        ShowFailureOnce(); // the last picture stays
    }
}

void CDlgPreview::ShowFailureOnce() {
    if (m_failureShown) {
        return;
    }
    m_failureShown = true;
    ShowTip(this, "info.Preview_open_fail", false, kTipIconInformation);
}

void CDlgPreview::OnConnectionFull(void* context) {
    // Any thread: only the address travels; the user-interface thread
    // looks it up among the windows still open.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [context] {
            for (CDlgPreview* window : OpenWindows()) {
                if (window == context) {
                    window->ShowConnectionFull();
                    return;
                }
            }
        },
        Qt::QueuedConnection);
}

void CDlgPreview::ShowConnectionFull() {
    if (m_connectionFullShown) {
        return;
    }
    m_connectionFullShown = true;
    ShowTip(this, "info.Connect_full", false, kTipIconInformation);
}

void CDlgPreview::StopVideo() {
    if (m_closed) {
        return;
    }
    m_closed = true;
    if (m_linkStream != nullptr) {
        m_linkStream->Close(); // returns at once; a pool thread waits for the worker
        return;
    }
    m_sdk.connectionFull(nullptr, nullptr); // the library never calls a closed window
    m_videoPath->Detach();
    int handle = 0;
    {
        std::lock_guard lock(m_link->mutex);
        m_link->closed = true;
        handle = m_link->handle;
        m_link->handle = 0;
    }
    m_previewHandle = 0;
    if (handle == 0) {
        return; // no stream: nothing to stop
    }
    // The sink stays alive until the stop has returned: after that the SDK
    // never calls it again.
    auto video = m_videoPath;
    const PreviewSdkCalls sdk = m_sdk;
    QThreadPool::globalInstance()->start([video, sdk, handle] { sdk.stop(handle); });
}

void CDlgPreview::OnCloseButton() {
    StopVideo();
    emit PreviewClosed();
    done(1);
}

void CDlgPreview::OnLanguageChanged() {
    QString streamName;
    if (m_stream == kMainStream) {
        streamName = LangText("tx.Main_stream");
    } else if (m_stream == kSubStream) {
        streamName = LangText("tx.Sub_stream");
    }
    TitleLabel()->setText(LangText("tx.Preview") + " - " + m_address + " - " + streamName);
    m_reconnect->SetCaption(LangText("tx.Preview_reconnect"));
    if (!m_statusKey.isEmpty()) {
        m_status->setText(LangText(m_statusKey.toUtf8().constData()));
    }
}

void CDlgPreview::LayOut() {
    const int right = width();
    PlaceBandControls(true);
    CloseButton()->setGeometry(right - 26, 4, 20, 20);
    m_maximise->setGeometry(right - 48, 4, 20, 20);
    m_minimise->setGeometry(right - 70, 4, 20, 20);
    m_icon->setGeometry(10, 9, 32, 32);
    m_video->setGeometry(0, kBandHeight, std::max(0, right), std::max(0, height() - kBandHeight));
    m_videoPath->SetTargetSize(m_video->size());
    const int middle = kBandHeight + (height() - kBandHeight) / 2;
    m_status->setGeometry(0, middle - 30, std::max(0, right), 24);
    m_reconnect->setGeometry(right / 2 - 60, middle + 4, 120, 26);
    if (m_linkStream != nullptr) {
        m_linkStream->SetTargetSize(m_video->size());
    }
}

void CDlgPreview::ToggleMaximise() {
    if (!m_maximised) {
        QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
        if (screen == nullptr) {
            screen = QGuiApplication::primaryScreen();
        }
        if (screen == nullptr) {
            return;
        }
        m_restore = geometry();
        setGeometry(screen->availableGeometry());
        m_maximised = true;
    } else {
        setGeometry(m_restore);
        m_maximised = false;
    }
    LayOut();
    m_video->update();
}

void CDlgPreview::PaintBody(QPainter& painter) {
    painter.fillRect(rect(), look::kBackColor); // 0x313131
}

void CDlgPreview::resizeEvent(QResizeEvent* event) {
    CPopupDialog::resizeEvent(event);
    LayOut();
}

void CDlgPreview::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && event->position().y() < kBandHeight) {
        ToggleMaximise();
        event->accept();
        return;
    }
    CPopupDialog::mouseDoubleClickEvent(event);
}
