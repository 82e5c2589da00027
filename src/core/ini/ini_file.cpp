#include "ini/ini_file.h"

#include "ini/ini_file_testing.h"
#include "ini/ini_text.h"
#include "platform/atomic_file.h"
#include "util/tool.h"
#include "util/utf.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ini {

namespace {

// Larger files are not configuration files; they are treated as unreadable
// rather than read into memory whole.
constexpr off_t kMaxFileBytes = 64 * 1024 * 1024;

std::atomic<testing::RenameFunction> g_rename{nullptr};

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }
    // Closes now and reports whether the close succeeded.
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

enum class ReadResult { Ok, Missing, Failed };

ReadResult ReadFileBytes(const std::string& path, std::string& bytes) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer (it is then
    // refused as not a regular file); it changes nothing for regular files.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    }
    FileDescriptor file(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileBytes) {
        return ReadResult::Failed;
    }
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ReadResult::Failed;
        }
        if (got == 0) {
            break;
        }
        // The file may grow while it is read; keep the same limit.
        if (bytes.size() + static_cast<std::size_t>(got) > static_cast<std::size_t>(kMaxFileBytes)) {
            return ReadResult::Failed;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return ReadResult::Ok;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A write through a symbolic link updates the file it points to.
std::string ResolveTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) != nullptr) {
            return resolved;
        }
    }
    return path;
}

// Holds the advisory lock of the file's folder: every save of a file there
// reads, edits and replaces it under the lock, so two programs saving
// different keys at once both keep their key. The folder, not the file, is
// locked because each save replaces the file (and its inode) by a rename.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder)
        : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        while (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~FolderLock() {
        if (m_fd >= 0) {
            ::close(m_fd); // releases the lock
        }
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd;
};

std::optional<std::string> ReadText(const std::string& path) {
    std::string bytes;
    if (ReadFileBytes(path, bytes) != ReadResult::Ok) {
        return std::nullopt;
    }
    return DecodeBytes(bytes).text;
}

std::string CutToUnits(std::string_view text, std::size_t maxChars) {
    return std::string(text.substr(0, utf::PrefixForUtf16Units(text, maxChars)));
}

} // namespace

namespace testing {

void SetRenameFunction(RenameFunction rename) {
    g_rename.store(rename);
}

} // namespace testing

std::optional<std::string> ReadFileText(const std::string& path) {
    return ReadText(path);
}

std::string GetString(const std::string& path, std::string_view section, std::string_view key,
                      std::string_view defaultValue, std::size_t maxChars) {
    const std::optional<std::string> text = ReadText(path);
    if (text) {
        if (const std::optional<std::string> value = FindValue(*text, section, key)) {
            return CutToUnits(*value, maxChars);
        }
    }
    return CutToUnits(defaultValue, maxChars);
}

int GetInt(const std::string& path, std::string_view section, std::string_view key, int defaultValue) {
    const std::optional<std::string> text = ReadText(path);
    if (!text) {
        return defaultValue;
    }
    const std::optional<std::string> value = FindValue(*text, section, key);
    // An empty value counts as missing, as the platform's reader has it.
    if (!value || value->empty()) {
        return defaultValue;
    }
    return Tool::ToInt(*value, 10);
}

std::vector<std::string> GetSectionLines(const std::string& path, std::string_view section,
                                         std::size_t maxBytes) {
    const std::optional<std::string> text = ReadText(path);
    if (!text) {
        return {};
    }
    return SectionLines(*text, section, maxBytes);
}

bool WriteString(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view value) {
    return WriteStrings(path, section, {{std::string(key), std::string(value)}});
}

int RemoveStaleTemporaries(const std::string& path) {
    if (path.empty()) {
        return 0;
    }
    const std::string target = ResolveTarget(path);
    FolderLock lock(FolderOf(target));
    return platform::RemoveStaleTemporaries(target);
}

bool WriteStrings(const std::string& path, std::string_view section,
                  const std::vector<std::pair<std::string, std::string>>& keys) {
    if (path.empty() || keys.empty()) {
        return false;
    }
    for (const auto& [key, value] : keys) {
        if (!IsWritable(section, key, value)) {
            return false;
        }
    }
    const std::string target = ResolveTarget(path);
    FolderLock lock(FolderOf(target));
    std::string bytes;
    platform::AtomicWriteOptions options; // a new file: 0666 less the umask
    switch (ReadFileBytes(target, bytes)) {
    case ReadResult::Ok: {
        struct stat info {};
        if (::stat(target.c_str(), &info) == 0) {
            options.mode = info.st_mode & 07777;
            options.exactMode = true;
        }
        break;
    }
    case ReadResult::Missing:
        bytes.clear();
        break;
    case ReadResult::Failed:
        // Never replace a file that could not be read: its content would be lost.
        return false;
    }
    const DecodedText decoded = DecodeBytes(bytes);
    std::optional<std::string> edited = decoded.text;
    for (const auto& [key, value] : keys) {
        edited = SetValue(*edited, section, key, value);
        if (!edited) {
            return false;
        }
    }
    // UTF-16 files are written back as UTF-8 (the reader takes both).
    const std::string_view mark = decoded.encoding == FileEncoding::Utf8WithBom ? "\xEF\xBB\xBF" : "";
    std::string content;
    content.reserve(mark.size() + edited->size());
    content += mark;
    content += *edited;
    options.rename = g_rename.load();
    return platform::WriteFileAtomically(
        target, std::span(reinterpret_cast<const uint8_t*>(content.data()), content.size()), options);
}

} // namespace ini
