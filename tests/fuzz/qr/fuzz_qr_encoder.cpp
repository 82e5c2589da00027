// Fuzz target for the QR encoder: any bytes up to 127 in; out comes either a
// clean failure (only for empty text) or a symbol that a real decoder reads
// back as exactly the same bytes.
#include "qr/qr_bitmap.h"
#include "qr/qr_encoder.h"
#include "qr/qr_tables.h"
#include "qr_picture_reader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

[[noreturn]] void Fail(const char* what, std::string_view text) {
    std::fprintf(stderr, "fuzz_qr_encoder: %s (text of %zu bytes)\n", what, text.size());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr std::size_t kMaxTextBytes = 127;
    const std::string_view text(reinterpret_cast<const char*>(data), std::min(size, kMaxTextBytes));

    qr::QrEncoder encoder;
    if (!encoder.Encode(text, 4)) {
        if (!text.empty()) {
            Fail("a non-empty text was refused", text);
        }
        return 0;
    }
    if (text.empty()) {
        Fail("an empty text was encoded", text);
    }
    const int version = encoder.Version();
    if (version < 4 || version > 9 || encoder.Matrix().Size() != qr::SymbolSize(version)) {
        Fail("unexpected version", text);
    }
    int covered = 0;
    for (const qr::QrRun& run : encoder.Runs()) {
        if (run.length <= 0 || (run.mode == qr::QrMode::Kanji && run.length % 2 != 0)) {
            Fail("bad run", text);
        }
        covered += run.length;
    }
    if (static_cast<std::size_t>(covered) != text.size()) {
        Fail("runs do not cover the text", text);
    }
    if (static_cast<int>(encoder.Codewords().size()) != qr::LevelQLayout(version).totalCodewords) {
        Fail("wrong number of codewords", text);
    }

    // One pixel per module, as the device list writes it; the decoder gets
    // the picture enlarged.
    const int modules = encoder.Matrix().Size();
    const auto picture = qrtest::ParseBitmap(qr::BuildQrBitmap(encoder.Matrix(), modules, modules));
    if (!picture) {
        Fail("picture does not parse", text);
    }
    const auto decoded = qrtest::DecodeWithZbar(*picture, 3);
    if (!decoded || *decoded != text) {
        Fail(decoded ? "decoded to different bytes" : "not decodable", text);
    }
    return 0;
}
