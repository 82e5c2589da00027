#pragma once
// The preview window's video from a family that streams it itself (the
// device link's PreviewStream): opens the stream, brings the worker's news
// to the user-interface thread and the newest picture with it, and ends
// the stream without waiting for it (the worker is joined on a pool
// thread).
#include "operate/preview_stream.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <functional>
#include <memory>

struct LinkPreviewBridge;

class LinkPreview : public QObject {
    Q_OBJECT

public:
    // Gives a new, unstarted stream of the device; nullptr when there is none.
    using Opener = std::function<std::unique_ptr<PreviewStream>()>;

    LinkPreview(QObject* parent, Opener open);
    ~LinkPreview() override;

    // Connects (again): any stream before is ended first.
    void Open();
    // Ends the stream; nothing is emitted after this returns.
    void Close();
    void SetTargetSize(QSize size);

    // The picture as the window shows it, pixels shared with the frame.
    static QImage ImageOf(VideoFrame frame);

signals:
    void PictureReady(const QImage& image, qint64 decodedNs);
    // The stream ended; key is the language key of the reason.
    void Ended(const QString& key);

private:
    void TakePicture();

    Opener m_open;
    QSize m_target;
    std::shared_ptr<PreviewStream> m_stream;
    std::shared_ptr<LinkPreviewBridge> m_bridge;
};
