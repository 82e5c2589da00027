#include "qr/reed_solomon.h"

#include <array>
#include <cassert>
#include <cstddef>

namespace qr {

namespace {

constexpr int kMaxEcc = 30;

struct GaloisTables {
    std::array<uint8_t, 512> exp{}; // doubled so that exp[log a + log b] needs no modulo
    std::array<int, 256> log{};
};

constexpr GaloisTables MakeTables() {
    GaloisTables tables;
    int value = 1;
    for (int power = 0; power < 255; ++power) {
        tables.exp[static_cast<std::size_t>(power)] = static_cast<uint8_t>(value);
        tables.exp[static_cast<std::size_t>(power + 255)] = static_cast<uint8_t>(value);
        tables.log[static_cast<std::size_t>(value)] = power;
        value <<= 1;
        if (value & 0x100) {
            value ^= 0x11D;
        }
    }
    tables.exp[510] = tables.exp[0];
    tables.exp[511] = tables.exp[1];
    return tables;
}

constexpr GaloisTables kTables = MakeTables();

// Generator polynomials for 1..30 ECC codewords, coefficients as logarithms
// (highest degree first, the leading 1 left out).
struct Generators {
    std::array<std::array<uint8_t, kMaxEcc>, kMaxEcc + 1> logCoefficients{};
};

constexpr Generators MakeGenerators() {
    Generators generators;
    for (int degree = 1; degree <= kMaxEcc; ++degree) {
        // Product of (x - alpha^i), i = 0 .. degree-1, built up in place;
        // coefficient[j] belongs to x^(degree-1-j).
        std::array<uint8_t, kMaxEcc + 1> coefficient{};
        coefficient[0] = 1; // the polynomial "1"
        int length = 1;
        for (int root = 0; root < degree; ++root) {
            // Multiply by (x + alpha^root).
            std::array<uint8_t, kMaxEcc + 1> next{};
            for (int j = 0; j < length; ++j) {
                next[static_cast<std::size_t>(j)] ^= coefficient[static_cast<std::size_t>(j)];
                const uint8_t c = coefficient[static_cast<std::size_t>(j)];
                if (c != 0) {
                    const int logProduct = kTables.log[c] + root;
                    next[static_cast<std::size_t>(j + 1)] ^=
                        kTables.exp[static_cast<std::size_t>(logProduct % 255)];
                }
            }
            coefficient = next;
            ++length;
        }
        for (int j = 0; j < degree; ++j) {
            // Generator coefficients are never zero.
            generators.logCoefficients[static_cast<std::size_t>(degree)][static_cast<std::size_t>(j)] =
                static_cast<uint8_t>(kTables.log[coefficient[static_cast<std::size_t>(j + 1)]]);
        }
    }
    return generators;
}

constexpr Generators kGenerators = MakeGenerators();

} // namespace

uint8_t GfMultiply(uint8_t a, uint8_t b) {
    if (a == 0 || b == 0) {
        return 0;
    }
    return kTables.exp[static_cast<std::size_t>(kTables.log[a] + kTables.log[b])];
}

uint8_t GfPower(int power) {
    return kTables.exp[static_cast<std::size_t>(((power % 255) + 255) % 255)];
}

void ReedSolomonEncode(std::span<const uint8_t> data, std::span<uint8_t> ecc) {
    const std::size_t degree = ecc.size();
    assert(degree >= 1 && degree <= static_cast<std::size_t>(kMaxEcc));
    const auto& generator = kGenerators.logCoefficients[degree];
    std::array<uint8_t, kMaxEcc> remainder{};
    for (const uint8_t byte : data) {
        const uint8_t factor = byte ^ remainder[0];
        for (std::size_t j = 0; j + 1 < degree; ++j) {
            remainder[j] = remainder[j + 1];
        }
        remainder[degree - 1] = 0;
        if (factor != 0) {
            const int logFactor = kTables.log[factor];
            for (std::size_t j = 0; j < degree; ++j) {
                remainder[j] ^= kTables.exp[static_cast<std::size_t>(logFactor + generator[j])];
            }
        }
    }
    for (std::size_t j = 0; j < degree; ++j) {
        ecc[j] = remainder[j];
    }
}

} // namespace qr
