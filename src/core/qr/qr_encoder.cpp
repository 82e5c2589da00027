#include "qr/qr_encoder.h"

#include "qr/qr_bit_stream.h"
#include "qr/qr_bitmap.h"
#include "qr/qr_tables.h"
#include "qr/reed_solomon.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <span>

namespace qr {

namespace {

// Kanji characters are stored as 13-bit values of their two-byte code.
uint32_t KanjiValue(uint8_t first, uint8_t second) {
    uint32_t code = (static_cast<uint32_t>(first) << 8) | second;
    code -= 0x8140;
    if (code > 0x1EBC) {
        code = ((static_cast<uint32_t>(first) << 8) | second) - 0xC140;
    }
    return (code >> 8) * 0xC0 + (code & 0xFF);
}

uint32_t Digit(char c) {
    return static_cast<uint32_t>(c - '0');
}

uint32_t Alphanumeric(char c) {
    return static_cast<uint32_t>(AlphanumericIndex(static_cast<uint8_t>(c)));
}

// Appends one run's data bits (after its indicators).
bool AppendRunData(QrBitStream& stream, QrMode mode, std::string_view bytes) {
    const std::size_t n = bytes.size();
    bool ok = true;
    switch (mode) {
    case QrMode::Numeric: {
        std::size_t i = 0;
        for (; i + 3 <= n; i += 3) {
            ok = ok &&
                 stream.Append(Digit(bytes[i]) * 100 + Digit(bytes[i + 1]) * 10 + Digit(bytes[i + 2]), 10);
        }
        if (n - i == 2) {
            ok = ok && stream.Append(Digit(bytes[i]) * 10 + Digit(bytes[i + 1]), 7);
        } else if (n - i == 1) {
            ok = ok && stream.Append(Digit(bytes[i]), 4);
        }
        break;
    }
    case QrMode::Alphanumeric: {
        std::size_t i = 0;
        for (; i + 2 <= n; i += 2) {
            ok = ok && stream.Append(45 * Alphanumeric(bytes[i]) + Alphanumeric(bytes[i + 1]), 11);
        }
        if (i < n) {
            ok = ok && stream.Append(Alphanumeric(bytes[i]), 6);
        }
        break;
    }
    case QrMode::Byte:
        for (const char c : bytes) {
            ok = ok && stream.Append(static_cast<uint8_t>(c), 8);
        }
        break;
    case QrMode::Kanji:
        for (std::size_t i = 0; i + 1 < n; i += 2) {
            ok = ok &&
                 stream.Append(KanjiValue(static_cast<uint8_t>(bytes[i]), static_cast<uint8_t>(bytes[i + 1])),
                               13);
        }
        break;
    }
    return ok;
}

// Fills the stream with every run of the text; false when a count does not
// fit its indicator or the stream overflows.
bool BuildBitStream(QrBitStream& stream, std::string_view text, const std::vector<QrRun>& runs, int group) {
    std::size_t offset = 0;
    for (const QrRun& run : runs) {
        const int countBits = CountIndicatorBits(run.mode, group);
        const int count = run.mode == QrMode::Kanji ? run.length / 2 : run.length;
        if (count >= (1 << countBits)) {
            return false;
        }
        const std::string_view bytes = text.substr(offset, static_cast<std::size_t>(run.length));
        if (!stream.Append(ModeIndicator(run.mode), 4) ||
            !stream.Append(static_cast<uint32_t>(count), countBits) ||
            !AppendRunData(stream, run.mode, bytes)) {
            return false;
        }
        offset += static_cast<std::size_t>(run.length);
    }
    return true;
}

} // namespace

int QrEncoder::FindVersionInGroup(std::string_view text, int group) {
    m_runs = SegmentText(text, group);
    QrBitStream stream;
    if (!BuildBitStream(stream, text, m_runs, group)) {
        return 0;
    }
    const auto neededCodewords = static_cast<int>((stream.BitCount() + 7) / 8);
    for (int version = FirstVersionOfGroup(group); version <= LastVersionOfGroup(group); ++version) {
        if (LevelQLayout(version).dataCodewords >= neededCodewords) {
            m_data = stream.Bytes();
            m_dataBits = stream.BitCount();
            return version;
        }
    }
    return 0;
}

void QrEncoder::AddTerminatorAndPadding(int dataCodewords) {
    // The terminator (up to four 0 bits, as far as the capacity allows) and
    // the 0 bits up to the next byte boundary come from zero-filling; the
    // pad codewords follow.
    const std::size_t capacityBits = static_cast<std::size_t>(dataCodewords) * 8;
    const std::size_t terminatedBits = std::min(m_dataBits + 4, capacityBits);
    m_data.resize(static_cast<std::size_t>(dataCodewords), 0);
    bool nextIsEc = true;
    for (std::size_t i = (terminatedBits + 7) / 8; i < m_data.size(); ++i) {
        m_data[i] = nextIsEc ? 0xEC : 0x11;
        nextIsEc = !nextIsEc;
    }
}

void QrEncoder::BuildCodewords(int version) {
    const BlockLayout layout = LevelQLayout(version);
    const auto eccLength = static_cast<std::size_t>(layout.eccPerBlock);
    std::vector<uint8_t> ecc(static_cast<std::size_t>(layout.blocks) * eccLength);
    std::vector<std::size_t> blockStart(static_cast<std::size_t>(layout.blocks) + 1, 0);
    for (int block = 0; block < layout.blocks; ++block) {
        const int length = layout.shortBlockData + (block >= layout.shortBlocks ? 1 : 0);
        const auto b = static_cast<std::size_t>(block);
        blockStart[b + 1] = blockStart[b] + static_cast<std::size_t>(length);
        ReedSolomonEncode(
            std::span<const uint8_t>(m_data).subspan(blockStart[b], static_cast<std::size_t>(length)),
            std::span<uint8_t>(ecc).subspan(b * eccLength, eccLength));
    }

    m_codewords.clear();
    m_codewords.reserve(static_cast<std::size_t>(layout.totalCodewords));
    const auto longestData = static_cast<std::size_t>(layout.shortBlockData + 1);
    for (std::size_t i = 0; i < longestData; ++i) {
        for (std::size_t b = 0; b < static_cast<std::size_t>(layout.blocks); ++b) {
            if (blockStart[b] + i < blockStart[b + 1]) {
                m_codewords.push_back(m_data[blockStart[b] + i]);
            }
        }
    }
    for (std::size_t i = 0; i < eccLength; ++i) {
        for (std::size_t b = 0; b < static_cast<std::size_t>(layout.blocks); ++b) {
            m_codewords.push_back(ecc[b * eccLength + i]);
        }
    }
}

bool QrEncoder::Encode(std::string_view text, int requestedVersion) {
    // The most a version 40-Q symbol holds is 3993 digits; anything longer
    // cannot fit, and is refused before segmenting it.
    constexpr std::size_t kMaxEncodableBytes = 3993;
    m_matrix.reset();
    if (text.empty() || text.size() > kMaxEncodableBytes || requestedVersion < kMinVersion ||
        requestedVersion > kMaxVersion) {
        return false;
    }
    int found = 0;
    for (int group = VersionGroup(requestedVersion); group <= 3 && found == 0; ++group) {
        found = FindVersionInGroup(text, group);
    }
    if (found == 0) {
        return false;
    }
    const int version = std::max(requestedVersion, found);
    AddTerminatorAndPadding(LevelQLayout(version).dataCodewords);
    BuildCodewords(version);
    m_matrix.emplace(version);
    m_matrix->PlaceCodewords(m_codewords);
    m_matrix->ApplyMask0();
    return true;
}

int QrEncoder::EncodeData(const std::string& path, std::string_view text, int& version, int& width,
                          int& height) {
    if (text.empty() || path.empty()) {
        return -1;
    }
    // A module must get at least one pixel (the pixel mapping divides by the
    // pixels per module), and the picture must stay of a sensible size.
    if (version < kMinVersion || version > kMaxVersion || width < SymbolSize(version) ||
        height < SymbolSize(version) || width > kMaxImageSide || height > kMaxImageSide) {
        return -1;
    }
    if (!Encode(text, version)) {
        std::fputs("<rvlog> qr.EncodeData failed\n", stdout);
        std::fflush(stdout);
        return -1;
    }
    if (Version() != version) {
        // Keep the pixel size of a module: grow the picture with the symbol.
        const int oldSize = SymbolSize(version);
        const int newSize = SymbolSize(Version());
        const int grownWidth = (width / oldSize) * newSize;
        const int grownHeight = (height / oldSize) * newSize;
        if (grownWidth > kMaxImageSide || grownHeight > kMaxImageSide) {
            return -1;
        }
        width = grownWidth;
        height = grownHeight;
        version = Version();
    }
    std::vector<uint8_t> file;
    try {
        file = BuildQrBitmap(*m_matrix, width, height);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return WriteFileReplacing(path, file) ? 0 : -1;
}

} // namespace qr
