#pragma once
// A static text on the white body of a pop-up dialog: plain text in the
// body colour.
#include "ui/shared_look.h"

#include <QLabel>

inline QLabel* MakeBodyLabel(QWidget* parent, const char* objectName) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setTextFormat(Qt::PlainText);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, look::kBodyTextColor);
    label->setPalette(palette);
    return label;
}
