#include "platform/paths.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <system_error>
#include <unistd.h>

namespace {

std::string WithSeparator(std::string folder) {
    if (folder.empty() || folder.back() != kPathSeparator) {
        folder += kPathSeparator;
    }
    return folder;
}

bool HoldsDataTree(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::is_directory(folder / "Config File", error);
}

// $NAME when it is an absolute path (the XDG rules ignore relative ones),
// else $HOME/fallback; empty when neither is set.
std::string XdgFolder(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] == '/') {
        return value;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        return {};
    }
    return WithSeparator(home) + fallback;
}

} // namespace

std::string GetProgramFolder() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::string(1, kPathSeparator);
    }
    const std::filesystem::path exeFolder = exe.parent_path();
    const std::filesystem::path installed = exeFolder.parent_path() / "share" / "corvane";
    if (!HoldsDataTree(exeFolder) && HoldsDataTree(installed)) {
        return WithSeparator(installed.string());
    }
    return WithSeparator(exeFolder.string());
}

bool IsInstalledProgramFolder(const std::string& programFolder) {
    const std::filesystem::path folder = std::filesystem::path(programFolder).lexically_normal();
    const std::filesystem::path last = folder.has_filename() ? folder : folder.parent_path();
    return last.filename() == "corvane" && last.parent_path().filename() == "share";
}

bool IsFolderWritable(const std::string& folder) {
    struct stat info {};
    struct statvfs volume {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || ::access(folder.c_str(), W_OK) != 0) {
        return false;
    }
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return false;
    }
    return ::statvfs(folder.c_str(), &volume) != 0 || (volume.f_flag & ST_RDONLY) == 0;
}

std::string GetLocalAppDataFolder() {
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

std::string GetConfigHomeFolder() {
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}
