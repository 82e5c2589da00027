#pragma once
// The device list's fixed table of 19 columns: header key, width, what each
// cell shows of a DeviceEntry, how the column sorts, and which columns the
// FIND text is matched against. The column index is also the bit of the
// column mask.
#include "discovery/device_entry.h"
#include "operate/login_table.h"
#include "ui/color_list_model.h"

#include <QString>
#include <array>
#include <cstdint>
#include <string_view>

inline constexpr int kDeviceColumnCount = 19;

enum DeviceColumn : int {
    kColNo = 0,
    kColIp = 1,
    kColMac = 2,
    kColType = 3,
    kColVersion = 4,
    kColHttpPort = 5,
    kColTcpPort = 6,
    kColOnvifPort = 7,
    kColModel = 8,
    kColCloud = 9,
    kColDevTime = 10,
    kColStartTime = 11,
    kColReleaseTime = 12,
    kColLoginState = 13,
    // What the device families tell beyond the native facts; off in the
    // shipped column mask.
    kColFamily = 14,
    kColName = 15,
    kColHardware = 16,
    kColLocation = 17,
    // The interface and local address the device's reply came in on; off
    // in the shipped column mask.
    kColInterface = 18,
};

struct DeviceColumnSpec {
    const char* headerKey;
    int width;
};

extern const std::array<DeviceColumnSpec, kDeviceColumnCount> kDeviceColumns;

// The texts of a row that come from the language, looked up once per
// rebuild, and the logins the login column shows.
struct RowTexts {
    QString loggedIn;    // "tx.Logined"
    QString notLoggedIn; // "tx.unLogin"
    const LoginTable* logins = nullptr;
    QString nativeFamily; // "tx.Family_native"; ONVIF is a name, never translated
};

// The interface column: "eth0 (10.1.2.3)", empty when unknown.
QString InterfaceText(const DeviceEntry& entry);

// The family column: "native", "ONVIF" or both, joined.
QString FamilyText(DeviceFamilies families, const QString& nativeFamily);

// A device text as shown: the device's bytes read as UTF-8, never as markup.
QString DeviceText(const std::string& bytes);
QString CellText(const DeviceEntry& entry, int column, const RowTexts& login);
// A full row: the cells (row number rowNumber in column 0) and the entry
// as item data.
ListRow MakeDeviceRow(const DeviceEntry& entry, int rowNumber, const RowTexts& login);
const DeviceEntry* RowEntry(const ListRow& row);

// True when the entry's content in that column orders before the other's:
// IP by its host-order value, ports and the login state numerically, the
// other columns byte-wise. Column 0 has no order (always false).
bool DeviceColumnLess(int column, const DeviceEntry& a, const DeviceEntry& b, const LoginTable& logins);

// FIND: true when the UTF-8 text occurs (case-sensitively) in one of the
// entry's visible columns, tested in the order MAC, IP, type, version, model,
// web port, TCP port, ONVIF port (only when ONVIF is available), cloud id,
// device time, start time, release time, name, hardware, location, interface.
bool DeviceMatchesFind(const DeviceEntry& entry, std::string_view text, uint32_t columnMask);
