// The INI store on real files: reading, in-place writes, atomic replacement
// and hostile files.
#include "ini/ini_file.h"
#include "ini/ini_file_testing.h"
#include "test_temp_folder.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int FailingRename(const char*, const char*) {
    errno = EIO;
    return -1;
}

// Files left in the folder besides the ones named.
std::size_t CountFiles(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

class IniFile : public ::testing::Test {
protected:
    TestTempFolder m_temp;
};

} // namespace

TEST_F(IniFile, ReadsKeysAndIntegers) {
    const std::string path = m_temp.Write("Config.ini", "[DEVINFO_CFG]\r\nDev_Info=  300 \r\nNeg=-7x\r\n"
                                                        "Empty=\r\nWord=abc\r\nHuge=99999999999\r\n");
    EXPECT_EQ(ini::GetInt(path, "devinfo_cfg", "dev_info", 9215), 300);
    EXPECT_EQ(ini::GetInt(path, "DEVINFO_CFG", "Neg", 1), -7);
    EXPECT_EQ(ini::GetInt(path, "DEVINFO_CFG", "Empty", 9215), 9215);
    EXPECT_EQ(ini::GetInt(path, "DEVINFO_CFG", "Word", 5), 0);
    EXPECT_EQ(ini::GetInt(path, "DEVINFO_CFG", "Huge", 5), 2147483647);
    EXPECT_EQ(ini::GetInt(path, "DEVINFO_CFG", "Missing", 9215), 9215);
    EXPECT_EQ(ini::GetString(path, "DEVINFO_CFG", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini::GetInt(m_temp.File("absent.ini"), "a", "b", 42), 42);
}

TEST_F(IniFile, CutsLongValuesInUtf16Units) {
    // 2 ASCII letters, then a character outside the basic plane (2 units).
    const std::string path = m_temp.Write("a.ini", "[s]\nk=ab\xF0\x9F\x98\x80z\n");
    EXPECT_EQ(ini::GetString(path, "s", "k", "", 3), "ab");
    EXPECT_EQ(ini::GetString(path, "s", "k", "", 4), "ab\xF0\x9F\x98\x80");
    EXPECT_EQ(ini::GetString(path, "s", "k"), "ab\xF0\x9F\x98\x80z");
    EXPECT_EQ(ini::GetString(path, "s", "missing", "default", 3), "def");
}

TEST_F(IniFile, ReadsUtf16LittleEndianWithByteOrderMark) {
    std::string bytes("\xFF\xFE", 2);
    for (const char c : std::string("[String]\r\nmsg.Msg=\xD0\x96")) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            continue;
        }
        bytes += c;
        bytes += '\0';
    }
    bytes += std::string("\x16\x04", 2); // U+0416, the Cyrillic capital Zhe
    const std::string path = m_temp.Write("rus.lang", bytes);
    EXPECT_EQ(ini::GetString(path, "string", "MSG.MSG"), "\xD0\x96");
    EXPECT_EQ(ini::ReadFileText(path), "[String]\r\nmsg.Msg=\xD0\x96");
    const std::vector<std::string> lines = ini::GetSectionLines(path, "String", 1 << 20);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "msg.Msg=\xD0\x96");
}

TEST_F(IniFile, WriteChangesOneKeyAndKeepsEveryOtherByte) {
    const std::string original = "\xEF\xBB\xBF; Corvane settings\r\n"
                                 "[LANGUAGE_CFG]\r\n"
                                 "Default = english   ; as shipped\r\n"
                                 "Lang=eng|chs|\r\n"
                                 "\r\n"
                                 "[SEARCH_CFG]\r\n"
                                 "Sel_Time=1\r\n";
    const std::string path = m_temp.Write("Config.ini", original);
    ASSERT_TRUE(ini::WriteString(path, "language_cfg", "DEFAULT", "English"));
    std::string expected = original;
    expected.replace(expected.find("english   ; as shipped"), std::string("english   ; as shipped").size(),
                     "English");
    EXPECT_EQ(TestTempFolder::Read(path), expected);
    EXPECT_EQ(CountFiles(m_temp.Path()), 1u);

    ASSERT_TRUE(ini::WriteString(path, "SEARCH_CFG", "Periodic_Search", "1"));
    expected += "Periodic_Search=1\r\n";
    EXPECT_EQ(TestTempFolder::Read(path), expected);
}

TEST_F(IniFile, WriteKeepsThePermissionsOfTheFile) {
    const std::string path = m_temp.Write("Config.ini", "[a]\nk=1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(ini::WriteString(path, "a", "k", "2"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(IniFile, WriteCreatesAMissingFileOnlyWhenItsFolderExists) {
    const std::string path = m_temp.File("new.ini");
    ASSERT_TRUE(ini::WriteString(path, "DEVINFO_CFG", "Dev_Info", "256"));
    EXPECT_EQ(TestTempFolder::Read(path), "[DEVINFO_CFG]\nDev_Info=256\n");

    const std::string deep = m_temp.File("missing/folder/new.ini");
    EXPECT_FALSE(ini::WriteString(deep, "a", "k", "v"));
    EXPECT_FALSE(std::filesystem::exists(m_temp.Path() / "missing"));
}

TEST_F(IniFile, FailedRenameLeavesTheOldFileWholeAndNoTemporaryFile) {
    const std::string original = "[a]\nk=old\n";
    const std::string path = m_temp.Write("Config.ini", original);
    ini::testing::SetRenameFunction(&FailingRename);
    const bool written = ini::WriteString(path, "a", "k", "new");
    ini::testing::SetRenameFunction(nullptr);
    EXPECT_FALSE(written);
    EXPECT_EQ(TestTempFolder::Read(path), original);
    EXPECT_EQ(CountFiles(m_temp.Path()), 1u);
    // The store works again once the rename does.
    EXPECT_TRUE(ini::WriteString(path, "a", "k", "new"));
    EXPECT_EQ(ini::GetString(path, "a", "k"), "new");
}

TEST_F(IniFile, FailedWriteOfTheTemporaryFileLeavesTheOldFileWhole) {
    // A file-size limit makes the write of the new content fail half way,
    // as a full disk would.
    const std::string original = "[a]\nk=old\n" + std::string(4000, '#') + "\n";
    const std::string path = m_temp.Write("Config.ini", original);
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool written = ini::WriteString(path, "a", "k", "new");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(TestTempFolder::Read(path), original);
    EXPECT_EQ(CountFiles(m_temp.Path()), 1u);
}

TEST_F(IniFile, UnreadableTargetsAreNeitherReadNorReplaced) {
    const std::string folder = m_temp.File("Config.ini");
    std::filesystem::create_directory(folder);
    EXPECT_EQ(ini::GetString(folder, "a", "k", "d"), "d");
    EXPECT_FALSE(ini::WriteString(folder, "a", "k", "v"));
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    // A FIFO must not block the reader waiting for a writer.
    const std::string fifo = m_temp.File("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ini::GetInt(fifo, "a", "k", 7), 7);
    EXPECT_FALSE(ini::ReadFileText(fifo));
    EXPECT_FALSE(ini::WriteString(fifo, "a", "k", "v"));
}

TEST_F(IniFile, WriteThroughASymbolicLinkUpdatesItsTarget) {
    const std::string target = m_temp.Write("real.ini", "[a]\nk=1\n");
    const std::string link = m_temp.File("link.ini");
    std::filesystem::create_symlink(target, link);
    ASSERT_TRUE(ini::WriteString(link, "a", "k", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TestTempFolder::Read(target), "[a]\nk=2\n");
}

TEST_F(IniFile, Utf16FileIsWrittenBackAsUtf8WithItsOtherKeys) {
    std::string bytes("\xFF\xFE", 2);
    for (const char c : std::string("[a]\r\nx=1\r\nk=old\r\n")) {
        bytes += c;
        bytes += '\0';
    }
    const std::string path = m_temp.Write("w.ini", bytes);
    ASSERT_TRUE(ini::WriteString(path, "a", "k", "new"));
    EXPECT_EQ(TestTempFolder::Read(path), "[a]\r\nx=1\r\nk=new\r\n");
}

TEST_F(IniFile, HostileFilesGiveDefaults) {
    std::string garbage;
    uint32_t state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        garbage += static_cast<char>(state >> 24);
    }
    const std::string binary = m_temp.Write("binary.ini", garbage);
    EXPECT_EQ(ini::GetString(binary, "SETTING", "App_Name", "d"), "d");
    EXPECT_EQ(ini::GetInt(binary, "DEVINFO_CFG", "Dev_Info", 9215), 9215);

    const std::string noSections = m_temp.Write("flat.ini", "App_Name=x\nDev_Info=1\n");
    EXPECT_EQ(ini::GetString(noSections, "SETTING", "App_Name", "d"), "d");

    // A line of 8 MiB before the key, and a key whose value is 3 MiB long.
    const std::string longLine = "[SETTING]\n" + std::string(8 << 20, 'x') +
                                 "\nApp_Name=" + std::string(3 << 20, 'y') + "\nVersion=1.0\n";
    const std::string huge = m_temp.Write("long.ini", longLine);
    EXPECT_EQ(ini::GetString(huge, "SETTING", "Version"), "1.0");
    EXPECT_EQ(ini::GetString(huge, "SETTING", "App_Name"), std::string(2999, 'y'));
    EXPECT_TRUE(ini::WriteString(huge, "SETTING", "Version", "2.0"));
    EXPECT_EQ(ini::GetString(huge, "SETTING", "Version"), "2.0");
}

TEST_F(IniFile, ConcurrentSavesOfDifferentKeysKeepBothAndPairsGoInOneSave) {
    const std::string path = m_temp.Write("Config.ini", "[a]\n");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    const char* key = child == 0 ? "child" : "parent";
    bool allWritten = true;
    for (int i = 1; i <= 60; ++i) {
        allWritten = ini::WriteString(path, "a", key, std::to_string(i)) && allWritten;
    }
    if (child == 0) {
        ::_exit(allWritten ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(allWritten);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ini::GetString(path, "a", "child"), "60");
    EXPECT_EQ(ini::GetString(path, "a", "parent"), "60");

    EXPECT_TRUE(ini::WriteStrings(path, "s", {{"one", "1"}, {"two", "2"}}));
    EXPECT_EQ(ini::GetString(path, "s", "one") + ini::GetString(path, "s", "two"), "12");
    // A pair with one key that cannot be written changes nothing.
    EXPECT_FALSE(ini::WriteStrings(path, "s", {{"one", "9"}, {"", "9"}}));
    EXPECT_EQ(ini::GetString(path, "s", "one"), "1");
}

TEST_F(IniFile, TemporariesOfInterruptedSavesAreRemovedOnRequest) {
    const std::string path = m_temp.Write("Config.ini", "[a]\nk=1\n");
    m_temp.Write(".Config.ini.tmp-Xy34Zw", "[a"); // the common writer's
    // The user's own files beside it, however they are named.
    m_temp.Write("Config.ini.backup", "keep");
    m_temp.Write("Config.ini.Ab12Cd", "keep");
    m_temp.Write("Config.ini.bak", "keep");
    EXPECT_EQ(ini::RemoveStaleTemporaries(path), 1);
    EXPECT_EQ(CountFiles(m_temp.Path()), 4u);
    EXPECT_EQ(ini::GetString(path, "a", "k"), "1");
}
