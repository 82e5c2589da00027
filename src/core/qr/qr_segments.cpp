#include "qr/qr_segments.h"

#include <array>
#include <cstddef>

namespace qr {

namespace {

using RunIndex = std::ptrdiff_t;

int Bits(const QrRun& run, int group) {
    return RunBits(run.mode, run.length, group);
}

QrRun& At(std::vector<QrRun>& runs, RunIndex index) {
    return runs[static_cast<std::size_t>(index)];
}

bool HasMode(const std::vector<QrRun>& runs, RunIndex index, QrMode mode) {
    return index >= 0 && index < static_cast<RunIndex>(runs.size()) &&
           runs[static_cast<std::size_t>(index)].mode == mode;
}

// Run `into` takes over the bytes of run `from` (its right-hand neighbour);
// `from` disappears from the list.
void Absorb(std::vector<QrRun>& runs, RunIndex into, RunIndex from) {
    At(runs, into).length += At(runs, from).length;
    runs.erase(runs.begin() + from);
}

bool IsNumericAlphanumericPair(const QrRun& a, const QrRun& b) {
    return (a.mode == QrMode::Numeric && b.mode == QrMode::Alphanumeric) ||
           (a.mode == QrMode::Alphanumeric && b.mode == QrMode::Numeric);
}

} // namespace

int CountIndicatorBits(QrMode mode, int group) {
    // Rows: numeric, alphanumeric, byte, Kanji; columns: groups 1 to 3.
    static constexpr std::array<std::array<int, 3>, 4> kBits = {{
        {10, 12, 14},
        {9, 11, 13},
        {8, 16, 16},
        {8, 10, 12},
    }};
    return kBits[static_cast<std::size_t>(mode)][static_cast<std::size_t>(group - 1)];
}

uint8_t ModeIndicator(QrMode mode) {
    static constexpr std::array<uint8_t, 4> kIndicator = {0x1, 0x2, 0x4, 0x8};
    return kIndicator[static_cast<std::size_t>(mode)];
}

int RunBits(QrMode mode, int length, int group) {
    int data = 0;
    switch (mode) {
    case QrMode::Numeric:
        data = 10 * (length / 3) + (length % 3 == 1 ? 4 : length % 3 == 2 ? 7 : 0);
        break;
    case QrMode::Alphanumeric:
        data = 11 * (length / 2) + 6 * (length % 2);
        break;
    case QrMode::Byte:
        data = 8 * length;
        break;
    case QrMode::Kanji:
        data = 13 * (length / 2);
        break;
    }
    return 4 + CountIndicatorBits(mode, group) + data;
}

bool IsKanjiPair(uint8_t first, uint8_t second) {
    const bool leadRange = (first >= 0x81 && first <= 0x9F) || (first >= 0xE0 && first <= 0xEB);
    if (!leadRange || second < 0x40) {
        return false;
    }
    if (first == 0x9F) {
        return second <= 0xFC;
    }
    if (first == 0xEB) {
        return second <= 0xBF;
    }
    return true;
}

bool IsNumericByte(uint8_t byte) {
    return byte >= '0' && byte <= '9';
}

int AlphanumericIndex(uint8_t byte) {
    if (IsNumericByte(byte)) {
        return byte - '0';
    }
    if (byte >= 'A' && byte <= 'Z') {
        return byte - 'A' + 10;
    }
    switch (byte) {
    case ' ':
        return 36;
    case '$':
        return 37;
    case '%':
        return 38;
    case '*':
        return 39;
    case '+':
        return 40;
    case '-':
        return 41;
    case '.':
        return 42;
    case '/':
        return 43;
    case ':':
        return 44;
    default:
        return -1;
    }
}

std::vector<QrRun> SplitIntoRuns(std::string_view text) {
    std::vector<QrRun> runs;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<uint8_t>(text[i]);
        QrMode mode = QrMode::Byte;
        int width = 1;
        if (i + 1 < text.size() && IsKanjiPair(byte, static_cast<uint8_t>(text[i + 1]))) {
            mode = QrMode::Kanji;
            width = 2;
        } else if (IsNumericByte(byte)) {
            mode = QrMode::Numeric;
        } else if (AlphanumericIndex(byte) >= 0) {
            mode = QrMode::Alphanumeric;
        }
        if (!runs.empty() && runs.back().mode == mode) {
            runs.back().length += width;
        } else {
            runs.push_back({mode, width});
        }
        i += static_cast<std::size_t>(width);
    }
    return runs;
}

void MergeNumericAlphanumeric(std::vector<QrRun>& runs, int group) {
    RunIndex i = 0;
    while (i + 1 < static_cast<RunIndex>(runs.size())) {
        const QrRun current = At(runs, i);
        const QrRun next = At(runs, i + 1);
        if (!IsNumericAlphanumericPair(current, next)) {
            ++i;
            continue;
        }
        const int separate = Bits(current, group) + Bits(next, group);
        const int joined = RunBits(QrMode::Alphanumeric, current.length + next.length, group);
        if (separate <= joined) {
            ++i;
            continue;
        }

        // Joining into a byte neighbour may beat joining the pair itself.
        bool frontOption = false;
        int front = 0;
        if (HasMode(runs, i - 1, QrMode::Byte)) {
            const int previousLength = At(runs, i - 1).length;
            front = RunBits(QrMode::Byte, previousLength + current.length, group) + Bits(next, group);
            frontOption = front <= joined + RunBits(QrMode::Byte, previousLength, group);
        }
        bool backOption = false;
        int back = 0;
        if (HasMode(runs, i + 2, QrMode::Byte)) {
            const int afterLength = At(runs, i + 2).length;
            back = Bits(current, group) + RunBits(QrMode::Byte, next.length + afterLength, group);
            backOption = back <= joined + RunBits(QrMode::Byte, afterLength, group);
        }
        if (frontOption && backOption) {
            // The back option wins a tie.
            frontOption = front < back;
            backOption = !frontOption;
        }

        if (frontOption) {
            Absorb(runs, i - 1, i);
            --i;
        } else if (backOption) {
            At(runs, i + 1).mode = QrMode::Byte;
            Absorb(runs, i + 1, i + 2);
        } else {
            if (HasMode(runs, i + 2, QrMode::Alphanumeric)) {
                Absorb(runs, i + 1, i + 2);
            }
            At(runs, i).mode = QrMode::Alphanumeric;
            Absorb(runs, i, i + 1);
            if (HasMode(runs, i - 1, QrMode::Alphanumeric)) {
                Absorb(runs, i - 1, i);
                --i;
            }
        }
    }
}

void MergeIntoBytes(std::vector<QrRun>& runs, int group) {
    const int byteHeader = 4 + CountIndicatorBits(QrMode::Byte, group);
    RunIndex i = 0;
    while (i + 1 < static_cast<RunIndex>(runs.size())) {
        const QrRun current = At(runs, i);
        const QrRun next = At(runs, i + 1);
        const bool previousIsByte = HasMode(runs, i - 1, QrMode::Byte);
        const bool afterIsByte = HasMode(runs, i + 2, QrMode::Byte);
        const int separate = Bits(current, group) + Bits(next, group);
        int joined = RunBits(QrMode::Byte, current.length + next.length, group);
        joined -= byteHeader * ((previousIsByte ? 1 : 0) + (afterIsByte ? 1 : 0));
        if (separate <= joined) {
            ++i;
            continue;
        }
        At(runs, i).mode = QrMode::Byte;
        Absorb(runs, i, i + 1);
        if (afterIsByte) {
            Absorb(runs, i, i + 1);
        }
        RunIndex merged = i;
        if (previousIsByte) {
            Absorb(runs, i - 1, i);
            merged = i - 1;
        }
        i = merged > 0 ? merged - 1 : 0;
    }
}

std::vector<QrRun> SegmentText(std::string_view text, int group) {
    std::vector<QrRun> runs = SplitIntoRuns(text);
    MergeNumericAlphanumeric(runs, group);
    MergeIntoBytes(runs, group);
    return runs;
}

} // namespace qr
