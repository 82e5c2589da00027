// Worker threads (the search, the batches) look texts up while the user
// switches language on the user-interface thread. Every lookup must see one
// whole pack, old or new. Run under ThreadSanitizer this also shows there is
// no data race between a load and the lookups.
#include "lang/language.h"
#include "pack_files.h"

#include <atomic>
#include <gtest/gtest.h>
#include <latch>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kKeys = 200;

std::string MakePack(const std::string& tag) {
    std::string text = "[String]\n";
    for (int i = 0; i < kKeys; ++i) {
        text += "k" + std::to_string(i) + "=" + tag + std::to_string(i) + "\n";
    }
    return text;
}

TEST(ConcurrentLookup, LookupsDuringLanguageSwitchesSeeWholePacks) {
    PackFolder folder;
    const std::string a = folder.Write("a.lang", MakePack("alpha-"));
    const std::string b = folder.Write("b.lang", MakePack("beta-"));
    ASSERT_EQ(CLanguage::GetInstance().Load(a), 1);

    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::atomic<long> lookups{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&, r] {
            CLanguage& language = CLanguage::GetInstance();
            int i = r;
            while (!stop.load()) {
                const std::string key = "k" + std::to_string(i % kKeys);
                const std::string text = language.GetText(key);
                const std::string n = std::to_string(i % kKeys);
                if (text != "alpha-" + n && text != "beta-" + n) {
                    ++bad;
                }
                ++i;
                ++lookups;
            }
        });
    }

    // The user-interface thread switches back and forth.
    CLanguage& ui = CLanguage::GetInstance();
    int switches = 0;
    for (; switches < 200; ++switches) {
        ASSERT_EQ(ui.Load(switches % 2 == 0 ? b : a), 1);
    }
    // Let the readers overlap at least some loads even on a slow machine.
    while (lookups.load() < 1000) {
        std::this_thread::yield();
    }
    stop = true;
    for (std::thread& reader : readers) {
        reader.join();
    }
    EXPECT_EQ(bad.load(), 0);
    EXPECT_EQ(ui.GetText("k7"), "alpha-7");
}

TEST(ConcurrentLookup, ThreadsCreatingTheirObjectsAtOnceGetOneEach) {
    constexpr std::size_t kThreads = 8;
    std::vector<CLanguage*> objects(kThreads, nullptr);
    // One byte per thread: vector<bool> packs bits, which threads cannot share.
    std::vector<char> stable(kThreads, 0);
    // Every thread stays alive until all have their object, so no thread id
    // is reused and each must have an object of its own.
    std::latch allCreated(kThreads);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            objects[t] = &CLanguage::GetInstance();
            allCreated.arrive_and_wait();
            stable[t] = objects[t] == &CLanguage::GetInstance() ? 1 : 0;
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    const std::set<CLanguage*> distinct(objects.begin(), objects.end());
    EXPECT_EQ(distinct.size(), kThreads);
    EXPECT_EQ(distinct.count(nullptr), 0u);
    EXPECT_EQ(distinct.count(&CLanguage::GetInstance()), 0u);
    for (std::size_t t = 0; t < kThreads; ++t) {
        EXPECT_EQ(stable[t], 1) << t;
    }
}

} // namespace
