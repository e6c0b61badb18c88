// The signature of an update description: ECDSA P-256 (BCrypt) by the maker's key over the
// SHA-256 of the signed message
//
//     "vonu-update" LF version LF sha256 (A-F lowered to a-f) LF size in decimal
//
// with no line feed at the end. Only a version of the form digits(.digits){0,3} and a
// sha256 of exactly 64 hexadecimal digits can be signed: anything else is refused before
// any key is used, so every character of the signed message is the character shown or
// compared (the message is ASCII), and a version never carries a path into a file name.
//
// Any thread; every BCrypt handle is closed before a function returns.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vonu {

// A Windows ECCPUBLICBLOB for ECDSA P-256: "ECS1", the key length 32 (little-endian), then
// the 32-byte X and the 32-byte Y coordinate.
inline constexpr size_t kVerificationKeySize = 72;
using VerificationKey = std::span<const uint8_t, kVerificationKeySize>;

// digits(.digits){0,3}, ASCII digits only, no empty part.
bool IsPlainVersion(std::wstring_view version);
// Exactly 64 characters 0-9, a-f, A-F.
bool IsSha256Text(std::wstring_view sha256);

// The bytes that are signed; nothing when the version or the sha256 text has another form.
std::optional<std::string> SignedUpdateMessage(std::wstring_view version, std::wstring_view sha256,
                                               int64_t size);

// True only for a Base64 signature of exactly 64 bytes (r then s) that `key` made over the
// signed message. Text that decodes to more than 128 bytes is not decoded at all.
bool VerifyUpdateSignature(VerificationKey key, std::wstring_view version, std::wstring_view sha256,
                           int64_t size, std::wstring_view signature);

// SHA-256 of the bytes; nothing when BCrypt fails.
std::optional<std::array<uint8_t, 32>> Sha256(std::string_view bytes);
// Two lower-case hexadecimal digits per byte, high nibble first.
std::wstring HexDigest(const std::array<uint8_t, 32>& digest);

}  // namespace vonu
