#include "engine/zone_mark.h"

#include <windows.h>

#include "model/text_encoding.h"
#include "model/unique_handle.h"

namespace vonu {

std::wstring CleanAddressForMark(const std::wstring& address) {
    std::wstring clean = address;
    for (wchar_t& c : clean)
        if (c == L'\r' || c == L'\n') c = L' ';
    const size_t scheme = clean.find(L"://");
    if (scheme == std::wstring::npos) return clean;
    const size_t hostStart = scheme + 3;
    size_t hostEnd = clean.find_first_of(L"/?#", hostStart);
    if (hostEnd == std::wstring::npos) hostEnd = clean.size();
    const size_t at = clean.rfind(L'@', hostEnd == 0 ? 0 : hostEnd - 1);
    if (at != std::wstring::npos && at >= hostStart && at < hostEnd) clean.erase(hostStart, at + 1 - hostStart);
    return clean;
}

std::wstring ZoneMarkText(const std::wstring& url, const std::wstring& referrer) {
    std::wstring text = L"[ZoneTransfer]\r\nZoneId=3\r\n";
    if (!referrer.empty()) text += L"ReferrerUrl=" + CleanAddressForMark(referrer) + L"\r\n";
    if (!url.empty()) text += L"HostUrl=" + CleanAddressForMark(url) + L"\r\n";
    return text;
}

void WriteZoneMark(const std::wstring& target, const std::wstring& url, const std::wstring& referrer) {
    const std::string bytes = WideToUtf8(ZoneMarkText(url, referrer));
    FileHandle stream(CreateFileW((target + L":Zone.Identifier").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!stream) return;
    DWORD written = 0;
    WriteFile(stream.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace vonu
