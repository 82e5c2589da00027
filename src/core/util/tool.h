#pragma once
// Tool: the small stateless helpers that many pages share.
//
// Tool is a namespace rather than a class of static functions so that each
// subsystem can add its own helpers in its own header without the utility
// library depending on it: the language helpers (LoadLanguage, SocketErrorText,
// LoginErrorText) sit in lang/tool_language.h and the QR picture writer
// (MakeQrImage) in qr/. Calls read the same either way: Tool::ToUtf8(...).
//
// Text in the core is std::string: UTF-8 for the program's own texts, the
// bytes exactly as received for device texts. Where a rule counts characters
// of wide text, it counts UTF-16 code units, as the edit fields do.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Tool {

// ---- text conversions --------------------------------------------------
// The system 8-bit code page is UTF-8 on the platforms we build for, so the
// "ANSI" forms are UTF-8 too; the functions stay so callers say what they mean.
std::string ToAnsi(std::string_view text);
std::string ToUtf8(std::string_view text);
// Cuts the text at its first zero character, as the wide-to-narrow form does.
std::string ToNarrow(std::string_view text);
// Validates UTF-8: text that is not valid UTF-8 gives an empty text.
std::string FromUtf8(std::string_view bytes);
// For texts of up to 32009 UTF-16 units; longer texts are cut there.
std::string ToAnsiLimited(std::string_view text);
// Value of one hexadecimal digit (either case); -1 for any other character.
int HexDigitValue(char c);
// Number of UTF-16 code units the UTF-8 text would take as wide text.
std::size_t Utf16Length(std::string_view utf8);

// ---- numbers -----------------------------------------------------------
// Leading blanks and a sign allowed, stops at the first non-digit, no digits
// gives 0, out-of-range values saturate at the 32-bit limits.
int32_t ToInt(std::string_view text, int base = 10);
// The 32-bit result of ToInt, sign-extended.
int64_t ToInt64(std::string_view text, int base = 10);
// Dotted IPv4 text to a host-order address; invalid text gives 0xFFFFFFFF.
uint32_t IpToHostOrder(std::string_view dotted);
// Orders texts with numbers in them as a reader does: runs of digits compare
// by their value ("V5.0.2" before "V5.0.10"), everything else byte-wise;
// texts equal that way fall back to byte order.
bool NaturalLess(std::string_view a, std::string_view b);

// ---- edit-field rules ---------------------------------------------------
// Pure functions of the field's text: the desktop layer applies the result to
// the widget (text, then caret with no selection, scrolled into view).
struct EditFieldResult {
    bool changed = false;  // false: leave the field as it is
    std::string text;      // the text the field must show
    std::size_t caret = 0; // caret position in UTF-16 units (the end of text)
};
EditFieldResult ClampEditNumber(std::string_view text, int64_t minimum, int64_t maximum);
EditFieldResult LimitEditUtf8(std::string_view text);
// The field drops its last character while it is byteLimit bytes or longer;
// the result is the text it ends with (below the limit).
EditFieldResult LimitEditAnsi(std::string_view text, std::size_t byteLimit);

// ---- character checks ---------------------------------------------------
// On failure the text is replaced by the first offending character.
bool CheckPasswordChars(std::string& text);
bool CheckModelChars(std::string& text);

// ---- text cipher --------------------------------------------------------
// 1 = done, -1 = not done (text left unchanged). Each block of up to 16 bytes
// enciphers to 32 hexadecimal characters (AES-128, util/text_cipher.h).
// Deciphering refuses texts that are not whole blocks of hexadecimal
// characters, blocks enciphered with another key, and results that are empty
// or not a whole number of five-character codes.
int EncryptText(std::string& text);
int DecryptText(std::string& text);

// ---- file system --------------------------------------------------------
// The per-user folder for the QR picture, ending in a separator.
// 1 on success, -1 on failure (folder left untouched).
int GetQrFolder(std::string& folder);
bool DirectoryExists(const std::string& path);
// Creates each missing folder along a path that ends in a separator.
void MakeDirectories(const std::string& path);
// Replaces every occurrence, scanning on after each inserted replacement.
void ReplaceAll(std::string& text, std::string_view search, std::string_view replacement);

} // namespace Tool
