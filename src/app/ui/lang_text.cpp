#include "ui/lang_text.h"

#include "lang/language.h"

QString LangText(std::string_view key) {
    return QString::fromStdString(CLanguage::GetInstance().GetText(key));
}
