// Where Config.ini is written: the shipped file in a writable program folder,
// else the user's copy under the configuration home.
#include "config/config_location.h"
#include "config_fixture.h"
#include "scoped_env.h"

#include <filesystem>

namespace {

// Takes the write bits off a folder for the life of the object (put back so
// the temporary folder can be removed).
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::string folder) : m_folder(std::move(folder)) {
        std::filesystem::permissions(m_folder, kWrite, std::filesystem::perm_options::remove);
    }
    ~ReadOnlyFolder() { std::filesystem::permissions(m_folder, kWrite, std::filesystem::perm_options::add); }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

private:
    static constexpr auto kWrite = std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                   std::filesystem::perms::others_write;
    std::string m_folder;
};

} // namespace

TEST_F(ConfigTest, AWritableProgramFolderKeepsItsConfigIni) {
    TestTempFolder home;
    ScopedEnv configHome("XDG_CONFIG_HOME", home.Folder().c_str());
    WriteConfig("[LANGUAGE_CFG]\nDefault=English\n");
    AppConfig config = Load();
    EXPECT_EQ(config.ConfigPath, ConfigPath());
    ASSERT_TRUE(SaveLanguage(config, 8));
    EXPECT_EQ(Load().LanguageIndex, 8);
    EXPECT_FALSE(std::filesystem::exists(home.File("corvane")));
}

TEST_F(ConfigTest, AReadOnlyProgramFolderSavesIntoTheUsersCopy) {
    TestTempFolder home;
    ScopedEnv configHome("XDG_CONFIG_HOME", home.Path().c_str());
    const std::string shippedText = "[LANGUAGE_CFG]\nDefault=English\n[SETTING]\nApp_Name=Corvane\n";
    WriteConfig(shippedText);
    const ReadOnlyFolder readOnly(m_program.File("Config File/Config"));

    AppConfig config = Load();
    const std::string user = home.File("corvane/Config.ini");
    ASSERT_EQ(config.ConfigPath, user);
    EXPECT_EQ(TestTempFolder::Read(user), shippedText);
    EXPECT_EQ(config.AppName, "Corvane");

    ASSERT_TRUE(SaveLanguage(config, 6));
    EXPECT_EQ(TestTempFolder::Read(ConfigPath()), shippedText);
    // The next start reads the user's copy and does not copy again.
    EXPECT_EQ(Load().LanguageIndex, 6);
    EXPECT_EQ(Load().ConfigPath, user);

    // No configuration home at all: the shipped file is still read.
    ScopedEnv noConfigHome("XDG_CONFIG_HOME", nullptr);
    ScopedEnv noHome("HOME", nullptr);
    EXPECT_EQ(Load().ConfigPath, ConfigPath());
    EXPECT_EQ(Load().AppName, "Corvane");
}
