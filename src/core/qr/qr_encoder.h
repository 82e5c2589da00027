#pragma once
// QrEncoder turns a short narrow text into a QR Code symbol at error
// correction level Q with mask pattern 0 and writes it as a 16-bit bitmap.
// One instance per image; the same text always gives the same symbol.
#include "qr/qr_matrix.h"
#include "qr/qr_segments.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qr {

class QrEncoder {
public:
    // Encodes the bytes as they are, at the requested version (1..40) or the
    // smallest larger version that holds them. False when the text is empty,
    // the version is out of range or the text does not fit version 40.
    bool Encode(std::string_view text, int requestedVersion);

    // Encodes the text and writes the bitmap file. 0 on success, -1 on
    // failure (empty text or path, an image size of less than one pixel per
    // module, encoding failure, file not written). When the symbol needs a
    // larger version, version, width and height are updated for the caller;
    // the pixel size of a module stays the same. An encoding failure prints
    // "<rvlog> qr.EncodeData failed" on standard output.
    int EncodeData(const std::string& path, std::string_view text, int& version, int& width, int& height);

    // Valid after a successful Encode.
    const QrMatrix& Matrix() const { return *m_matrix; }
    int Version() const { return m_matrix ? m_matrix->Version() : 0; }
    // The runs of the last encoding and their interleaved codewords.
    const std::vector<QrRun>& Runs() const { return m_runs; }
    const std::vector<uint8_t>& Codewords() const { return m_codewords; }

private:
    // Smallest version of the group that holds the bit stream, or 0.
    int FindVersionInGroup(std::string_view text, int group);
    void AddTerminatorAndPadding(int dataCodewords);
    void BuildCodewords(int version);

    std::vector<QrRun> m_runs;
    std::vector<uint8_t> m_data;      // data codewords, padded to capacity
    std::size_t m_dataBits = 0;       // bits of the stream before the terminator
    std::vector<uint8_t> m_codewords; // interleaved data and ECC codewords
    std::optional<QrMatrix> m_matrix;
};

} // namespace qr
