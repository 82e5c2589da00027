// The program's one file writer: whole files or none, no symbolic link
// followed, and the leftovers of an interrupted write cleared.
#include "platform/atomic_file.h"
#include "test_temp_folder.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::span<const uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

int FailingRename(const char*, const char*) {
    errno = EIO;
    return -1;
}

std::size_t CountFiles(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

} // namespace

TEST(AtomicFile, ReplacesWholeWithTheModeAndNeverWritesThroughALink) {
    TestTempFolder temp;
    const std::string path = temp.File("export.coi");
    ASSERT_TRUE(platform::WriteFileAtomically(path, Bytes("first"), {.mode = 0600}));
    EXPECT_EQ(TestTempFolder::Read(path), "first");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // A link planted under the target's name is replaced, its file untouched.
    const std::string victim = temp.Write("victim", "keep me");
    const std::string planted = temp.File("planted.coi");
    ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
    ASSERT_TRUE(platform::WriteFileAtomically(planted, Bytes("export")));
    EXPECT_EQ(TestTempFolder::Read(victim), "keep me");
    EXPECT_EQ(TestTempFolder::Read(planted), "export");
    ASSERT_EQ(::lstat(planted.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));

    // A failed rename keeps the old file and leaves no temporary.
    const std::size_t files = CountFiles(temp.Path());
    EXPECT_FALSE(platform::WriteFileAtomically(path, Bytes("second"), {.rename = &FailingRename}));
    EXPECT_EQ(TestTempFolder::Read(path), "first");
    EXPECT_EQ(CountFiles(temp.Path()), files);
    EXPECT_FALSE(platform::WriteFileAtomically(temp.File("missing/x"), Bytes("x")));
}

TEST(AtomicFile, NewFilesFollowTheUmask) {
    TestTempFolder temp;
    const mode_t saved = ::umask(077);
    const std::string picture = temp.File("qr.bmp");
    const bool pictureWritten = platform::WriteFileAtomically(picture, Bytes("p"));
    ::umask(022);
    const std::string open = temp.File("open.bmp");
    const bool openWritten = platform::WriteFileAtomically(open, Bytes("p"));
    const std::string exported = temp.File("a.coi");
    const bool exportWritten = platform::WriteFileAtomically(exported, Bytes("c"), {.mode = 0600});
    // An existing file's mode is kept as it is, whatever the umask.
    ::umask(077);
    const std::string kept = temp.File("Config.ini");
    const bool keptWritten =
        platform::WriteFileAtomically(kept, Bytes("k"), {.mode = 0644, .exactMode = true});
    ::umask(saved);
    ASSERT_TRUE(pictureWritten && openWritten && exportWritten && keptWritten);
    const auto modeOf = [](const std::string& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 07777u;
    };
    EXPECT_EQ(modeOf(picture), 0600u);
    EXPECT_EQ(modeOf(open), 0644u);
    EXPECT_EQ(modeOf(exported), 0600u);
    EXPECT_EQ(modeOf(kept), 0644u);
}

TEST(AtomicFile, StaleTemporariesOfThatFileAloneAreRemoved) {
    TestTempFolder temp;
    const std::string path = temp.File("qr.bmp");
    temp.Write(".qr.bmp.tmp-a1B2c3", "half");
    temp.Write(".qr.bmp.tmp-ZZZZZZ", "half");
    temp.Write(".qr.bmp.tmp-short", "not ours");
    temp.Write(".other.bmp.tmp-a1B2c3", "another file's");
    std::filesystem::create_directory(temp.Path() / ".qr.bmp.tmp-folder");
    EXPECT_EQ(platform::RemoveStaleTemporaries(path, 60), 0); // too young to be stale
    EXPECT_EQ(platform::RemoveStaleTemporaries(path), 2);
    EXPECT_TRUE(std::filesystem::exists(temp.File(".qr.bmp.tmp-short")));
    EXPECT_TRUE(std::filesystem::exists(temp.File(".other.bmp.tmp-a1B2c3")));
    EXPECT_TRUE(std::filesystem::exists(temp.File(".qr.bmp.tmp-folder")));
}
