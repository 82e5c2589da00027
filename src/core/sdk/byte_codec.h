#pragma once
// Little-endian writer and bounds-checked reader for protocol payloads and
// the fixed-layout blocks. The reader never reads past its span: a short or
// malformed input turns it into the failed state and every later read gives
// zero/empty, so decoders check Ok() once at the end.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sdkwire {

using Bytes = std::vector<uint8_t>;

class ByteWriter {
public:
    void U8(uint8_t value) { m_bytes.push_back(value); }
    void U16(uint16_t value);
    void U32(uint32_t value);
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void U64(uint64_t value);
    void Raw(std::span<const uint8_t> bytes);
    // u16 length + bytes; the caller keeps texts within their limits.
    void Text(const std::string& text);
    // u32 length + bytes.
    void Blob(std::span<const uint8_t> bytes);
    const Bytes& Data() const { return m_bytes; }
    Bytes Take() { return std::move(m_bytes); }

private:
    Bytes m_bytes;
};

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    int32_t I32() { return static_cast<int32_t>(U32()); }
    // Copies exactly count bytes into out; fails when fewer remain.
    void Raw(uint8_t* out, std::size_t count);
    // Fails when the stated length exceeds maxLength or the bytes left.
    std::string Text(std::size_t maxLength);
    Bytes Blob(std::size_t maxLength);
    // The blob's bytes where they are, without a copy.
    std::span<const uint8_t> BlobView(std::size_t maxLength);
    bool Ok() const { return m_ok; }
    bool AtEnd() const { return m_ok && m_pos == m_bytes.size(); }
    std::size_t Remaining() const { return m_ok ? m_bytes.size() - m_pos : 0; }

private:
    bool Need(std::size_t count);
    std::span<const uint8_t> m_bytes;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

// Fixed-offset access into blocks whose size the caller has checked.
uint32_t LoadU32(const uint8_t* at);
uint16_t LoadU16(const uint8_t* at);
void StoreU32(uint8_t* at, uint32_t value);
void StoreU16(uint8_t* at, uint16_t value);

} // namespace sdkwire
