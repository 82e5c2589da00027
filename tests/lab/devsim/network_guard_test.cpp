// The simulator's check that it does not serve from the machine's own
// network namespace: against a made-up /proc, and against the real one
// (ctest runs every test in a namespace of its own).
#include "network_guard.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A fake /proc whose ns/net entries are files: one inode per namespace.
class FakeProc {
public:
    FakeProc() : m_root(fs::temp_directory_path() / ("fake-proc-" + std::to_string(::getpid()))) {
        fs::remove_all(m_root);
    }
    ~FakeProc() { fs::remove_all(m_root); }
    void Namespace(const std::string& pid, const std::string& sameAs = {}) {
        fs::create_directories(m_root / pid / "ns");
        if (sameAs.empty()) {
            std::ofstream(m_root / pid / "ns" / "net") << pid;
        } else {
            fs::create_hard_link(m_root / sameAs / "ns" / "net", m_root / pid / "ns" / "net");
        }
    }
    void Command(const std::string& pid, const std::string& name) {
        fs::create_directories(m_root / pid);
        std::ofstream(m_root / pid / "comm") << name << "\n";
    }
    std::string Root() const { return m_root.string(); }

private:
    fs::path m_root;
};

} // namespace

TEST(NetworkGuard, ServesOnlyWhereNeitherInitNorTheKernelsThreadsAre) {
    {
        FakeProc proc;
        proc.Namespace("2");
        proc.Command("2", "kthreadd");
        proc.Namespace("self", "2");
        EXPECT_EQ(devsim::CheckNetworkPlace(proc.Root()).place, devsim::NetworkPlace::Initial);
    }
    {
        // PID 1 unreadable (as in a container), kthreadd elsewhere: private.
        FakeProc proc;
        proc.Namespace("2");
        proc.Command("2", "kthreadd");
        proc.Namespace("self");
        EXPECT_EQ(devsim::CheckNetworkPlace(proc.Root()).place, devsim::NetworkPlace::Private);
    }
    {
        // PID 2 is not the kernel's thread starter: PID 1 decides.
        FakeProc proc;
        proc.Namespace("1");
        proc.Namespace("2");
        proc.Command("2", "sh");
        proc.Namespace("self", "1");
        EXPECT_EQ(devsim::CheckNetworkPlace(proc.Root()).place, devsim::NetworkPlace::Initial);
    }
    {
        FakeProc proc;
        proc.Namespace("self");
        const auto check = devsim::CheckNetworkPlace(proc.Root());
        EXPECT_EQ(check.place, devsim::NetworkPlace::Unknown);
        EXPECT_FALSE(check.why.empty());
    }
    // This test itself runs in a namespace made for it.
    EXPECT_EQ(devsim::CheckNetworkPlace().place, devsim::NetworkPlace::Private);
}
