#pragma once
// The device SDK: the calls the program makes to log in to devices and run
// operations on them. Every call is safe from any thread and returns within
// its time-out; results follow the documented codes (1 = success unless a
// call says otherwise). The protocol behind it is docs/device-protocol.md.
#include <cstddef>
#include <cstdint>

// Receives the preview pictures of SDK_StartPreview (JPEG, one per call) on
// an SDK thread; the desktop program re-posts them to its window.
class SdkFrameSink {
public:
    virtual ~SdkFrameSink() = default;
    virtual void OnFrame(const uint8_t* jpeg, std::size_t size, int width, int height) = 0;
    // The session that carried the stream has ended (the device went away or
    // closed it): no frame follows. Called at most once, on an SDK thread.
    virtual void OnStreamEnded() {}
};

using SdkInitCallback = void (*)(void* context);
// Upgrade progress: the first two arguments carry nothing; then total,
// value and the context given to SDK_OpenUpgrade.
using SdkUpgradeCallback = void (*)(int unused1, int unused2, int total, int value, void* context);
using SdkConnectionFullCallback = void (*)(void* context);

int SDK_Init(SdkInitCallback callback, void* context);
// Devices see the first 64 bytes (whole characters) of the text.
int SDK_SetCustomer(const char* customer);

// > 0: login handle; <= 0: failed and *error holds the login error code
// (11 also for a user name over 95 bytes, which is never cut).
int SDK_Login(const char* ip, int port, const char* user, const char* password, unsigned char* info48,
              int* error, int reserved1, int reserved2);
int SDK_Logout(int loginHandle);

// channel -1 for the whole device; timeoutMs 0 takes the default time-out.
int SDK_GetConfig(int loginHandle, int command, int channel, void* buffer, int size, int* length, int option,
                  int reserved, int timeoutMs);
int SDK_SetConfig(int loginHandle, int command, int channel, const void* buffer, int size, int option);
int SDK_QueryDeviceInfo(int loginHandle, int item, char* buffer, int size, int* length, int timeoutMs);

int SDK_ExportConfig(int loginHandle, int kind, const char* path, int reserved1, int reserved2);
int SDK_ImportConfig(int loginHandle, const char* path, int reserved1, int reserved2, int reserved3,
                     int reserved4, int apply);

// buffer: the 783856-byte user table.
int SDK_GetUserInfo(int loginHandle, void* buffer, int timeoutMs);
int SDK_ModifyUser(int loginHandle, int operation, const void* newRecord, const void* oldRecord,
                   int timeoutMs);

int SDK_Reboot(int loginHandle);
// 1 when the device accepted, else the device's refusal (<= 0).
int SDK_RestoreDefault(int loginHandle, unsigned int mask);

// 0 = failure (no login, unreadable file); the callback then reports the
// upgrade until a final total 0 with value -1 (success) or -2 (failure).
// Upgrades of one file share one copy of it, and at most
// SdkSetUpgradeTransfers of them send at once: one waiting for its turn
// reports (file size, 0) every few seconds.
int SDK_OpenUpgrade(int loginHandle, const char* path, SdkUpgradeCallback callback, void* context,
                    int reserved);
int SDK_StartUpgrade(int upgradeHandle);
// Not part of the device calls: whether the firmware file fits the device,
// checked before anything is sent. 1 fits (or the device has no model block
// to compare with), -2 the file is unreadable or damaged (magic, size or
// checksum), -3 it is for another model, 0 no open session.
int SdkCheckFirmware(int loginHandle, const char* path);
int SDK_CloseUpgrade(int upgradeHandle);

int SDK_SetPreviewOption(int option1, int option2);
int SDK_ConnectionFullCallBack(SdkConnectionFullCallback callback, void* context);
// stream 2 main, 3 sub; the sink receives the pictures until SDK_StopPreview.
int SDK_StartPreview(int loginHandle, int channel, SdkFrameSink* sink, int stream, int reserved);
int SDK_StopPreview(int previewHandle);

// Not part of the device calls: time-outs (ms) for connecting, each
// handshake answer and a request without its own time-out; values <= 0 keep
// the current one. Tests shorten them.
void SdkSetTimeouts(int connectMs, int handshakeMs, int requestMs);
// Firmware transfers that may run at once (the others wait); values below 1
// keep the current number, 8 at start.
void SdkSetUpgradeTransfers(int maxTransfers);
// Ends every open session and upgrade and forgets the user keys kept for
// logging in again (for tests, the end of a batch and orderly shutdown).
void SdkCloseAll();
// Why the last SDK_Login of the calling thread failed, in words (empty
// after a success), for logs and the command line.
const char* SdkLastLoginError();
