#pragma once
// The input rules of the batch page's operation panels, without windows:
// what a password edit keeps, whether a port triple can be sent, where the
// file dialog starts and what it offers.
#include "operate/device_steps.h"

#include <string>
#include <string_view>

namespace panel_rules {

// A password edit after a change. When the text holds a character outside
// the password set, illegal is that character (UTF-8) and the edit empties;
// otherwise the edit keeps at most 64 characters, caret at the end.
struct PasswordEdit {
    bool illegal = false;
    std::string offending; // the first character not allowed
    bool changed = false;  // the edit must show text
    std::string text;
};
PasswordEdit CheckPasswordEdit(std::string_view text);

// Two of the ports equal (RTSP counted by its low 16 bits, as sent); the
// TCP port only counts withTcp (some ticked device has one).
bool PortsCollide(const PortTriple& ports, bool withTcp = true);

// The folder a file dialog starts in: the part of the current path before
// its last separator, when a separator follows the first character; else
// empty (the dialog's own default). Both separators count: paths typed on
// either platform start in their folder.
std::string BrowseStartFolder(std::string_view path);

} // namespace panel_rules
