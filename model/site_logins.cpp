#include "model/site_logins.h"

#include <windows.h>
#include <wincrypt.h>

#include <mutex>

#include "model/decimal.h"
#include "model/ini_fields.h"
#include "model/ini_file.h"

namespace vonu {
namespace {

constexpr int kMaxLogins = 200;
constexpr size_t kMaxValueChars = 32767;

// Frees a DPAPI output buffer, wiping it first: it may hold a password.
struct LocalBlob {
    DATA_BLOB blob{};
    ~LocalBlob() {
        if (blob.pbData) {
            SecureZeroMemory(blob.pbData, blob.cbData);
            LocalFree(blob.pbData);
        }
    }
};

}  // namespace

std::wstring ProtectPassword(std::wstring_view password) {
    DATA_BLOB in{static_cast<DWORD>(password.size() * sizeof(wchar_t)),
                 reinterpret_cast<BYTE*>(const_cast<wchar_t*>(password.data()))};
    LocalBlob out;
    if (!CryptProtectData(&in, L"Vonu", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out.blob))
        return {};
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring hex;
    hex.reserve(out.blob.cbData * 2);
    for (DWORD i = 0; i < out.blob.cbData; ++i) {
        hex.push_back(digits[out.blob.pbData[i] >> 4]);
        hex.push_back(digits[out.blob.pbData[i] & 15]);
    }
    return hex;
}

std::wstring UnprotectPassword(std::wstring_view hex) {
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {  // a final odd digit is ignored
        int hi = HexDigitValue(hex[i]), lo = HexDigitValue(hex[i + 1]);
        if (hi < 0 || lo < 0) return {};
        bytes.push_back(static_cast<char>(hi * 16 + lo));
    }
    if (bytes.empty()) return {};
    DATA_BLOB in{static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data())};
    LocalBlob out;
    if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out.blob))
        return {};
    return std::wstring(reinterpret_cast<const wchar_t*>(out.blob.pbData), out.blob.cbData / sizeof(wchar_t));
}

std::vector<SiteLogin> CopyLogins(DownloadManager& m) {
    std::lock_guard guard(m.categoryLock);
    return m.logins;
}

void ReplaceLogins(DownloadManager& m, std::vector<SiteLogin> logins) {
    std::lock_guard guard(m.categoryLock);
    m.logins = std::move(logins);
}

namespace {

// The keys of a "[Login" + index + "]" section, in the order they are written. The
// password is stored protected, as hexadecimal.
const IniField<SiteLogin> kLoginFields[] = {
    {L"Site", &SiteLogin::site},
    {L"User", &SiteLogin::user},
    {L"Pass", &SiteLogin::password, INT64_MIN, INT64_MAX, ProtectPassword, UnprotectPassword},
};

}  // namespace

void LoadLoginsLocked(DownloadManager& m, const std::wstring& loginsPath) {
    m.logins.clear();
    IniReadResult file = ReadIniFile(loginsPath, kMaxValueChars, 16u * 1024 * 1024);
    if (!file.ok) return;
    for (int index = 0; index < kMaxLogins; ++index) {
        const IniSection* section = FindSection(file.sections, L"Login" + std::to_wstring(index));
        SiteLogin login;
        if (section) ReadIniFields(login, *section, kLoginFields);
        if (login.site.empty()) break;
        m.logins.push_back(std::move(login));
    }
}

std::wstring LoginsText(const std::vector<SiteLogin>& logins) {
    std::wstring text;
    for (size_t i = 0; i < logins.size(); ++i) {
        text += L"[Login" + std::to_wstring(i) + L"]\r\n";
        AppendIniFields(text, logins[i], kLoginFields);
    }
    return text;
}

}  // namespace vonu
