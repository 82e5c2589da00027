#pragma once
// A static text on the white body of a pop-up dialog: plain text in the
// body colour.
#include "ui/shared_look.h"

#include <QLabel>

inline QLabel* MakeBodyLabel(QWidget* parent, const char* objectName) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setTextFormat(Qt::PlainText);
    label->setProperty("bodyLabel", true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, look::kBodyTextColor);
    label->setPalette(palette);
    return label;
}

// Body labels start on the reading side of the window's language, whatever
// script their own text is in (a Latin "MAC" in an Arabic dialog too), so
// they stay next to what they label. Run after a language change.
inline void AlignBodyLabels(QWidget* dialog) {
    const Qt::Alignment side = dialog->isRightToLeft() ? Qt::AlignRight : Qt::AlignLeft;
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        if (label->property("bodyLabel").toBool()) {
            label->setAlignment(side | Qt::AlignAbsolute | Qt::AlignVCenter);
        }
    }
}
