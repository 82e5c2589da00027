#include "sdk/firmware_cache.h"

#include "sdk/config_file.h"

#include <map>
#include <mutex>
#include <sys/stat.h>
#include <tuple>

namespace sdkclient {

namespace {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t modifiedNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

bool IdentityOf(const std::string& path, FileIdentity& identity) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return false;
    }
    identity = {info.st_dev, info.st_ino, info.st_size,
                static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
    return true;
}

struct CachedImage {
    FileIdentity identity;
    std::weak_ptr<const sdkwire::Bytes> image;
};

// The check of an image, kept while the image lives (by its address).
struct CachedCheck {
    std::weak_ptr<const sdkwire::Bytes> image;
    std::optional<sdkwire::FirmwareHeader> header;
};

} // namespace

std::shared_ptr<const sdkwire::Bytes> SharedFirmware(const std::string& path, std::size_t maxSize) {
    static std::mutex mutex;
    static std::map<std::string, CachedImage> cache;
    FileIdentity identity;
    if (!IdentityOf(path, identity) || identity.size < 0 ||
        static_cast<std::size_t>(identity.size) > maxSize) {
        return nullptr;
    }
    // The lock is held while reading, so a batch that opens its upgrades
    // together still reads the file once.
    std::lock_guard lock(mutex);
    for (auto it = cache.begin(); it != cache.end();) {
        it = it->second.image.expired() ? cache.erase(it) : std::next(it);
    }
    if (const auto found = cache.find(path); found != cache.end() && found->second.identity == identity) {
        if (auto image = found->second.image.lock()) {
            return image;
        }
    }
    auto bytes = sdkwire::ReadWholeFile(path, maxSize);
    if (!bytes) {
        return nullptr;
    }
    auto image = std::make_shared<const sdkwire::Bytes>(std::move(*bytes));
    cache[path] = {identity, image};
    return image;
}

std::optional<sdkwire::FirmwareHeader> CheckedFirmware(const std::string& path, std::size_t maxSize,
                                                       std::shared_ptr<const sdkwire::Bytes>* image) {
    static std::mutex mutex;
    static std::map<const sdkwire::Bytes*, CachedCheck> checks;
    auto bytes = SharedFirmware(path, maxSize);
    if (image != nullptr) {
        *image = bytes;
    }
    if (!bytes) {
        return std::nullopt;
    }
    std::lock_guard lock(mutex);
    for (auto it = checks.begin(); it != checks.end();) {
        it = it->second.image.expired() ? checks.erase(it) : std::next(it);
    }
    const auto found = checks.find(bytes.get());
    if (found != checks.end()) {
        return found->second.header;
    }
    auto header = sdkwire::CheckFirmware(*bytes);
    checks[bytes.get()] = {bytes, header};
    return header;
}

} // namespace sdkclient
