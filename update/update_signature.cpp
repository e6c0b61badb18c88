#include "update/update_signature.h"

#include <windows.h>
#include <bcrypt.h>
#include <wincrypt.h>

#include <algorithm>
#include <vector>

#include "model/decimal.h"
#include "model/unique_handle.h"

namespace vonu {
namespace {

void CloseProvider(BCRYPT_ALG_HANDLE h) { BCryptCloseAlgorithmProvider(h, 0); }
void DestroyKey(BCRYPT_KEY_HANDLE h) { BCryptDestroyKey(h); }
void DestroyHash(BCRYPT_HASH_HANDLE h) { BCryptDestroyHash(h); }

using Provider = UniqueHandle<NullHandleTraits<BCRYPT_ALG_HANDLE, CloseProvider>>;
using Key = UniqueHandle<NullHandleTraits<BCRYPT_KEY_HANDLE, DestroyKey>>;
using Hash = UniqueHandle<NullHandleTraits<BCRYPT_HASH_HANDLE, DestroyHash>>;

constexpr DWORD kSignatureSize = 64;
constexpr DWORD kSignatureBufferSize = 128;
// Base64 of 128 bytes with room for line breaks; a longer text is refused unread.
constexpr size_t kSignatureTextLimit = 256;

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

std::optional<std::vector<uint8_t>> DecodeBase64(std::wstring_view text) {
    if (text.empty() || text.size() > kSignatureTextLimit) return std::nullopt;
    const DWORD length = static_cast<DWORD>(text.size());
    DWORD needed = 0;
    if (!CryptStringToBinaryW(text.data(), length, CRYPT_STRING_BASE64, nullptr, &needed, nullptr, nullptr) ||
        needed > kSignatureBufferSize)
        return std::nullopt;
    std::vector<uint8_t> bytes(kSignatureBufferSize);
    DWORD size = kSignatureBufferSize;
    if (!CryptStringToBinaryW(text.data(), length, CRYPT_STRING_BASE64, bytes.data(), &size, nullptr,
                              nullptr))
        return std::nullopt;
    bytes.resize(size);
    return bytes;
}

}  // namespace

bool IsPlainVersion(std::wstring_view version) {
    int parts = 1;
    bool digitSeen = false;
    for (wchar_t c : version) {
        if (IsDigit(c)) {
            digitSeen = true;
        } else if (c == L'.' && digitSeen && parts < 4) {
            ++parts;
            digitSeen = false;
        } else {
            return false;
        }
    }
    return digitSeen;
}

bool IsSha256Text(std::wstring_view sha256) {
    if (sha256.size() != 64) return false;
    for (wchar_t c : sha256)
        if (HexDigitValue(c) < 0) return false;
    return true;
}

std::optional<std::string> SignedUpdateMessage(std::wstring_view version, std::wstring_view sha256,
                                               int64_t size) {
    if (!IsPlainVersion(version) || !IsSha256Text(sha256)) return std::nullopt;
    std::string message = "vonu-update\n";
    for (wchar_t c : version) message += static_cast<char>(c);
    message += '\n';
    for (wchar_t c : sha256) message += static_cast<char>(c >= L'A' && c <= L'F' ? c - L'A' + L'a' : c);
    message += '\n';
    message += std::to_string(size);
    return message;
}

bool VerifyUpdateSignature(VerificationKey key, std::wstring_view version, std::wstring_view sha256,
                           int64_t size, std::wstring_view signature) {
    const std::optional<std::vector<uint8_t>> decoded = DecodeBase64(signature);
    if (!decoded) return false;
    const std::optional<std::string> message = SignedUpdateMessage(version, sha256, size);
    if (!message) return false;
    const std::optional<std::array<uint8_t, 32>> digest = Sha256(*message);
    if (!digest || decoded->size() != kSignatureSize) return false;

    BCRYPT_ALG_HANDLE rawProvider = nullptr;
    if (BCryptOpenAlgorithmProvider(&rawProvider, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) < 0) return false;
    Provider provider(rawProvider);
    BCRYPT_KEY_HANDLE rawKey = nullptr;
    if (BCryptImportKeyPair(provider.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &rawKey,
                            const_cast<PUCHAR>(key.data()), static_cast<ULONG>(key.size()), 0) < 0)
        return false;
    Key publicKey(rawKey);
    std::array<uint8_t, 32> hash = *digest;
    std::vector<uint8_t> sig = *decoded;
    return BCryptVerifySignature(publicKey.get(), nullptr, hash.data(), static_cast<ULONG>(hash.size()),
                                 sig.data(), static_cast<ULONG>(sig.size()), 0) >= 0;
}

std::optional<std::array<uint8_t, 32>> Sha256(std::string_view bytes) {
    BCRYPT_ALG_HANDLE rawProvider = nullptr;
    if (BCryptOpenAlgorithmProvider(&rawProvider, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0)
        return std::nullopt;
    Provider provider(rawProvider);
    BCRYPT_HASH_HANDLE rawHash = nullptr;
    if (BCryptCreateHash(provider.get(), &rawHash, nullptr, 0, nullptr, 0, 0) < 0) return std::nullopt;
    Hash hash(rawHash);
    // BCryptHashData takes a ULONG length: hash a large input in pieces.
    constexpr size_t kPiece = 1 << 30;
    for (size_t at = 0; at < bytes.size(); at += kPiece) {
        const size_t n = std::min(kPiece, bytes.size() - at);
        if (BCryptHashData(hash.get(), reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data() + at)),
                           static_cast<ULONG>(n), 0) < 0)
            return std::nullopt;
    }
    std::array<uint8_t, 32> digest{};
    if (BCryptFinishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0) < 0)
        return std::nullopt;
    return digest;
}

std::wstring HexDigest(const std::array<uint8_t, 32>& digest) {
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring hex;
    hex.reserve(64);
    for (uint8_t b : digest) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 0x0F];
    }
    return hex;
}

}  // namespace vonu
