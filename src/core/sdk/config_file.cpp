#include "sdk/config_file.h"

#include "platform/atomic_file.h"
#include "sdk/session_crypto.h"
#include "sdk/wire_messages.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace sdkwire {

namespace {

constexpr uint8_t kCoiMagic[8] = {'C', 'V', 'C', 'O', 'I', 0, '1', 0};
constexpr uint32_t kCoiVersion = 1;
constexpr std::size_t kCoiHeaderSize = 48;

constexpr uint8_t kFirmwareMagic[8] = {'C', 'V', 'F', 'W', 0, 0, 0, 1};
constexpr std::size_t kFirmwareModelSize = 32;
constexpr std::size_t kFirmwareVersionSize = 64;
constexpr std::size_t kFirmwareHeaderSize = 140;

void PutPadded(ByteWriter& out, const std::string& text, std::size_t width) {
    Bytes field(width, 0);
    std::memcpy(field.data(), text.data(), std::min(text.size(), width - 1));
    out.Raw(field);
}

std::string GetPadded(ByteReader& in, std::size_t width) {
    Bytes field(width, 0);
    in.Raw(field.data(), width);
    const auto end = std::find(field.begin(), field.end(), 0);
    return std::string(field.begin(), end);
}

} // namespace

Bytes EncodeConfigFile(std::span<const uint8_t> image) {
    ByteWriter out;
    out.Raw(kCoiMagic);
    out.U32(kCoiVersion);
    out.U32(static_cast<uint32_t>(image.size()));
    out.Raw(Sha256(image));
    out.Raw(image);
    return out.Take();
}

std::optional<Bytes> DecodeConfigFile(std::span<const uint8_t> file) {
    if (file.size() < kCoiHeaderSize ||
        !std::equal(std::begin(kCoiMagic), std::end(kCoiMagic), file.begin())) {
        return std::nullopt;
    }
    ByteReader in(file.subspan(8));
    const uint32_t version = in.U32();
    const uint32_t size = in.U32();
    Digest checksum{};
    in.Raw(checksum.data(), checksum.size());
    if (version != kCoiVersion || size > kMaxConfigImage || file.size() - kCoiHeaderSize != size) {
        return std::nullopt;
    }
    const auto image = file.subspan(kCoiHeaderSize);
    if (!SameDigest(Sha256(image), checksum)) {
        return std::nullopt;
    }
    return Bytes(image.begin(), image.end());
}

Bytes EncodeFirmware(const FirmwareInfo& firmware) {
    ByteWriter out;
    out.Raw(kFirmwareMagic);
    PutPadded(out, firmware.model, kFirmwareModelSize);
    PutPadded(out, firmware.version, kFirmwareVersionSize);
    out.U32(static_cast<uint32_t>(firmware.payload.size()));
    out.Raw(Sha256(firmware.payload));
    out.Raw(firmware.payload);
    return out.Take();
}

namespace {

// The header's fields, and whether a payload of payloadSize bytes with this
// digest matches them.
std::optional<FirmwareHeader> CheckedHeader(std::span<const uint8_t> header, std::size_t payloadSize,
                                            const Digest& payloadDigest) {
    if (header.size() < kFirmwareHeaderSize ||
        !std::equal(std::begin(kFirmwareMagic), std::end(kFirmwareMagic), header.begin())) {
        return std::nullopt;
    }
    ByteReader in(header.subspan(8, kFirmwareHeaderSize - 8));
    FirmwareHeader fields;
    fields.model = GetPadded(in, kFirmwareModelSize);
    fields.version = GetPadded(in, kFirmwareVersionSize);
    const uint32_t size = in.U32();
    Digest checksum{};
    in.Raw(checksum.data(), checksum.size());
    if (!in.Ok() || payloadSize != size || !SameDigest(payloadDigest, checksum)) {
        return std::nullopt;
    }
    return fields;
}

} // namespace

std::optional<FirmwareHeader> CheckFirmware(std::span<const uint8_t> file) {
    if (file.size() < kFirmwareHeaderSize) {
        return std::nullopt;
    }
    const auto payload = file.subspan(kFirmwareHeaderSize);
    return CheckedHeader(file, payload.size(), Sha256(payload));
}

void FirmwareReceiver::Add(std::span<const uint8_t> piece) {
    if (m_received < kHeaderSize) {
        const std::size_t taken = std::min(piece.size(), kHeaderSize - m_received);
        std::copy_n(piece.begin(), taken, m_header.begin() + static_cast<std::ptrdiff_t>(m_received));
        m_received += taken;
        piece = piece.subspan(taken);
    }
    m_payloadDigest.Add(piece);
    m_received += piece.size();
}

std::optional<FirmwareHeader> FirmwareReceiver::Finish() {
    const Digest digest = m_payloadDigest.Finish();
    if (m_received < kHeaderSize) {
        return std::nullopt;
    }
    return CheckedHeader(m_header, m_received - kHeaderSize, digest);
}

std::optional<FirmwareInfo> DecodeFirmware(std::span<const uint8_t> file) {
    auto header = CheckFirmware(file);
    if (!header) {
        return std::nullopt;
    }
    FirmwareInfo firmware;
    firmware.model = std::move(header->model);
    firmware.version = std::move(header->version);
    const auto payload = file.subspan(kFirmwareHeaderSize);
    firmware.payload.assign(payload.begin(), payload.end());
    return firmware;
}

std::optional<Bytes> ReadWholeFile(const std::string& path, std::size_t maxSize) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return std::nullopt;
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::size_t>(size) > maxSize) {
        return std::nullopt;
    }
    Bytes bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        return std::nullopt;
    }
    return bytes;
}

bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes, mode_t mode) {
    // Temporaries an earlier crash left beside the target go first; one
    // younger than a minute may be another program's write still running.
    platform::RemoveStaleTemporaries(path, 60);
    return platform::WriteFileAtomically(path, bytes, {.mode = mode});
}

} // namespace sdkwire
