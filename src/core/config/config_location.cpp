#include "config/config_location.h"

#include "platform/paths.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace {

// Copies the shipped file under a temporary name and renames it, so a
// second instance starting at the same moment never reads half a file;
// whichever copy lands last is as good as the first.
bool CopyShipped(const std::filesystem::path& shipped, const std::filesystem::path& target) {
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    if (error) {
        return false;
    }
    const std::filesystem::path temporary =
        target.parent_path() / (".Config.ini." + std::to_string(::getpid()) + ".new");
    if (std::filesystem::exists(shipped, error)) {
        std::filesystem::copy_file(shipped, temporary, std::filesystem::copy_options::overwrite_existing,
                                   error);
        if (!error) {
            // The shipped file is read-only when installed; the copy is the user's.
            std::filesystem::permissions(
                temporary, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                std::filesystem::perm_options::add, error);
        }
    } else {
        // Nothing shipped: an empty file still gives every default and takes
        // the saves.
        std::ofstream empty(temporary);
        if (!empty) {
            error = std::make_error_code(std::errc::io_error);
        }
    }
    if (!error) {
        std::filesystem::rename(temporary, target, error);
    }
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

} // namespace

std::string ShippedConfigPath(const std::string& programFolder) {
    const std::string sep(1, kPathSeparator);
    return programFolder + "Config File" + sep + "Config" + sep + "Config.ini";
}

std::string UserConfigPath() {
    const std::string home = GetConfigHomeFolder();
    if (home.empty()) {
        return {};
    }
    const std::string sep(1, kPathSeparator);
    return home + sep + "corvane" + sep + "Config.ini";
}

std::string ResolveConfigPath(const std::string& programFolder) {
    const std::string shipped = ShippedConfigPath(programFolder);
    const std::filesystem::path shippedFolder = std::filesystem::path(shipped).parent_path();
    std::error_code error;
    // A program folder without its data tree keeps the old behaviour: no
    // settings to copy, and the saves fail as they always did.
    if (!std::filesystem::is_directory(shippedFolder, error) ||
        (!IsInstalledProgramFolder(programFolder) && IsFolderWritable(shippedFolder.string()))) {
        return shipped;
    }
    const std::string user = UserConfigPath();
    if (user.empty()) {
        return shipped;
    }
    if (std::filesystem::exists(user, error) || CopyShipped(shipped, user)) {
        return user;
    }
    return shipped;
}
