#include "lang/language_table.h"

// The file names differ in case from row to row; they are the names the packs
// ship under, so they stay exactly as written.
// clang-format off
const std::array<LangEntry, 26> LanguageTable = {{
    {0, "English", "eng.lang"},
    {1, "简体中文", "chs.lang"},
    {2, "繁体中文", "Cht.lang"},
    {3, "Italiano", "It.lang"},
    {4, "Español", "Sp.lang"},
    {5, "日本語", "Jp.lang"},
    {6, "Русский", "Ru.lang"},
    {7, "Français", "Fr.lang"},
    {8, "Deutsch", "Ge.lang"},
    {9, "Portugal", "Por.lang"},
    {10, "Türkçe", "Tr.lang"},
    {11, "Polski", "Pol.lang"},
    {12, "România", "Ro.lang"},
    {13, "Magyar", "Hu.lang"},
    {14, "Suomi", "Fi.lang"},
    {15, "Eesti", "Es.lang"},
    {16, "한국어", "Ko.lang"},
    {17, "فارسی", "fa.lang"},
    {18, "Dansk", "Da.lang"},
    {19, "България", "Bu.lang"},
    {20, "في اللغة العربية", "Ar.lang"},
    {21, "Čeština", "Cs.lang"},
    {22, "slovaščina", "Sk.lang"},
    {23, "עברית", "Hbr.lang"},
    {24, "Ελληνικά", "el.lang"},
    {25, "ไทย", "Thai.lang"},
}};
// clang-format on
