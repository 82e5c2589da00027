#pragma once
// Login of one device (LoginDevice, for actions on one device) and of the
// devices of a batch (BatchLogin: credentials asked once per batch). The
// login dialog is reached through ILoginPrompt, which the desktop program
// implements with its dialog and tests and the command line answer directly.
#include "discovery/device_entry.h"
#include "operate/device_link.h"
#include "operate/login_table.h"

#include <string>

struct LoginPromptRequest {
    std::string captionKey; // "msg.Login" or "msg.Login_first"
    bool showAddress = false;
    std::string address;        // shown when showAddress is set
    std::string user = "admin"; // preset of the user edit
};

// Called on the thread that runs the login: the batch's worker thread for
// BatchLogin. The desktop program shows its dialog on the window thread and
// waits for it there (a blocking queued call), never touching widgets from
// the worker.
class ILoginPrompt {
public:
    virtual ~ILoginPrompt() = default;
    // false: cancelled. On true, user and password hold what was entered
    // (UTF-8, not validated: empty texts are passed on as they are).
    virtual bool AskCredentials(const LoginPromptRequest& request, std::string& user,
                                std::string& password) = 0;
};

// 1: logged in (error 0, or -10 when it already was); -1: no record, or the
// login failed (error from the link's login); -2: cancelled. The login goes
// into logins, whose change report redraws the row.
int LoginDevice(const DeviceEntry* entry, DeviceLink& link, LoginTable& logins, ILoginPrompt& prompt,
                int& error);

// Owned by the caller for one batch: ask set and both texts empty before the
// first device.
struct BatchCredentials {
    bool ask = true;
    std::string user;
    std::string password;
};

// 1, -1, -2 as LoginDevice; a device already logged in stays so.
int BatchLogin(const DeviceEntry& entry, DeviceLink& link, LoginTable& logins, BatchCredentials& credentials,
               ILoginPrompt& prompt, int& error);
