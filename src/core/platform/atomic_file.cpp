#include "platform/atomic_file.h"

#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

struct Split {
    std::string folder;
    std::string name;
};

Split SplitPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {".", path};
    }
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

// Creates path + six random letters or digits exclusively (never through
// a symbolic link), with mode less the umask as the kernel applies it.
int CreateTemporary(std::string& path, mode_t mode) {
    static constexpr std::string_view kLetters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const std::size_t stem = path.size();
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path.resize(stem);
        for (int i = 0; i < 6; ++i) {
            path += kLetters[random() % kLetters.size()];
        }
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::string TemporaryPrefix(const std::string& path) {
    return "." + SplitPath(path).name + ".tmp-";
}

bool WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes,
                         const AtomicWriteOptions& options) {
    const Split split = SplitPath(path);
    if (split.name.empty()) {
        return false;
    }
    // O_CREAT | O_EXCL never opens an existing name, a symbolic link
    // included; the user's umask applies to the mode.
    std::string temporary = split.folder + "/" + TemporaryPrefix(path);
    const int fd = CreateTemporary(temporary, options.mode);
    if (fd < 0) {
        return false;
    }
    const bool moded = !options.exactMode || ::fchmod(fd, options.mode) == 0;
    const bool written = moded && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    const RenameFunction rename = options.rename != nullptr ? options.rename : ::rename;
    // rename replaces the name itself: a symbolic link at the target is
    // replaced, never written through.
    if (!written || !closed || rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(split.folder);
    return true;
}

int RemoveStaleTemporaries(const std::string& path, int minAgeSeconds) {
    const Split split = SplitPath(path);
    const std::string prefix = TemporaryPrefix(path);
    DIR* folder = ::opendir(split.folder.c_str());
    if (folder == nullptr) {
        return 0;
    }
    const std::time_t now = std::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        // Exactly the prefix and six characters.
        if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix) {
            continue;
        }
        const std::string full = split.folder + "/" + std::string(name);
        struct stat info {};
        if (::lstat(full.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
            now - info.st_mtime < minAgeSeconds) {
            continue;
        }
        if (::unlink(full.c_str()) == 0) {
            ++removed;
        }
    }
    ::closedir(folder);
    return removed;
}

} // namespace platform
