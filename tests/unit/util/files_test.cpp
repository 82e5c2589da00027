// QR folder, folder checks and creation, in temporary folders only.
#include "scoped_env.h"
#include "test_temp_folder.h"
#include "util/tool.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

TEST(GetQrFolder, PrefersAnExistingLocalLowFolder) {
    TestTempFolder temp;
    const std::string local = temp.Folder() + "AppData/Local";
    std::filesystem::create_directories(local);
    ScopedEnv dataHome("XDG_DATA_HOME", local.c_str());

    std::string folder = "untouched";
    EXPECT_EQ(Tool::GetQrFolder(folder), 1);
    EXPECT_EQ(folder, local + "/Halvisto/");

    std::filesystem::create_directories(temp.Folder() + "AppData/LocalLow");
    EXPECT_EQ(Tool::GetQrFolder(folder), 1);
    EXPECT_EQ(folder, temp.Folder() + "AppData/LocalLow/Halvisto/");
}

TEST(GetQrFolder, FallsBackToHomeAndFailsWithoutAFolder) {
    TestTempFolder temp;
    ScopedEnv dataHome("XDG_DATA_HOME", "relative/ignored");
    ScopedEnv home("HOME", temp.Path().c_str());
    std::string folder;
    EXPECT_EQ(Tool::GetQrFolder(folder), 1);
    EXPECT_EQ(folder, temp.Folder() + ".local/share/Halvisto/");

    ScopedEnv noHome("HOME", nullptr);
    ScopedEnv noDataHome("XDG_DATA_HOME", nullptr);
    std::string untouched = "keep";
    EXPECT_EQ(Tool::GetQrFolder(untouched), -1);
    EXPECT_EQ(untouched, "keep");
}

TEST(ToolFiles, MakeDirectoriesCreatesEachFolderAlongThePath) {
    TestTempFolder temp;
    const std::string path = temp.Folder() + "a/b/c/";
    EXPECT_FALSE(Tool::DirectoryExists(path));
    Tool::MakeDirectories(path);
    EXPECT_TRUE(Tool::DirectoryExists(path));
    EXPECT_TRUE(Tool::DirectoryExists(temp.Folder() + "a/b"));
    // Text after the last separator is a file name, not a folder.
    Tool::MakeDirectories(temp.Folder() + "d/file.bmp");
    EXPECT_TRUE(Tool::DirectoryExists(temp.Folder() + "d"));
    EXPECT_FALSE(std::filesystem::exists(temp.Folder() + "d/file.bmp"));
    // A file in the way stops the folders below it and nothing else.
    temp.Write("f", "x");
    Tool::MakeDirectories(temp.Folder() + "f/g/");
    EXPECT_FALSE(Tool::DirectoryExists(temp.Folder() + "f/g"));
    EXPECT_FALSE(Tool::DirectoryExists(temp.Folder() + "f"));
    EXPECT_FALSE(Tool::DirectoryExists(""));
}
