#include "engine/aes128.h"

#include <windows.h>
#include <bcrypt.h>

#include <vector>

namespace vonu {

namespace {

struct Provider {
    BCRYPT_ALG_HANDLE handle = nullptr;
    ~Provider() {
        if (handle) BCryptCloseAlgorithmProvider(handle, 0);
    }
};

struct Key {
    BCRYPT_KEY_HANDLE handle = nullptr;
    ~Key() {
        if (handle) BCryptDestroyKey(handle);
    }
};

bool Ok(NTSTATUS status) { return status >= 0; }

}  // namespace

bool DecryptAes128Cbc(const std::string& key, const std::array<uint8_t, 16>& iv, std::string& data) {
    if (key.size() != 16 || data.empty() || data.size() % 16 != 0 || data.size() > 0xFFFFFFF0u) return false;
    Provider provider;
    if (!Ok(BCryptOpenAlgorithmProvider(&provider.handle, BCRYPT_AES_ALGORITHM, nullptr, 0))) return false;
    if (!Ok(BCryptSetProperty(provider.handle, BCRYPT_CHAINING_MODE,
                              reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_CBC)),
                              sizeof(BCRYPT_CHAIN_MODE_CBC), 0)))
        return false;
    Key k;
    if (!Ok(BCryptGenerateSymmetricKey(provider.handle, &k.handle, nullptr, 0,
                                       reinterpret_cast<PUCHAR>(const_cast<char*>(key.data())), 16, 0)))
        return false;
    std::array<uint8_t, 16> chain = iv;  // BCrypt may write the chained IV back into it
    ULONG written = 0;
    auto* bytes = reinterpret_cast<PUCHAR>(data.data());
    const ULONG size = static_cast<ULONG>(data.size());
    if (!Ok(BCryptDecrypt(k.handle, bytes, size, nullptr, chain.data(), 16, bytes, size, &written,
                          BCRYPT_BLOCK_PADDING)))
        return false;
    if (written > size) return false;
    data.resize(written);
    return true;
}

std::array<uint8_t, 16> PartIv(const VideoPart& part) {
    if (part.explicitIv) return part.iv;
    std::array<uint8_t, 16> iv{};
    const uint64_t sequence = static_cast<uint64_t>(part.sequence);
    for (int i = 0; i < 8; ++i) iv[15 - i] = static_cast<uint8_t>(sequence >> (8 * i));
    return iv;
}

}  // namespace vonu
