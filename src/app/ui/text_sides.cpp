#include "ui/text_sides.h"

#include <QLabel>

namespace {

void KeepSide(QLabel* label) {
    const Qt::Alignment alignment = label->alignment();
    if (!alignment.testFlag(Qt::AlignAbsolute)) {
        label->setAlignment(alignment | Qt::AlignAbsolute);
    }
}

} // namespace

void KeepTextSides(QWidget* root) {
    if (auto* label = qobject_cast<QLabel*>(root)) {
        KeepSide(label);
    }
    for (QLabel* label : root->findChildren<QLabel*>()) {
        KeepSide(label);
    }
}
