#pragma once
// The video area of the preview window: the newest picture, scaled to fit
// with its aspect ratio kept, on black bars.
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>

class PreviewView : public QWidget {
    Q_OBJECT

public:
    // Told the arrival time of each picture once it has been painted.
    using PaintObserver = std::function<void(int64_t arrivalNs)>;

    explicit PreviewView(QWidget* parent);

    void ShowPicture(const QImage& image, int64_t arrivalNs);
    const QImage& Picture() const { return m_image; }
    uint64_t PaintedPictures() const { return m_paintedPictures; }
    void SetPaintObserver(PaintObserver observer) { m_observer = std::move(observer); }
    // Where a picture of that size is drawn inside area.
    static QRect FittedRect(QSize picture, QRect area);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
    int64_t m_arrivalNs = 0;
    bool m_painted = true; // the current picture has been painted once
    uint64_t m_paintedPictures = 0;
    PaintObserver m_observer;
};
