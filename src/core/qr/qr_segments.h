#pragma once
// Splitting a text into runs of one encoding mode, and the two merge passes
// that join runs whenever one longer run costs fewer bits than the pieces.
#include <cstdint>
#include <string_view>
#include <vector>

namespace qr {

enum class QrMode : uint8_t { Numeric, Alphanumeric, Byte, Kanji };

// A run of the input: its mode and its length in bytes (a Kanji run counts
// two bytes per character).
struct QrRun {
    QrMode mode = QrMode::Byte;
    int length = 0;

    bool operator==(const QrRun&) const = default;
};

// Length of the character count indicator of a mode in a version group (1-3).
int CountIndicatorBits(QrMode mode, int group);
// 4-bit mode indicator value.
uint8_t ModeIndicator(QrMode mode);
// Bits one run of `length` bytes takes in the stream: mode indicator, count
// indicator and data.
int RunBits(QrMode mode, int length, int group);

// Character classes.
bool IsKanjiPair(uint8_t first, uint8_t second);
bool IsNumericByte(uint8_t byte);
// Index of an alphanumeric character in the 45-character set, or -1.
int AlphanumericIndex(uint8_t byte);

// Consecutive bytes of one class, before any merging.
std::vector<QrRun> SplitIntoRuns(std::string_view text);
// First pass: joins numeric and alphanumeric neighbours, possibly into a
// neighbouring byte run.
void MergeNumericAlphanumeric(std::vector<QrRun>& runs, int group);
// Second pass: joins neighbours into byte runs where that is shorter.
void MergeIntoBytes(std::vector<QrRun>& runs, int group);

// The runs the encoder writes for a text in a version group: both passes.
std::vector<QrRun> SegmentText(std::string_view text, int group);

} // namespace qr
