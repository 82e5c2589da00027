#pragma once
// Applies the edit-field rules of the Tool helpers to a Qt edit field: the
// rule decides the text, this puts it in the field with the caret at the end
// and no selection.
#include <cstdint>

class QLineEdit;

namespace Tool {

void ClampEditNumber(QLineEdit& field, int64_t minimum, int64_t maximum);

} // namespace Tool
