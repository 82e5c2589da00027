#include "ui/body_static.h"

#include "ui/shared_look.h"

#include <QLabel>

QLabel* MakeBodyStatic(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, look::kBodyTextColor);
    label->setPalette(colours);
    return label;
}
