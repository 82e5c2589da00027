#include "ui/skin_bitmaps.h"

#include <QPixmapCache>
#include <QString>

QPixmap SkinBitmap(int id) {
    const QString key = QStringLiteral(":/skin/%1.png").arg(id);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap.load(key);
        if (!pixmap.isNull()) {
            QPixmapCache::insert(key, pixmap);
        }
    }
    return pixmap;
}
