#include "devlist/device_columns.h"

#include "util/tool.h"

#include <string>

const std::array<DeviceColumnSpec, kDeviceColumnCount> kDeviceColumns = {{
    {"ck.NO", 40},
    {"ck.IP", 100},
    {"ck.MAC", 120},
    {"ck.Type", 70},
    {"ck.Version", 180},
    {"ck.HTTP_port", 70},
    {"ck.TCP_port", 70},
    {"ck.Onvif_port", 70},
    {"ck.Model", 90},
    {"ck.Cloud", 90},
    {"ck.Dev_time", 105},
    {"ck.Dev_start_time", 125},
    {"ck.Release_time", 120},
    {"ck.Login_state", 100},
    {"ck.Family", 110},
    {"ck.Name", 120},
    {"ck.Hardware", 110},
    {"ck.Location", 120},
    {"ck.Interface", 150},
}};

namespace {

bool ColumnVisible(uint32_t mask, int column) {
    return ((mask >> column) & 1U) != 0;
}

bool Contains(std::string_view haystack, std::string_view needle) {
    return haystack.find(needle) != std::string_view::npos;
}

// A MAC address may be typed with colons and in small letters: the MAC
// column is searched for it as the devices write it (dashes, capitals).
// Texts with anything but hexadecimal digits and separators stay as typed.
std::string MacNeedle(std::string_view text) {
    std::string needle(text);
    for (char& c : needle) {
        if (c == ':' || c == '-') {
            c = '-';
        } else if (c >= 'a' && c <= 'f') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
            return std::string(text);
        }
    }
    return needle;
}

} // namespace

QString DeviceText(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString FamilyText(DeviceFamilies families, const QString& nativeFamily) {
    const QString onvif = QStringLiteral("ONVIF");
    const bool native = families.Has(DeviceFamily::Native);
    if (native && families.Has(DeviceFamily::Onvif)) {
        return nativeFamily + QStringLiteral(", ") + onvif;
    }
    return native ? nativeFamily : families.Has(DeviceFamily::Onvif) ? onvif : QString();
}

QString InterfaceText(const DeviceEntry& entry) {
    if (entry.interfaceName.empty()) {
        return {};
    }
    const QString name = DeviceText(entry.interfaceName);
    return entry.localAddress.empty() ? name
                                      : name + QStringLiteral(" (") + DeviceText(entry.localAddress) + ')';
}

QString CellText(const DeviceEntry& entry, int column, const RowTexts& login) {
    switch (column) {
    case kColIp:
        return DeviceText(entry.ip);
    case kColMac:
        return DeviceText(entry.mac);
    case kColType:
        return DeviceText(entry.type);
    case kColVersion:
        return DeviceText(entry.version);
    case kColHttpPort:
        return QString::number(entry.webPort);
    case kColTcpPort:
        // A device without the native family has no SDK port.
        return entry.tcpPort == 0 ? QStringLiteral("--") : QString::number(entry.tcpPort);
    case kColOnvifPort:
        return entry.onvifPort == 0 ? QStringLiteral("--") : QString::number(entry.onvifPort);
    case kColModel:
        return DeviceText(entry.model);
    case kColCloud:
        return DeviceText(entry.cloudId);
    case kColDevTime:
        return DeviceText(entry.deviceTime);
    case kColStartTime:
        return DeviceText(entry.startTime);
    case kColReleaseTime:
        return DeviceText(entry.releaseTime);
    case kColLoginState:
        return login.logins && login.logins->IsLoggedIn(DeviceKey(entry)) ? login.loggedIn
                                                                          : login.notLoggedIn;
    case kColFamily:
        return FamilyText(entry.families, login.nativeFamily);
    case kColName:
        return DeviceText(entry.onvif.name);
    case kColHardware:
        return DeviceText(entry.onvif.hardware);
    case kColLocation:
        return DeviceText(entry.onvif.location);
    case kColInterface:
        return InterfaceText(entry);
    default:
        return {};
    }
}

ListRow MakeDeviceRow(const DeviceEntry& entry, int rowNumber, const RowTexts& login) {
    ListRow row;
    row.cells.resize(kDeviceColumnCount);
    row.cells[kColNo] = QString::number(rowNumber);
    for (int column = 1; column < kDeviceColumnCount; ++column) {
        row.cells[static_cast<std::size_t>(column)] = CellText(entry, column, login);
    }
    row.data = reinterpret_cast<quintptr>(&entry);
    return row;
}

const DeviceEntry* RowEntry(const ListRow& row) {
    return reinterpret_cast<const DeviceEntry*>(row.data);
}

bool DeviceColumnLess(int column, const DeviceEntry& a, const DeviceEntry& b, const LoginTable& logins) {
    switch (column) {
    case kColIp:
        return Tool::IpToHostOrder(a.ip) < Tool::IpToHostOrder(b.ip);
    case kColMac:
        return a.mac < b.mac;
    case kColType:
        return a.type < b.type;
    case kColVersion:
        return Tool::NaturalLess(a.version, b.version);
    case kColHttpPort:
        return a.webPort < b.webPort;
    case kColTcpPort:
        return a.tcpPort < b.tcpPort;
    case kColOnvifPort:
        return a.onvifPort < b.onvifPort;
    case kColModel:
        return a.model < b.model;
    case kColCloud:
        return a.cloudId < b.cloudId;
    case kColDevTime:
        return a.deviceTime < b.deviceTime;
    case kColStartTime:
        return a.startTime < b.startTime;
    case kColReleaseTime:
        return a.releaseTime < b.releaseTime;
    case kColLoginState:
        return !logins.IsLoggedIn(DeviceKey(a)) && logins.IsLoggedIn(DeviceKey(b));
    case kColFamily:
        return a.families.Bits() < b.families.Bits();
    case kColName:
        return a.onvif.name < b.onvif.name;
    case kColHardware:
        return a.onvif.hardware < b.onvif.hardware;
    case kColLocation:
        return a.onvif.location < b.onvif.location;
    case kColInterface:
        return a.interfaceName < b.interfaceName ||
               (a.interfaceName == b.interfaceName &&
                Tool::IpToHostOrder(a.localAddress) < Tool::IpToHostOrder(b.localAddress));
    default:
        return false;
    }
}

bool DeviceMatchesFind(const DeviceEntry& entry, std::string_view text, uint32_t columnMask) {
    const auto textColumn = [&](int column, const std::string& value) {
        return ColumnVisible(columnMask, column) && Contains(value, text);
    };
    const auto portColumn = [&](int column, uint16_t port) {
        return ColumnVisible(columnMask, column) && Contains(std::to_string(port), text);
    };
    const bool macHit = ColumnVisible(columnMask, kColMac) &&
                        (Contains(entry.mac, text) || Contains(entry.mac, MacNeedle(text)));
    return macHit || textColumn(kColIp, entry.ip) || textColumn(kColType, entry.type) ||
           textColumn(kColVersion, entry.version) || textColumn(kColModel, entry.model) ||
           portColumn(kColHttpPort, entry.webPort) || portColumn(kColTcpPort, entry.tcpPort) ||
           (entry.onvifAvailable != 0 && portColumn(kColOnvifPort, entry.onvifPort)) ||
           textColumn(kColCloud, entry.cloudId) || textColumn(kColDevTime, entry.deviceTime) ||
           textColumn(kColStartTime, entry.startTime) || textColumn(kColReleaseTime, entry.releaseTime) ||
           textColumn(kColName, entry.onvif.name) || textColumn(kColHardware, entry.onvif.hardware) ||
           textColumn(kColLocation, entry.onvif.location) || textColumn(kColInterface, entry.interfaceName);
}
