#pragma once
// CLanguage: how code reaches the texts of the active language pack.
//
// Every text the program shows is looked up by key at the moment it is shown:
//     label->setText(QString::fromUtf8(CLanguage::GetInstance().GetText("tx.OK")));
// There is one CLanguage per thread that asks for one, created on first use
// and kept until the program ends. All of them share one process-wide text
// table, which a language switch replaces as a whole: the new table is built
// completely and then exchanged, so a lookup on any thread sees either the
// old table or the new one, never a half-built one.
#include <string>
#include <string_view>

class CLanguage {
public:
    CLanguage(const CLanguage&) = delete;
    CLanguage& operator=(const CLanguage&) = delete;

    // The calling thread's object, created on the thread's first call.
    static CLanguage& GetInstance();

    // Loads the pack at the full path packPath and makes it the active table.
    // Returns 1 when loaded, or when packPath is the path this object loaded
    // last (exact comparison; nothing is read then); 0 when memory for the
    // table could not be obtained (the active table is then unchanged). A
    // missing file or a file without section "String" gives an empty table.
    int Load(const std::string& packPath);

    // The text of key in the active table; the key itself when the key is
    // missing or its text is empty. A copy, so it stays valid across a
    // language switch.
    std::string GetText(std::string_view key) const;

private:
    CLanguage() = default;

    // Full path of the pack this object loaded last; empty before the first.
    std::string m_loadedPath;
};
