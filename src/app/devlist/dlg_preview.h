#pragma once
// CDlgPreview: the live video of one device's main or sub stream in a
// borderless window over the main window. It starts the stream with the
// device's open login and never logs out; closing stops the stream (when
// one was started) and emits PreviewClosed.
//
// A family that streams its previews itself gives the window its stream
// instead (UseLinkStream): the window says "connecting" until the first
// picture, and when the stream ends it shows why and offers to connect
// again instead of keeping the last picture.
//
// The SDK calls run on workers (starting and stopping wait on the device);
// their results, the pictures and the SDK's callbacks come back queued to
// the window, which may be gone by then.
#include "devlist/link_preview.h"
#include "devlist/preview_sdk_calls.h"
#include "ui/popup_dialog.h"

#include <QRect>
#include <QString>
#include <memory>

class CxSkinButton;
class PreviewView;
class PreviewVideo;
class QLabel;
struct PreviewLink;

class CDlgPreview : public CPopupDialog {
    Q_OBJECT

public:
    // stream: 2 main, 3 sub, handed to the SDK unchanged.
    CDlgPreview(QWidget* parent, int loginHandle, const QString& address, int stream,
                PreviewSdkCalls sdk = PreviewSdkCalls());
    ~CDlgPreview() override;

    // The video from open instead of the SDK; before Start.
    void UseLinkStream(LinkPreview::Opener open);
    // Sets the texts, lays out and starts the video (the start's answer
    // arrives later). Called once, before the window is shown.
    void Start();
    int PreviewHandle() const { return m_previewHandle; }
    bool IsMaximised() const { return m_maximised; }
    void ToggleMaximise();
    PreviewView* Video() const { return m_video; }
    std::shared_ptr<PreviewVideo> VideoPath() const { return m_videoPath; }

signals:
    void PreviewStarted(bool ok);
    // The window closes (the stream is being stopped).
    void PreviewClosed();

protected:
    void OnCloseButton() override;
    void PaintBody(QPainter& painter) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    static void OnConnectionFull(void* context);
    void ShowConnectionFull();
    void OnStarted(int handle);
    void OnStreamEnded();
    void ShowFailureOnce();
    void OnLanguageChanged() override;
    void LayOut();
    void StopVideo();
    void ConnectLinkStream();
    void OnLinkPicture(const QImage& image, qint64 decodedNs);
    void OnLinkEnded(const QString& key);
    void ShowStatus(const char* key);

    PreviewSdkCalls m_sdk;
    int m_loginHandle;
    int m_stream;
    QString m_address;
    int m_previewHandle = 0;
    bool m_maximised = false;
    QRect m_restore;
    bool m_closed = false;
    bool m_failureShown = false;
    bool m_connectionFullShown = false;
    QLabel* m_icon;
    CxSkinButton* m_maximise;
    CxSkinButton* m_minimise;
    PreviewView* m_video;
    std::shared_ptr<PreviewVideo> m_videoPath;
    std::shared_ptr<PreviewLink> m_link;
    LinkPreview* m_linkStream = nullptr;
    QLabel* m_status;
    CxSkinButton* m_reconnect;
    QString m_statusKey; // language key of the status text; empty: none shown
};
