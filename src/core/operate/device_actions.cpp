#include "operate/device_actions.h"

#include "lang/tool_language.h"
#include "util/tool.h"

#include <array>
#include <cstdio>

namespace {

constexpr int kVersionItem = 50;
constexpr int kVersionBufferSize = 64;
constexpr int kVersionTimeoutMs = 1000;

} // namespace

std::string SafeFileNamePart(std::string_view text) {
    std::string part(text);
    for (char& c : part) {
        const auto byte = static_cast<unsigned char>(c);
        const bool kept = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                          (byte >= '0' && byte <= '9') || c == ' ' || c == '.' || c == '_' || c == '-';
        if (!kept) {
            c = '_';
        }
    }
    if (part.find_first_not_of('.') == std::string::npos) {
        part.assign(part.size(), '_'); // "." and ".." name folders
    }
    return part;
}

std::string ProposeExportName(std::string_view version, std::string_view model, std::string_view ip,
                              const std::tm& localTime) {
    const auto trimmed = [](std::string_view text) {
        const std::size_t first = text.find_first_not_of(" .\t");
        const std::size_t last = text.find_last_not_of(" .\t");
        return first == std::string_view::npos ? std::string_view{} : text.substr(first, last - first + 1);
    };
    const std::size_t build = version.find("Build:");
    std::string_view name =
        build == std::string_view::npos ? std::string_view{} : trimmed(version.substr(0, build));
    if (name.empty()) {
        const std::string_view knownModel = trimmed(model);
        name = knownModel.empty() || knownModel == "--" || knownModel == "-- --" ? trimmed(ip) : knownModel;
    }
    const std::string proposed = SafeFileNamePart(name.empty() ? std::string_view("config") : name);
    // Room for any int in every field, so nothing is ever cut.
    std::array<char, 96> stamp{};
    std::snprintf(stamp.data(), stamp.size(), ".%04d%02d%02d%02d%02d%02d.coi", localTime.tm_year + 1900,
                  localTime.tm_mon + 1, localTime.tm_mday, localTime.tm_hour, localTime.tm_min,
                  localTime.tm_sec);
    return proposed + stamp.data();
}

int LoginErrorTextIndex(int error) {
    // Computed in 64 bits: the SDK's code may be any int.
    const int64_t index = static_cast<int64_t>(error) + 1;
    return index >= 0 && index < Tool::kLoginErrorTextCount ? static_cast<int>(index) : -1;
}

ModelTextCheck CheckNewModel(const std::string& text, std::string& offending) {
    if (text.empty()) {
        return ModelTextCheck::Empty;
    }
    std::string checked = text;
    if (!Tool::CheckModelChars(checked)) {
        offending = checked;
        return ModelTextCheck::IllegalChar;
    }
    return ModelTextCheck::Ok;
}

std::string QueryFirmwareVersion(int loginHandle, const SdkCalls& sdk) {
    std::array<char, kVersionBufferSize + 1> buffer{};
    int length = 0;
    if (sdk.queryDeviceInfo(loginHandle, kVersionItem, buffer.data(), kVersionBufferSize, &length,
                            kVersionTimeoutMs) != 1) {
        return {};
    }
    // The buffer's last byte stays zero, so the text always ends inside it.
    return std::string(buffer.data());
}

int ExportConfiguration(int loginHandle, const std::string& path, const SdkCalls& sdk) {
    return sdk.exportConfig(loginHandle, 0, path.c_str(), 0, 0);
}
