#include "ui/edit_rules.h"

#include "util/tool.h"

#include <QLineEdit>

namespace Tool {

void ClampEditNumber(QLineEdit& field, int64_t minimum, int64_t maximum) {
    const EditFieldResult result = ClampEditNumber(field.text().toStdString(), minimum, maximum);
    if (!result.changed) {
        return;
    }
    field.setText(QString::fromStdString(result.text));
    field.setCursorPosition(static_cast<int>(result.caret));
    field.deselect();
}

} // namespace Tool
