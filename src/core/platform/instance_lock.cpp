#include "platform/instance_lock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

// The folder of the lock: the runtime folder, else "corvane" in the cache
// folder. Only absolute paths count (relative ones are ignored, as the XDG
// rules say).
std::string LockFolder() {
    const std::string runtime = FromEnvironment("XDG_RUNTIME_DIR");
    if (!runtime.empty() && runtime.front() == '/') {
        return runtime;
    }
    std::string cache = FromEnvironment("XDG_CACHE_HOME");
    if (cache.empty() || cache.front() != '/') {
        const std::string home = FromEnvironment("HOME");
        if (home.empty() || home.front() != '/') {
            return {};
        }
        cache = home + "/.cache";
    }
    return cache + "/corvane";
}

// A folder of this user, made (with the cache folder above it) when missing.
InstanceLock::Result CheckFolder(const std::string& folder) {
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        const std::size_t slash = folder.rfind('/');
        if (slash != std::string::npos && slash > 0) {
            ::mkdir(folder.substr(0, slash).c_str(), 0700); // the cache folder itself
        }
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            return InstanceLock::Result::Unavailable;
        }
        if (::lstat(folder.c_str(), &info) != 0) {
            return InstanceLock::Result::Unavailable;
        }
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        return InstanceLock::Result::Foreign;
    }
    return InstanceLock::Result::Acquired;
}

} // namespace

InstanceLock::InstanceLock(std::string name) : m_name(std::move(name)) {}

InstanceLock::~InstanceLock() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

std::string InstanceLock::LockPath() const {
    const std::string folder = LockFolder();
    return folder.empty() ? std::string() : folder + "/" + m_name + ".lock";
}

InstanceLock::Result InstanceLock::Acquire() {
    if (m_fd >= 0) {
        return Result::Acquired;
    }
    const std::string folder = LockFolder();
    if (folder.empty()) {
        return Result::Unavailable;
    }
    if (const Result state = CheckFolder(folder); state != Result::Acquired) {
        return state;
    }
    const std::string path = LockPath();
    // Never through a link: a planted link is someone else's file.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return errno == ELOOP || errno == EACCES ? Result::Foreign : Result::Unavailable;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        ::close(fd);
        return Result::Foreign;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? Result::HeldElsewhere : Result::Unavailable;
    }
    m_fd = fd;
    return Result::Acquired;
}
