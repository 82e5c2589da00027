#include "onvif/firmware_answers.h"

#include "onvif/onvif_auth.h"
#include "onvif/onvif_defaults.h"
#include "onvif/sim_multipart.h"
#include "onvif/soap_text.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <openssl/evp.h>

namespace onvifsim {

struct FirmwareCheck::Hash {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    ~Hash() { EVP_MD_CTX_free(context); }
};

namespace {

constexpr uint8_t kMagic[8] = {'C', 'V', 'F', 'W', 0, 0, 0, 1};
constexpr const char* kBackupMagic = "CORVANE-SIM-BACKUP 1\n";

OperationResult Answer(const std::string& name, const std::string& inner) {
    return {"<tds:" + name + "Response>" + inner + "</tds:" + name + "Response>"};
}

OperationResult NotSupported() {
    return {{}, "env:Receiver", "ter:ActionNotSupported", "Optional Action Not Implemented"};
}

std::string Padded(const uint8_t* field, std::size_t size) {
    const auto* text = reinterpret_cast<const char*>(field);
    return std::string(text, strnlen(text, size));
}

// The attachment an element's xop:Include points at.
std::optional<std::string_view> Attachment(const pugi::xml_node& data, const DeviceServiceState& state) {
    const std::string id = CidTarget(ChildByLocalName(data, "Include").attribute("href").value());
    for (const auto& [cid, bytes] : state.maintenance.attachments) {
        if (!id.empty() && cid == id) {
            return bytes;
        }
    }
    return std::nullopt;
}

std::string NextPath(DeviceServiceState& state, const char* kind) {
    return std::string("/onvif/upload/") + kind + "/" + std::to_string(++state.maintenance.ticket);
}

OperationResult StartFirmwareUpgrade(const pugi::xml_node&, DeviceServiceState& state, int64_t) {
    state.maintenance.firmwarePath = NextPath(state, "firmware");
    const int64_t downMs = state.maintenance.rebootMs;
    char down[48];
    std::snprintf(down, sizeof down, "PT%lld.%03lldS", static_cast<long long>(downMs / 1000),
                  static_cast<long long>(downMs % 1000));
    return Answer("StartFirmwareUpgrade",
                  "<tds:UploadUri>" + XmlEscape(DeviceUrl(state.device, state.maintenance.firmwarePath)) +
                      "</tds:UploadUri><tds:UploadDelay>PT0S</tds:UploadDelay>"
                      "<tds:ExpectedDownTime>" +
                      down + "</tds:ExpectedDownTime>");
}

OperationResult UpgradeSystemFirmware(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    const auto image = Attachment(ChildByLocalName(request, "Firmware"), state);
    if (!image) {
        return {{}, "env:Sender", "ter:InvalidArgVal", "No firmware attachment"};
    }
    FirmwareCheck check;
    check.Take(reinterpret_cast<const uint8_t*>(image->data()), image->size());
    std::string version;
    if (check.Finish(ModelOf(state.device), version) != FirmwareCheck::Verdict::Good) {
        return {{}, "env:Sender", "ter:InvalidArgVal", "The firmware image is not for this device"};
    }
    state.device.texts.version = version;
    state.maintenance.restartRequested = true;
    return Answer("UpgradeSystemFirmware", "<tds:Message>Upgrading</tds:Message>");
}

OperationResult GetSystemUris(const pugi::xml_node&, DeviceServiceState& state, int64_t) {
    return Answer("GetSystemUris", "<tds:SystemBackupUri>" + XmlEscape(DeviceUrl(state.device, kBackupPath)) +
                                       "</tds:SystemBackupUri>");
}

OperationResult StartSystemRestore(const pugi::xml_node&, DeviceServiceState& state, int64_t) {
    state.maintenance.restorePath = NextPath(state, "restore");
    return Answer("StartSystemRestore",
                  "<tds:UploadUri>" + XmlEscape(DeviceUrl(state.device, state.maintenance.restorePath)) +
                      "</tds:UploadUri><tds:ExpectedDownTime>PT0S</tds:ExpectedDownTime>");
}

OperationResult GetSystemBackup(const pugi::xml_node&, DeviceServiceState& state, int64_t) {
    OperationResult result = Answer(
        "GetSystemBackup",
        "<tds:BackupFiles><tt:Name>config.bin</tt:Name><tt:Data "
        "xmlns:xmime=\"http://www.w3.org/2005/05/xmlmime\" xmime:contentType=\"application/octet-stream\">"
        "<xop:Include xmlns:xop=\"http://www.w3.org/2004/08/xop/include\" href=\"cid:backup@sim\"/>"
        "</tt:Data></tds:BackupFiles>");
    result.attachment = MakeBackupFile(state.device);
    result.attachmentId = "backup@sim";
    return result;
}

OperationResult RestoreSystem(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    const auto file = Attachment(ChildByLocalName(ChildByLocalName(request, "BackupFiles"), "Data"), state);
    if (!file || !ApplyBackupFile(*file, state.device)) {
        return {{}, "env:Sender", "ter:InvalidBackupFile", "The backup file is not this device's"};
    }
    return Answer("RestoreSystem", {});
}

} // namespace

const Operation* FindMaintenanceOperation(std::string_view name, const SimDevice& device) {
    static const std::map<std::string_view, Operation> operations{
        {"StartFirmwareUpgrade", {AccessClass::Unrecoverable, StartFirmwareUpgrade}},
        {"UpgradeSystemFirmware", {AccessClass::Unrecoverable, UpgradeSystemFirmware}},
        {"GetSystemUris", {AccessClass::ReadSystemSecret, GetSystemUris}},
        {"GetSystemBackup", {AccessClass::ReadSystemSecret, GetSystemBackup}},
        {"StartSystemRestore", {AccessClass::Unrecoverable, StartSystemRestore}},
        {"RestoreSystem", {AccessClass::Unrecoverable, RestoreSystem}},
    };
    static const Operation notSupported{AccessClass::PreAuth, [](const pugi::xml_node&, DeviceServiceState&,
                                                                 int64_t) { return NotSupported(); }};
    if ((device.onvif.noStartFirmwareUpgrade && name == "StartFirmwareUpgrade") ||
        (device.onvif.noSystemUris && (name == "GetSystemUris" || name == "StartSystemRestore"))) {
        return &notSupported;
    }
    const auto it = operations.find(name);
    return it == operations.end() ? nullptr : &it->second;
}

FirmwareCheck::FirmwareCheck() : m_hash(std::make_unique<Hash>()) {
    EVP_DigestInit_ex(m_hash->context, EVP_sha256(), nullptr);
}

FirmwareCheck::~FirmwareCheck() = default;

void FirmwareCheck::Take(const uint8_t* data, std::size_t size) {
    const std::size_t header = std::min(size, kHeaderSize - m_headerFill);
    std::memcpy(m_header.data() + m_headerFill, data, header);
    m_headerFill += header;
    if (size > header) {
        EVP_DigestUpdate(m_hash->context, data + header, size - header);
        m_payload += size - header;
    }
}

FirmwareCheck::Verdict FirmwareCheck::Finish(const std::string& model, std::string& version) {
    uint32_t declared = 0;
    for (int i = 0; i < 4; ++i) {
        declared |= static_cast<uint32_t>(m_header[104 + i]) << (8 * i);
    }
    std::array<uint8_t, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_hash->context, digest.data(), &length);
    if (m_headerFill < kHeaderSize || std::memcmp(m_header.data(), kMagic, sizeof kMagic) != 0 ||
        declared != m_payload || length != 32 || std::memcmp(digest.data(), m_header.data() + 108, 32) != 0) {
        return Verdict::Damaged;
    }
    if (Padded(m_header.data() + 8, 32) != model) {
        return Verdict::WrongModel;
    }
    version = Padded(m_header.data() + 40, 64);
    return Verdict::Good;
}

std::string MakeBackupFile(const SimDevice& device) {
    std::string file =
        std::string(kBackupMagic) + "model=" + ModelOf(device) + "\nlocation=" + device.onvif.location + "\n";
    return file + "sha256=" + HashHex(HashKind::Sha256, file) + "\n";
}

bool ApplyBackupFile(std::string_view file, SimDevice& device) {
    const std::size_t hashLine = file.rfind("sha256=");
    if (file.substr(0, std::strlen(kBackupMagic)) != kBackupMagic || hashLine == std::string_view::npos ||
        file.substr(hashLine) !=
            "sha256=" + HashHex(HashKind::Sha256, std::string(file.substr(0, hashLine))) + "\n") {
        return false;
    }
    std::map<std::string, std::string> values;
    std::string_view lines = file.substr(std::strlen(kBackupMagic), hashLine - std::strlen(kBackupMagic));
    while (!lines.empty()) {
        const std::size_t end = lines.find('\n');
        const std::string_view line = lines.substr(0, end);
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos) {
            values[std::string(line.substr(0, equals))] = std::string(line.substr(equals + 1));
        }
        lines = end == std::string_view::npos ? std::string_view() : lines.substr(end + 1);
    }
    if (values["model"] != ModelOf(device)) {
        return false;
    }
    device.onvif.location = values["location"];
    return true;
}

std::string ModelOf(const SimDevice& device) {
    return device.texts.model.empty() ? "SIM" : device.texts.model;
}

std::string DeviceUrl(const SimDevice& device, const std::string& path) {
    std::string url = OnvifServiceUrl(device);
    url.resize(url.size() - std::strlen("/onvif/device_service"));
    return url + path;
}

} // namespace onvifsim
