#include "operate/login.h"

#include "sdk/sdk_layout.h"

namespace {

int CallLogin(const SdkCalls& sdk, const DeviceEntry& entry, const std::string& user,
              const std::string& password, int& error) {
    unsigned char info[sdklayout::kLoginInfoSize] = {};
    return sdk.login(entry.ip.c_str(), entry.tcpPort, user.c_str(), password.c_str(), info, &error, 0, 0);
}

void StoreLogin(DeviceEntry& entry, int handle, const std::string& user, const std::string& password) {
    entry.loginHandle = handle;
    entry.loggedIn = 1;
    entry.loginUser = user;
    entry.loginPassword = password;
}

} // namespace

int LoginDevice(DeviceEntry* entry, ILoginPrompt& prompt, int& error, const SdkCalls& sdk) {
    if (!entry) {
        return -1;
    }
    if (entry->loggedIn) {
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
    error = 0;
    const int handle = CallLogin(sdk, *entry, user, password, error);
    if (handle <= 0) {
        return -1;
    }
    StoreLogin(*entry, handle, user, password);
    return 1;
}

int BatchLogin(DeviceEntry& entry, BatchCredentials& credentials, ILoginPrompt& prompt,
               const std::function<void(const std::string& mac)>& onLoggedIn, int& error,
               const SdkCalls& sdk) {
    if (entry.loggedIn) {
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
    error = 0;
    const int handle = CallLogin(sdk, entry, credentials.user, credentials.password, error);
    if (handle < 1) {
        return -1;
    }
    StoreLogin(entry, handle, credentials.user, credentials.password);
    if (onLoggedIn) {
        onLoggedIn(entry.mac);
    }
    return 1;
}
