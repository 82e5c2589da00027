#pragma once
// Choosing devices by pattern and by lists of MAC addresses: what
// --match and --macs-from understand.
#include <string>
#include <string_view>
#include <vector>

// The hexadecimal digits of a MAC address in upper case, so that
// 02-c0-00-00-10-01, 02:C0:00:00:10:01 and 02c000001001 compare equal.
std::string MacKey(std::string_view text);

// Whether text matches pattern, where '*' stands for any run of characters
// (none included); letters compare without regard to case.
bool GlobMatch(std::string_view pattern, std::string_view text);

// --match: the pattern against the device's address, its MAC address (in
// any of the usual spellings: the separators of both are left out), or its
// model.
bool MatchesDevice(std::string_view pattern, std::string_view ip, std::string_view mac,
                   std::string_view model);

// --macs-from: one MAC address a line; blank lines and lines starting with
// '#' are skipped, space around an address is ignored. False with a message
// naming the line for anything that is not 12 hexadecimal digits with
// optional ':' or '-' separators.
bool ParseMacList(std::string_view text, std::vector<std::string>& macs, std::string& error);
