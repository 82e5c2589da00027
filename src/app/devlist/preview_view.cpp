#include "devlist/preview_view.h"

#include <QPainter>

PreviewView::PreviewView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QRect PreviewView::FittedRect(QSize picture, QRect area) {
    if (picture.isEmpty() || area.isEmpty()) {
        return {};
    }
    const QSize fitted = picture.scaled(area.size(), Qt::KeepAspectRatio);
    return QRect(area.x() + (area.width() - fitted.width()) / 2,
                 area.y() + (area.height() - fitted.height()) / 2, fitted.width(), fitted.height());
}

void PreviewView::ShowPicture(const QImage& image, int64_t arrivalNs) {
    m_image = image;
    m_arrivalNs = arrivalNs;
    m_painted = false;
    update();
}

void PreviewView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect picture = FittedRect(m_image.size(), rect());
    if (picture.isEmpty()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // The bars only, so the picture's pixels are written once.
    const QRegion bars = QRegion(rect()).subtracted(QRegion(picture));
    for (const QRect& bar : bars) {
        painter.fillRect(bar, Qt::black);
    }
    if (picture.size() == m_image.size()) {
        painter.drawImage(picture.topLeft(), m_image);
    } else {
        // Decoded for another size (the window was just resized): a fast
        // scale until the next picture arrives at the new size.
        painter.drawImage(picture, m_image);
    }
    if (!m_painted) {
        m_painted = true;
        ++m_paintedPictures;
        if (m_observer) {
            m_observer(m_arrivalNs);
        }
    }
}
