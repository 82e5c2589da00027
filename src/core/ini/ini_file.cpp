#include "ini/ini_file.h"

#include "ini/ini_file_testing.h"
#include "ini/ini_text.h"
#include "util/tool.h"
#include "util/utf.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
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

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
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

// Writes the whole content to a temporary file beside the target, flushes it
// to the disk and renames it over the target, so the target is always either
// the old file or the new one.
bool WriteFileAtomically(const std::string& path, std::string_view content, mode_t mode) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    FileDescriptor file(fd);
    const bool written = ::fchmod(fd, mode) == 0 && WriteAll(fd, content) && ::fsync(fd) == 0 && file.Close();
    const testing::RenameFunction rename = g_rename.load();
    if (!written || (rename != nullptr ? rename : ::rename)(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here no longer loses data.
    const int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

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
    if (path.empty() || !IsWritable(section, key, value)) {
        return false;
    }
    const std::string target = ResolveTarget(path);
    std::string bytes;
    mode_t mode = 0644;
    switch (ReadFileBytes(target, bytes)) {
    case ReadResult::Ok: {
        struct stat info {};
        if (::stat(target.c_str(), &info) == 0) {
            mode = info.st_mode & 07777;
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
    const std::optional<std::string> edited = SetValue(decoded.text, section, key, value);
    if (!edited) {
        return false;
    }
    // UTF-16 files are written back as UTF-8 (the reader takes both).
    const std::string_view mark = decoded.encoding == FileEncoding::Utf8WithBom ? "\xEF\xBB\xBF" : "";
    std::string content;
    content.reserve(mark.size() + edited->size());
    content += mark;
    content += *edited;
    return WriteFileAtomically(target, content, mode);
}

} // namespace ini
