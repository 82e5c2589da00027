// Login: the device's login dialog, the login on a pool thread, and the
// message of a failed login. The other commands that need a login start
// with LoginThen.
#include "devlist/device_actions.h"
#include "devlist/device_commands.h"
#include "lang/tool_language.h"
#include "operate/device_actions.h"
#include "operate/dlg_login_local.h"
#include "operate/login.h"
#include "session/device_session.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "util/tool.h"

namespace {

struct LoginOutcome {
    int result = -1;
    int error = 0;
};

} // namespace

void RunLogin(CDeviceActions& actions, int row, int) {
    actions.LoginThen(row, true, [&actions](DeviceEntry&) { actions.SetRunning(false); });
}

void CDeviceActions::ShowLoginFailure(int error) {
    std::string reason;
    const int index = LoginErrorTextIndex(error);
    if (index >= 0) {
        Tool::LoginErrorText(index, reason);
    }
    const std::string text = Tool::FormatText(LangText("info.login_fail_s").toStdString(), reason);
    ShowTipText(m_page, QString::fromStdString(text), false, kTipIconInformation);
}

void CDeviceActions::LoginThen(int row, bool alreadyIsAnError, std::function<void(DeviceEntry& entry)> next) {
    DeviceEntry* entry = EntryAt(row);
    if (entry == nullptr) {
        ShowLoginFailure(0);
        return;
    }
    if (m_session.IsLoggedIn(DeviceKey(*entry))) {
        // LoginDevice's answer for a logged-in device, without a thread.
        if (alreadyIsAnError) {
            Tip("msg.Already_logined");
            return;
        }
        SetRunning(true);
        next(*entry);
        return;
    }
    SetRunning(true);
    const std::string mac = DeviceKey(*entry);
    DesktopLoginPrompt* prompt = m_prompt;
    DeviceLink* link = &m_session.LinkFor(*entry);
    LoginTable* logins = &m_session.Logins();
    // The worker reads a copy of the record; the lease keeps the links and
    // the logins (the session's) in place meanwhile.
    RunOnWorker(
        [copy = *entry, prompt, link, logins]() {
            LoginOutcome outcome;
            outcome.result = LoginDevice(&copy, *link, *logins, *prompt, outcome.error);
            return outcome;
        },
        [this, mac, next = std::move(next)](const LoginOutcome& outcome) {
            DeviceEntry* target = EntryByMac(mac);
            if (outcome.result == -2 || target == nullptr) {
                SetRunning(false);
                return;
            }
            if (outcome.result != 1) {
                SetRunning(false);
                ShowLoginFailure(outcome.error);
                return;
            }
            next(*target);
        });
}
