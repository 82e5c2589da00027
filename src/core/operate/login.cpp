#include "operate/login.h"

int LoginDevice(const DeviceEntry* entry, DeviceLink& link, LoginTable& logins, ILoginPrompt& prompt,
                int& error) {
    if (!entry) {
        return -1;
    }
    if (logins.IsLoggedIn(DeviceKey(*entry))) {
        error = -10;
        return 1;
    }
    LoginPromptRequest request;
    request.captionKey = "msg.Login";
    request.showAddress = true;
    request.address = entry->ip;
    std::string user;
    std::string password;
    if (!prompt.AskCredentials(request, user, password)) {
        return -2;
    }
    DeviceLogin login;
    if (!link.Login(*entry, user, password, login, error)) {
        return -1;
    }
    logins.Begin(DeviceKey(*entry), std::move(login));
    return 1;
}

int BatchLogin(const DeviceEntry& entry, DeviceLink& link, LoginTable& logins, BatchCredentials& credentials,
               ILoginPrompt& prompt, int& error) {
    if (logins.IsLoggedIn(DeviceKey(entry))) {
        return 1;
    }
    if (credentials.ask) {
        credentials.ask = false;
        LoginPromptRequest request;
        request.captionKey = "msg.Login_first";
        std::string user;
        std::string password;
        if (!prompt.AskCredentials(request, user, password)) {
            return -2;
        }
        credentials.user = user;
        credentials.password = password;
    }
    DeviceLogin login;
    if (!link.Login(entry, credentials.user, credentials.password, login, error)) {
        return -1;
    }
    logins.Begin(DeviceKey(entry), std::move(login));
    return 1;
}
