// The failure-code tables and the format filler.
#include "lang/language.h"
#include "lang/tool_language.h"
#include "pack_files.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// A pack whose every text names its key, so a wrong row shows which one.
class ErrorTextsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A line with nothing before "=" must not give code -8 a text.
        std::string pack = "[String]\n=not a text\n";
        for (const char* key :
             {"info.socket_client_cre_fail", "info.socket_client_set_fail",   "info.socket_client_blind_fail",
              "info.socket_server_cre_fail", "info.socket_server_blind_fail", "info.socket_server_set_fail",
              "info.login_password_err",     "info.login_user_no_exist",      "info.login_timeout",
              "info.login_repeat",           "info.login_user_lock",          "info.login_user_blacklist",
              "info.login_sys_busy",         "info.login_con_host",           "K0008_OtherErrors",
              "info.Connect_full",           "info.login_old_protocol",       "info.login_user_too_long",
              "info.login_key_cost",         "info.login_protocol_mismatch"}) {
            pack += std::string(key) + "=T:" + key + "\n";
        }
        ASSERT_EQ(CLanguage::GetInstance().Load(m_folder.Write("errors.lang", pack)), 1);
    }
    PackFolder m_folder;
};

TEST_F(ErrorTextsTest, SocketCodes) {
    const char* const expected[8] = {"",
                                     "T:info.socket_server_set_fail",
                                     "T:info.socket_server_blind_fail",
                                     "T:info.socket_server_cre_fail",
                                     "T:info.socket_client_blind_fail",
                                     "T:info.socket_client_set_fail",
                                     "T:info.socket_client_set_fail",
                                     "T:info.socket_client_cre_fail"};
    for (int code = -8; code <= -1; ++code) {
        std::string text = "before";
        Tool::SocketErrorText(code + 8, text);
        EXPECT_EQ(text, expected[code + 8]) << "code " << code;
    }
    for (const int index : {-1, 8, 9, 100}) {
        std::string text = "before";
        Tool::SocketErrorText(index, text);
        EXPECT_EQ(text, "before") << "index " << index;
    }
}

TEST_F(ErrorTextsTest, LoginCodes) {
    const char* const expected[18] = {"T:info.login_password_err", nullptr,
                                      "T:info.login_password_err", "T:info.login_user_no_exist",
                                      "T:info.login_timeout",      "T:info.login_repeat",
                                      "T:info.login_user_lock",    "T:info.login_user_blacklist",
                                      "T:info.login_sys_busy",     nullptr,
                                      "T:info.login_con_host",     nullptr,
                                      "T:K0008_OtherErrors",       "T:info.Connect_full",
                                      "T:info.login_old_protocol", "T:info.login_user_too_long",
                                      "T:info.login_key_cost",     "T:info.login_protocol_mismatch"};
    for (int code = -1; code <= 16; ++code) {
        std::string text = "prepared";
        Tool::LoginErrorText(code + 1, text);
        const char* want = expected[code + 1];
        // Codes 0, 8 and 10 leave the caller's text as it was.
        EXPECT_EQ(text, want != nullptr ? want : "prepared") << "code " << code;
    }
    for (const int index : {-1, 18, 19, -100}) {
        std::string text = "prepared";
        Tool::LoginErrorText(index, text);
        EXPECT_EQ(text, "prepared") << "index " << index;
    }
}

TEST_F(ErrorTextsTest, MissingKeyShowsTheKey) {
    ASSERT_EQ(CLanguage::GetInstance().Load(m_folder.Write("empty.lang", "[String]\n")), 1);
    std::string text;
    Tool::LoginErrorText(12, text);
    EXPECT_EQ(text, "K0008_OtherErrors");
    Tool::SocketErrorText(1, text);
    EXPECT_EQ(text, "info.socket_server_set_fail");
}

TEST(FormatText, FillsOnlyTheFirstPercentS) {
    EXPECT_EQ(Tool::FormatText("Login failed: %s", "Wrong password."), "Login failed: Wrong password.");
    EXPECT_EQ(Tool::FormatText("%s", "x"), "x");
    EXPECT_EQ(Tool::FormatText("%s is not allowed", "?"), "? is not allowed");
    EXPECT_EQ(Tool::FormatText("Login failed: %s", ""), "Login failed: ");
    // Further "%s" and every other directive stay as they are.
    EXPECT_EQ(Tool::FormatText("%s%s%s", "a"), "a%s%s");
    EXPECT_EQ(Tool::FormatText("%n%s", "a"), "%na");
    EXPECT_EQ(Tool::FormatText("100% done %d %x %p %s", "!"), "100% done %d %x %p !");
    EXPECT_EQ(Tool::FormatText("%", "a"), "%");
    EXPECT_EQ(Tool::FormatText("%%", "a"), "%%");
    EXPECT_EQ(Tool::FormatText("50%%s", "a"), "50%a");
    EXPECT_EQ(Tool::FormatText("ends with %", "a"), "ends with %");
    EXPECT_EQ(Tool::FormatText("%S %ls %1$s", "a"), "%S %ls %1$s");
    // No "%s": the text as it is.
    EXPECT_EQ(Tool::FormatText("Login failed", "reason"), "Login failed");
    EXPECT_EQ(Tool::FormatText("", "reason"), "");
    // The argument is inserted as it is, never read as a format itself.
    EXPECT_EQ(Tool::FormatText("[%s]", "%s%n%%"), "[%s%n%%]");
    // Texts with zero bytes or any script come through whole.
    EXPECT_EQ(Tool::FormatText(std::string_view("a\0%s", 4), "b"), std::string("a\0b", 3));
    EXPECT_EQ(Tool::FormatText("登录失败：%s", "密码错误"), "登录失败：密码错误");
}

} // namespace
