#include "lang/language.h"
#include "lang/tool_language.h"

#include <array>
#include <string_view>

namespace {

// Index = socket preparation code + 8. Code -8 has no key: its text is empty.
constexpr std::array<std::string_view, 8> kSocketErrorKeys = {
    "",                              // -8
    "info.socket_server_set_fail",   // -7 non-blocking mode of the receiving socket
    "info.socket_server_blind_fail", // -6 binding the receiving socket
    "info.socket_server_cre_fail",   // -5 creating the receiving socket
    "info.socket_client_blind_fail", // -4 binding the sending socket
    "info.socket_client_set_fail",   // -3 broadcast option of the sending socket
    "info.socket_client_set_fail",   // -2 address-reuse option of the sending socket
    "info.socket_client_cre_fail",   // -1 creating the sending socket
};

// Index = login error code + 1. An empty entry leaves the caller's text.
constexpr std::array<std::string_view, Tool::kLoginErrorTextCount> kLoginErrorKeys = {
    "info.login_password_err",      // -1
    "",                             // 0
    "info.login_password_err",      // 1
    "info.login_user_no_exist",     // 2
    "info.login_timeout",           // 3
    "info.login_repeat",            // 4
    "info.login_user_lock",         // 5
    "info.login_user_blacklist",    // 6
    "info.login_sys_busy",          // 7
    "",                             // 8
    "info.login_con_host",          // 9
    "",                             // 10
    "K0008_OtherErrors",            // 11
    "info.Connect_full",            // 12 no free session on the device
    "info.login_old_protocol",      // 13 the device speaks only protocol version 1
    "info.login_user_too_long",     // 14 user name over 95 bytes
    "info.login_key_cost",          // 15 the device's key cost is out of range
    "info.login_protocol_mismatch", // 16 no protocol version both speak
};

} // namespace

namespace Tool {

void SocketErrorText(int index, std::string& text) {
    if (index < 0 || index >= static_cast<int>(kSocketErrorKeys.size())) {
        return;
    }
    const std::string_view key = kSocketErrorKeys[static_cast<std::size_t>(index)];
    text = key.empty() ? std::string() : CLanguage::GetInstance().GetText(key);
}

void LoginErrorText(int index, std::string& text) {
    if (index < 0 || index >= static_cast<int>(kLoginErrorKeys.size())) {
        return;
    }
    const std::string_view key = kLoginErrorKeys[static_cast<std::size_t>(index)];
    if (key.empty()) {
        return;
    }
    text = CLanguage::GetInstance().GetText(key);
}

} // namespace Tool
