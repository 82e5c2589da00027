// Choosing and switching packs: the remembered path, the English fallback and
// the per-thread objects.
#include "lang/language.h"
#include "lang/language_table.h"
#include "lang/tool_language.h"
#include "pack_files.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {

std::string Pack(std::string_view okText) {
    return "[String]\ntx.OK=" + std::string(okText) + "\n";
}

TEST(LanguageSwitch, SamePathIsNotReadAgainButABToAReloads) {
    PackFolder folder;
    const std::string a = folder.Write("a.lang", Pack("A1"));
    const std::string b = folder.Write("b.lang", Pack("B1"));
    CLanguage& language = CLanguage::GetInstance();

    ASSERT_EQ(language.Load(a), 1);
    EXPECT_EQ(language.GetText("tx.OK"), "A1");

    // Asking for the same pack again reads nothing: an edit does not show.
    folder.Write("a.lang", Pack("A2"));
    EXPECT_EQ(language.Load(a), 1);
    EXPECT_EQ(language.GetText("tx.OK"), "A1");

    ASSERT_EQ(language.Load(b), 1);
    EXPECT_EQ(language.GetText("tx.OK"), "B1");
    // Back to A reads it again and finds the edit.
    ASSERT_EQ(language.Load(a), 1);
    EXPECT_EQ(language.GetText("tx.OK"), "A2");
}

TEST(LanguageSwitch, MissingOrUnreadablePackGivesKeys) {
    PackFolder folder;
    CLanguage& language = CLanguage::GetInstance();
    ASSERT_EQ(language.Load(folder.Write("a.lang", Pack("A"))), 1);
    ASSERT_EQ(language.GetText("tx.OK"), "A");

    EXPECT_EQ(language.Load(folder.Path("missing.lang")), 1);
    EXPECT_EQ(language.GetText("tx.OK"), "tx.OK");

    ASSERT_EQ(language.Load(folder.Write("b.lang", Pack("B"))), 1);
    // A folder where the pack should be cannot be read as one.
    std::filesystem::create_directories(folder.Path("dir.lang"));
    EXPECT_EQ(language.Load(folder.Path("dir.lang")), 1);
    EXPECT_EQ(language.GetText("tx.OK"), "tx.OK");
}

class LoadLanguageTest : public ::testing::Test {
protected:
    std::string LangFile(const std::string& file) const { return "Config File/Lang/" + file; }
    PackFolder m_program;
};

TEST_F(LoadLanguageTest, LoadsTheChosenRowsPack) {
    m_program.Write(LangFile("eng.lang"), Pack("OK"));
    m_program.Write(LangFile("It.lang"), Pack("Va bene"));
    m_program.Write(LangFile("Cht.lang"), Pack("確定"));
    EXPECT_EQ(Tool::LoadLanguage(3, m_program.Folder()), 1);
    EXPECT_EQ(CLanguage::GetInstance().GetText("tx.OK"), "Va bene");
    EXPECT_EQ(Tool::LoadLanguage(2, m_program.Folder()), 1);
    EXPECT_EQ(CLanguage::GetInstance().GetText("tx.OK"), "確定");
    EXPECT_EQ(Tool::LoadLanguage(0, m_program.Folder()), 1);
    EXPECT_EQ(CLanguage::GetInstance().GetText("tx.OK"), "OK");
}

TEST_F(LoadLanguageTest, MissingPackFallsBackToEnglish) {
    m_program.Write(LangFile("eng.lang"), Pack("OK"));
    m_program.Write(LangFile("Ge.lang"), Pack("Gut"));
    ASSERT_EQ(Tool::LoadLanguage(8, m_program.Folder()), 1);
    ASSERT_EQ(CLanguage::GetInstance().GetText("tx.OK"), "Gut");

    // No It.lang: the English texts, silently.
    EXPECT_EQ(Tool::LoadLanguage(3, m_program.Folder()), 1);
    EXPECT_EQ(CLanguage::GetInstance().GetText("tx.OK"), "OK");

    // The file names are used exactly as written: "cht.lang" is not "Cht.lang".
    m_program.Write(LangFile("cht.lang"), Pack("lower case"));
    ASSERT_EQ(Tool::LoadLanguage(8, m_program.Folder()), 1);
    EXPECT_EQ(Tool::LoadLanguage(2, m_program.Folder()), 1);
    EXPECT_EQ(CLanguage::GetInstance().GetText("tx.OK"), "OK");

    // A folder named like the pack is no pack either.
    std::filesystem::create_directories(m_program.Path(LangFile("Ru.lang")));
    ASSERT_EQ(Tool::LoadLanguage(8, m_program.Folder()), 1);
    EXPECT_EQ(Tool::LoadLanguage(6, m_program.Folder()), 1);
    EXPECT_EQ(CLanguage::GetInstance().GetText("tx.OK"), "OK");
}

TEST_F(LoadLanguageTest, NoPackAtAllShowsKeys) {
    m_program.Write(LangFile("Ge.lang"), Pack("Gut"));
    ASSERT_EQ(Tool::LoadLanguage(8, m_program.Folder()), 1);
    EXPECT_EQ(Tool::LoadLanguage(3, m_program.Folder()), 1);
    EXPECT_EQ(CLanguage::GetInstance().GetText("tx.OK"), "tx.OK");
}

TEST_F(LoadLanguageTest, IndexOutsideTheTableChangesNothing) {
    m_program.Write(LangFile("eng.lang"), Pack("OK"));
    m_program.Write(LangFile("Thai.lang"), Pack("ตกลง"));
    ASSERT_EQ(Tool::LoadLanguage(25, m_program.Folder()), 1);
    for (const int index : {26, 27, -1, 1000}) {
        EXPECT_EQ(Tool::LoadLanguage(index, m_program.Folder()), 0) << index;
        EXPECT_EQ(CLanguage::GetInstance().GetText("tx.OK"), "ตกลง") << index;
    }
}

TEST(LanguageInstances, OnePerThreadSharingOneTable) {
    PackFolder folder;
    CLanguage& mine = CLanguage::GetInstance();
    EXPECT_EQ(&mine, &CLanguage::GetInstance());
    ASSERT_EQ(mine.Load(folder.Write("a.lang", Pack("shared"))), 1);

    CLanguage* theirs = nullptr;
    std::string seen;
    std::thread worker([&] {
        theirs = &CLanguage::GetInstance();
        seen = theirs->GetText("tx.OK");
    });
    worker.join();
    EXPECT_NE(theirs, &mine);
    EXPECT_EQ(seen, "shared");

    // Each object remembers its own last path: the worker's object has loaded
    // nothing, so it reads a.lang again although this thread just did.
    folder.Write("a.lang", Pack("edited"));
    int result = 0;
    std::thread loader([&] { result = CLanguage::GetInstance().Load(folder.Path("a.lang")); });
    loader.join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(mine.GetText("tx.OK"), "edited");
}

TEST(LanguageTableRows, IdsFollowRowsAndFilesAreDistinct) {
    ASSERT_EQ(LanguageTable.size(), 26u);
    for (std::size_t i = 0; i < LanguageTable.size(); ++i) {
        EXPECT_EQ(LanguageTable[i].Id, static_cast<int>(i));
        EXPECT_FALSE(LanguageTable[i].Name.empty());
        EXPECT_TRUE(LanguageTable[i].File.ends_with(".lang")) << LanguageTable[i].File;
        for (std::size_t k = 0; k < i; ++k) {
            EXPECT_NE(LanguageTable[i].File, LanguageTable[k].File);
            EXPECT_NE(LanguageTable[i].Name, LanguageTable[k].Name);
        }
    }
    EXPECT_EQ(LanguageTable[0].File, "eng.lang");
    EXPECT_EQ(LanguageTable[2].File, "Cht.lang");
    EXPECT_EQ(LanguageTable[1].Name, "简体中文");
    EXPECT_EQ(LanguageTable[25].File, "Thai.lang");
}

} // namespace
