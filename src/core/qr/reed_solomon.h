#pragma once
// Reed-Solomon error correction over GF(256) with the field polynomial 0x11D
// and generator roots alpha^0 .. alpha^(n-1), as QR Code uses it.
#include <cstdint>
#include <span>

namespace qr {

// Multiplication in GF(256).
uint8_t GfMultiply(uint8_t a, uint8_t b);
// alpha^power, power taken modulo 255.
uint8_t GfPower(int power);

// Writes the ecc.size() error-correction codewords of `data` into `ecc`
// (at most 30 codewords).
void ReedSolomonEncode(std::span<const uint8_t> data, std::span<uint8_t> ecc);

} // namespace qr
