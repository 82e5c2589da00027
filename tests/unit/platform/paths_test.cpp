// Where the program and the user's data are found.
#include "platform/paths.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (m_old) {
            ::setenv(m_name, m_old->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace

TEST(ProgramFolder, IsTheFolderOfTheRunningExecutableWithASeparator) {
    const std::string folder = GetProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), kPathSeparator);
    const std::filesystem::path exe = std::filesystem::canonical("/proc/self/exe");
    EXPECT_EQ(folder, exe.parent_path().string() + "/");
    EXPECT_TRUE(std::filesystem::exists(folder + exe.filename().string()));
}

TEST(LocalAppDataFolder, FollowsTheXdgRules) {
    {
        ScopedEnv dataHome("XDG_DATA_HOME", "/data/home");
        EXPECT_EQ(GetLocalAppDataFolder(), "/data/home");
    }
    {
        ScopedEnv dataHome("XDG_DATA_HOME", "relative");
        ScopedEnv home("HOME", "/home/user/");
        EXPECT_EQ(GetLocalAppDataFolder(), "/home/user/.local/share");
    }
    {
        ScopedEnv dataHome("XDG_DATA_HOME", "");
        ScopedEnv home("HOME", "/root");
        EXPECT_EQ(GetLocalAppDataFolder(), "/root/.local/share");
    }
    {
        ScopedEnv dataHome("XDG_DATA_HOME", nullptr);
        ScopedEnv home("HOME", nullptr);
        EXPECT_EQ(GetLocalAppDataFolder(), "");
    }
}
