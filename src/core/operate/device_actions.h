#pragma once
// What the device list's actions on one device decide without a window: the
// file name an export proposes, the login failure's error text, the check of
// a new model text, the values a confirmed network change leaves in the
// record, and the SDK calls of an export.
#include "discovery/device_entry.h"
#include "operate/sdk_calls.h"

#include <ctime>
#include <string>
#include <string_view>

// The name proposed for a configuration export: the firmware version up to
// its first "Build:" (without the blanks and dots before it), or, when the
// version has no "Build:", the device's model, or its address when the model
// is not known; then ".", the local time as YYYYMMDDhhmmss and ".coi". The
// name never starts with a dot (a hidden file); the device's text goes
// through SafeFileNamePart.
std::string ProposeExportName(std::string_view version, std::string_view model, std::string_view ip,
                              const std::tm& localTime);

// A device text made fit to be part of a file name: ASCII letters, digits,
// space, '.', '_' and '-' are kept, every other byte (path separators,
// control characters, bytes of other characters) becomes '_'; a part made
// only of dots becomes as many '_'.
std::string SafeFileNamePart(std::string_view text);

// The index of the login error text for an SDK_Login error code (code + 1),
// or -1 when there is no text for it (the message then shows an empty text).
int LoginErrorTextIndex(int error);

enum class ModelTextCheck { Ok, Empty, IllegalChar };
// The new model of the model dialog: not empty, printable ASCII without
// " ' ? or \. On IllegalChar, offending holds the first bad character.
ModelTextCheck CheckNewModel(const std::string& text, std::string& offending);
// The model edit keeps its narrow form under 20 bytes.
inline constexpr std::size_t kModelEditByteLimit = 20;

// The firmware version text of a logged-in device (device info item 50);
// empty when the query fails.
std::string QueryFirmwareVersion(int loginHandle, const SdkCalls& sdk = RealSdk());
// SDK_ExportConfig into the file: 1 on success, anything else a failure.
int ExportConfiguration(int loginHandle, const std::string& path, const SdkCalls& sdk = RealSdk());
