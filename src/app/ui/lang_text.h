#pragma once
// The one way the desktop program turns a language key into the text shown:
// the active pack's text (the key itself when the pack has none), as UTF-8.
#include <QString>
#include <string_view>

QString LangText(std::string_view key);
