#include "sdk/user_key_cache.h"

#include <map>
#include <mutex>

namespace sdkclient {

using namespace sdkwire;

namespace {

// Enough for a batch of several hundred devices logged in again after a
// restart; beyond it half of the entries are dropped.
constexpr std::size_t kMaxEntries = 1024;

struct Cache {
    std::mutex mutex;
    Digest processKey{};
    bool keyed = false;
    std::map<Digest, Digest> keys; // lookup id -> user key
};

Cache& TheCache() {
    static Cache cache;
    return cache;
}

void WipeEntries(std::map<Digest, Digest>& keys) {
    for (auto& [id, key] : keys) {
        WipeAll(key);
    }
    keys.clear();
}

} // namespace

Digest CachedUserKey(const std::string& user, const std::string& password, const Salt& salt,
                     uint32_t iterations) {
    Cache& cache = TheCache();
    Digest id{};
    {
        std::lock_guard lock(cache.mutex);
        if (!cache.keyed) {
            cache.keyed = RandomFill(cache.processKey);
        }
        if (cache.keyed) {
            ByteWriter message;
            message.Raw(salt);
            message.U32(iterations);
            message.Text(user);
            message.Blob(std::span(reinterpret_cast<const uint8_t*>(password.data()), password.size()));
            id = HmacSha256(cache.processKey, message.Data());
            Bytes taken = message.Take();
            WipeAll(taken);
            const auto found = cache.keys.find(id);
            if (found != cache.keys.end()) {
                return found->second;
            }
        }
    }
    // Derived outside the lock: other logins go on meanwhile.
    const Digest key = UserKey(user, password, salt, iterations);
    std::lock_guard lock(cache.mutex);
    if (cache.keyed) {
        if (cache.keys.size() >= kMaxEntries) {
            auto end = cache.keys.begin();
            std::advance(end, static_cast<std::ptrdiff_t>(kMaxEntries / 2));
            for (auto it = cache.keys.begin(); it != end; ++it) {
                WipeAll(it->second);
            }
            cache.keys.erase(cache.keys.begin(), end);
        }
        cache.keys[id] = key;
    }
    return key;
}

void ClearUserKeyCache() {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    WipeEntries(cache.keys);
}

} // namespace sdkclient
