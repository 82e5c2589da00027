#pragma once
// The program's bitmap resources by id (drawn from art/ at build time).
#include <QPixmap>

// The picture of that id; a null pixmap for an id that has none.
QPixmap SkinBitmap(int id);
