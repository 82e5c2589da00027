// The single-instance lock lives in a folder of this user alone, and a lock
// file or folder of someone else is refused instead of used.
#include "platform/instance_lock.h"
#include "scoped_env.h"
#include "test_temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kOtherUser = 65534; // nobody

} // namespace

TEST(InstanceLock, PerUserFolderWithoutARuntimeFolder) {
    TestTempFolder temp;
    const std::string home = temp.Path().string();
    ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    ScopedEnv cache("XDG_CACHE_HOME", nullptr);
    ScopedEnv homeVariable("HOME", home.c_str());
    InstanceLock lock("HV_TOOL");
    EXPECT_EQ(lock.LockPath(), home + "/.cache/corvane/HV_TOOL.lock");
    ASSERT_EQ(lock.Acquire(), InstanceLock::Result::Acquired);
    struct stat info {};
    ASSERT_EQ(::stat((home + "/.cache/corvane").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    InstanceLock second("HV_TOOL");
    EXPECT_EQ(second.Acquire(), InstanceLock::Result::HeldElsewhere);
}

TEST(InstanceLock, SomeoneElsesLockFileLinkOrFolderIsRefused) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a file to another user";
    }
    TestTempFolder temp;
    const std::string folder = temp.Path().string();
    ScopedEnv runtime("XDG_RUNTIME_DIR", folder.c_str());

    // A lock file planted by another user.
    const std::string planted = temp.Write("HV_TOOL.lock", "");
    ASSERT_EQ(::chown(planted.c_str(), kOtherUser, kOtherUser), 0);
    InstanceLock lock("HV_TOOL");
    EXPECT_EQ(lock.Acquire(), InstanceLock::Result::Foreign);

    // A link in its place, to a file of this user.
    ASSERT_EQ(::unlink(planted.c_str()), 0);
    const std::string target = temp.Write("mine", "");
    ASSERT_EQ(::symlink(target.c_str(), planted.c_str()), 0);
    EXPECT_EQ(lock.Acquire(), InstanceLock::Result::Foreign);

    // A cache folder that another user made first.
    ScopedEnv noRuntime("XDG_RUNTIME_DIR", nullptr);
    ScopedEnv cache("XDG_CACHE_HOME", folder.c_str());
    ASSERT_EQ(::mkdir((folder + "/corvane").c_str(), 0777), 0);
    ASSERT_EQ(::chown((folder + "/corvane").c_str(), kOtherUser, kOtherUser), 0);
    EXPECT_EQ(lock.Acquire(), InstanceLock::Result::Foreign);
    ASSERT_EQ(::chown((folder + "/corvane").c_str(), ::geteuid(), ::getegid()), 0);
    EXPECT_EQ(lock.Acquire(), InstanceLock::Result::Acquired);
}
