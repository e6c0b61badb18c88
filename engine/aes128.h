// AES-128-CBC decryption of HLS parts with BCrypt.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/download_types.h"

namespace vonu {

// Decrypts `data` in place and removes its PKCS#7 padding. False (data unspecified) unless
// the key is 16 bytes and the data a non-empty multiple of 16, or when the padding is not
// valid (a wrong key or IV). A fresh key handle each call: a reused one would carry the CBC
// chain of the previous part on, and the IV is always passed explicitly.
[[nodiscard]] bool DecryptAes128Cbc(const std::string& key, const std::array<uint8_t, 16>& iv, std::string& data);

// The part's IV: the one on its key line, else its sequence number as a 128-bit big-endian
// number (eight zero bytes, then the 64-bit sequence).
std::array<uint8_t, 16> PartIv(const VideoPart& part);

}  // namespace vonu
