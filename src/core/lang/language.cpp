#include "lang/language.h"

#include "lang/text_table.h"

#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <utility>

namespace {

// The one text table of the process. Readers copy the pointer under the lock
// and then read without it; a load exchanges the pointer, and the old table
// lives on until the last reader holding it is done.
struct SharedTable {
    std::mutex mutex;
    std::shared_ptr<const TextTable> table = std::make_shared<const TextTable>();
};

SharedTable& Shared() {
    static SharedTable shared;
    return shared;
}

std::shared_ptr<const TextTable> CurrentTable() {
    SharedTable& shared = Shared();
    std::lock_guard lock(shared.mutex);
    return shared.table;
}

void ReplaceTable(std::shared_ptr<const TextTable> table) {
    SharedTable& shared = Shared();
    std::shared_ptr<const TextTable> old;
    {
        std::lock_guard lock(shared.mutex);
        old = std::exchange(shared.table, std::move(table));
    }
    // old is released here, outside the lock.
}

// The objects of every thread that asked for one, never destroyed while the
// program runs. A thread that ends and a later one given the same identifier
// share the object, as the identifier is all the map knows.
struct InstanceMap {
    std::mutex mutex;
    std::map<std::thread::id, std::unique_ptr<CLanguage>> objects;
};

InstanceMap& Instances() {
    static InstanceMap instances;
    return instances;
}

} // namespace

CLanguage& CLanguage::GetInstance() {
    // The map is only touched under its lock; each thread remembers its
    // object so later calls take no lock at all.
    thread_local CLanguage* cached = nullptr;
    if (cached != nullptr) {
        return *cached;
    }
    InstanceMap& instances = Instances();
    std::lock_guard lock(instances.mutex);
    std::unique_ptr<CLanguage>& object = instances.objects[std::this_thread::get_id()];
    if (!object) {
        object.reset(new CLanguage());
    }
    cached = object.get();
    return *cached;
}

int CLanguage::Load(const std::string& packPath) {
    if (packPath == m_loadedPath) {
        return 1;
    }
    std::shared_ptr<const TextTable> table;
    try {
        table = std::make_shared<const TextTable>(ReadPackFile(packPath));
    } catch (const std::bad_alloc&) {
        // The active table stays; the path is not remembered, so asking for
        // it again tries again.
        return 0;
    }
    ReplaceTable(std::move(table));
    m_loadedPath = packPath;
    return 1;
}

std::string CLanguage::GetText(std::string_view key) const {
    const std::shared_ptr<const TextTable> table = CurrentTable();
    const auto found = table->find(key);
    if (found == table->end() || found->second.empty()) {
        return std::string(key);
    }
    return found->second;
}
