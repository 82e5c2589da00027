#include "devlist/qr_picture_view.h"

#include "qr/qr_image.h"
#include "util/tool.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <string_view>

namespace {

// The longest text the picture encodes.
constexpr std::size_t kQrTextLimit = 63;

} // namespace

QrPictureView::QrPictureView(QLabel* picture) : m_picture(picture) {
    if (Tool::GetQrFolder(m_folder) != 1) {
        m_folder.clear();
    }
}

void QrPictureView::Show(const std::string& cloudId) {
    if (cloudId.empty() || cloudId == "-- --" || m_folder.empty()) {
        Clear();
        return;
    }
    if (cloudId == m_shownId && !m_picture->isHidden()) {
        return; // the same device, or the same id: the picture stands
    }
    if (!Tool::DirectoryExists(m_folder)) {
        Tool::MakeDirectories(m_folder);
    }
    const std::string path = Tool::MakeQrImage(std::string_view(cloudId).substr(0, kQrTextLimit), m_folder);
    // Read as an image: a pixmap loaded by name comes from the pixmap cache,
    // which knows the file by its name, size and second of change, and the
    // picture of another device written in the same second has the same.
    const QPixmap picture = QPixmap::fromImage(QImage(QString::fromStdString(path)));
    if (picture.isNull()) {
        Clear();
        return;
    }
    m_picture->setPixmap(picture.scaled(m_picture->size(), Qt::KeepAspectRatio, Qt::FastTransformation));
    m_picture->show();
    m_shownId = cloudId;
}

void QrPictureView::Clear() {
    m_picture->clear();
    m_picture->hide();
    m_shownId.clear();
}
