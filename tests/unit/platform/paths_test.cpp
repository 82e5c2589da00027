// Where the program and the user's data are found.
#include "platform/paths.h"
#include "scoped_env.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>

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

TEST(ProgramFolder, TheInstalledLayoutIsKnownByItsPlace) {
    EXPECT_TRUE(IsInstalledProgramFolder("/usr/share/corvane/"));
    EXPECT_TRUE(IsInstalledProgramFolder("/tmp/root/usr/local/share/corvane"));
    EXPECT_FALSE(IsInstalledProgramFolder("/work/build/bin/"));
    EXPECT_FALSE(IsInstalledProgramFolder("/opt/corvane/"));
}

TEST(ConfigHomeFolder, FollowsTheXdgRules) {
    {
        ScopedEnv configHome("XDG_CONFIG_HOME", "/cfg");
        EXPECT_EQ(GetConfigHomeFolder(), "/cfg");
    }
    ScopedEnv configHome("XDG_CONFIG_HOME", nullptr);
    ScopedEnv home("HOME", "/home/user");
    EXPECT_EQ(GetConfigHomeFolder(), "/home/user/.config");
}
