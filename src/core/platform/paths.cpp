#include "platform/paths.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

std::string GetProgramFolder() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::string(1, kPathSeparator);
    }
    std::string folder = exe.parent_path().string();
    if (folder.empty() || folder.back() != kPathSeparator) {
        folder += kPathSeparator;
    }
    return folder;
}

std::string GetLocalAppDataFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    // The XDG rules ignore a relative data home.
    if (dataHome != nullptr && dataHome[0] == '/') {
        return dataHome;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        return {};
    }
    std::string folder = home;
    if (folder.back() != kPathSeparator) {
        folder += kPathSeparator;
    }
    return folder + ".local/share";
}
