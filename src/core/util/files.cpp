// File-system helpers of the Tool: the QR picture folder and folder creation.
#include "platform/paths.h"
#include "util/tool.h"

#include <cerrno>
#include <string>
#include <sys/stat.h>

namespace Tool {

int GetQrFolder(std::string& folder) {
    std::string candidate = GetLocalAppDataFolder();
    if (candidate.empty() || candidate.find(kPathSeparator) == std::string::npos) {
        return -1;
    }
    if (candidate.back() != kPathSeparator) {
        candidate += kPathSeparator;
    }
    // Prefer the low-integrity sibling folder where the platform has one.
    std::string lowFolder = candidate;
    ReplaceAll(lowFolder, "Local", "LocalLow");
    if (DirectoryExists(lowFolder)) {
        candidate = lowFolder;
    }
    candidate += "Halvisto";
    candidate += kPathSeparator;
    folder = std::move(candidate);
    return 1;
}

bool DirectoryExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void MakeDirectories(const std::string& path) {
    // Each folder along the path in turn; one that exists or cannot be made
    // is passed over, as the rest of the path may still be made.
    for (std::size_t pos = path.find(kPathSeparator); pos != std::string::npos;
         pos = path.find(kPathSeparator, pos + 1)) {
        const std::string prefix = path.substr(0, pos + 1);
        ::mkdir(prefix.c_str(), 0755);
    }
}

} // namespace Tool
