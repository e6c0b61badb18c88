#include "ui/options_rules.h"

#include <algorithm>
#include <cwctype>

#include "model/decimal.h"
#include "model/device_names.h"
#include "model/text_case.h"

namespace vonu {
namespace {

constexpr std::wstring_view kBlanks = L" \t\r\n";

std::wstring_view Trimmed(std::wstring_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::wstring_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// One folder or file name inside a path, as Windows would create it: nothing dropped, no
// device, no "." or "..".
bool IsPlainName(std::wstring_view name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    if (name.back() == L'.' || name.back() == L' ') return false;
    for (wchar_t c : name)
        if (c < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) return false;
    std::wstring_view base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.remove_suffix(1);
    return !IsDeviceName(base);
}

}  // namespace

int ConnectionChoiceIndex(uint32_t maxConn) {
    const auto* end = std::end(kConnectionChoices);
    const auto* found = std::find(std::begin(kConnectionChoices), end, static_cast<int>(maxConn));
    if (found == end) found = std::find(std::begin(kConnectionChoices), end, 8);
    return static_cast<int>(found - std::begin(kConnectionChoices));
}

bool ArabicChosenAtOpening(std::wstring_view storedLanguage, bool arabicInterface) {
    return storedLanguage == L"ar" || (storedLanguage != L"en" && arabicInterface);
}

NumberCheck CheckNumber(std::wstring_view typed, int64_t lo, int64_t hi) {
    const std::wstring_view digits = Trimmed(typed);
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        return {NumberVerdict::NotInteger, 0};
    const std::optional<int64_t> value = DigitsOnly(digits);  // nothing: past 63 bits
    if (!value || *value < lo || *value > hi) return {NumberVerdict::OutOfRange, 0};
    return {NumberVerdict::Ok, *value};
}

std::wstring RangeMessage(std::wstring_view format, int64_t lo, int64_t hi) {
    std::wstring text(format);
    const std::pair<std::wstring_view, int64_t> fills[] = {{L"%1", lo}, {L"%2", hi}};
    for (const auto& [mark, number] : fills)
        if (const size_t at = text.find(mark); at != std::wstring::npos)
            text.replace(at, mark.size(), std::to_wstring(number));
    return text;
}

std::wstring WithoutTrailingSlash(std::wstring_view folder) {
    std::wstring f(folder);
    while (f.size() > 1 && f.back() == L'\\') f.pop_back();
    if (f.size() == 2 && f[1] == L':') f.push_back(L'\\');
    return f;
}

bool IsUsableFolder(std::wstring_view folder) {
    if (folder.size() == 2 && folder[1] == L':') return false;  // a bare drive: its current folder
    std::wstring f = WithoutTrailingSlash(folder);
    size_t partsFrom = 0;
    if (f.size() >= 3 && IsDriveLetter(f[0]) && f[1] == L':' && f[2] == L'\\') {
        if (f.size() == 3) return true;  // a drive root
        partsFrom = 3;
    } else if (f.size() > 2 && f[0] == L'\\' && f[1] == L'\\') {
        // \\server\share: both must be plain names (a "\\?\" or "\\.\" prefix is not).
        const size_t server = f.find(L'\\', 2);
        if (server == std::wstring::npos || !IsPlainName(std::wstring_view(f).substr(2, server - 2))) return false;
        partsFrom = server + 1;
    } else {
        return false;  // relative, "C:foo", "\foo", a bare drive
    }
    for (size_t from = partsFrom;;) {
        const size_t end = f.find(L'\\', from);
        if (!IsPlainName(std::wstring_view(f).substr(from, end == std::wstring::npos ? end : end - from)))
            return false;
        if (end == std::wstring::npos) return true;
        from = end + 1;
    }
}

bool IsUsableCategoryName(std::wstring_view name) { return IsPlainName(name); }

std::wstring NormalizeFileTypes(std::wstring_view typed) {
    std::wstring spaced(typed);
    for (wchar_t& c : spaced)
        if (c == L',' || c == L'.' || c == L';' || std::iswspace(c)) c = L' ';
    const std::wstring lower = LowerCase(spaced);
    std::wstring out;
    for (size_t i = 0; i < lower.size();) {
        const size_t start = lower.find_first_not_of(L' ', i);
        if (start == std::wstring::npos) break;
        const size_t end = std::min(lower.find(L' ', start), lower.size());
        if (!out.empty()) out.push_back(L' ');
        out.append(lower, start, end - start);
        i = end;
    }
    return out;
}

std::wstring DefaultCategoryFolder(std::wstring_view baseDir, std::wstring_view name) {
    if (name == L"General") return std::wstring(baseDir);
    return std::wstring(baseDir) + L"\\" + std::wstring(name);
}

std::wstring StoredCategoryFolder(std::wstring_view typed, std::wstring_view baseDir, std::wstring_view name) {
    if (EqualsNoCase(WithoutTrailingSlash(typed), WithoutTrailingSlash(DefaultCategoryFolder(baseDir, name))))
        return {};
    return std::wstring(typed);
}

std::wstring HostPart(std::wstring_view typed) {
    std::wstring_view host = Trimmed(typed);
    if (const size_t scheme = host.find(L"://"); scheme != std::wstring_view::npos) host.remove_prefix(scheme + 3);
    host = host.substr(0, host.find_first_of(L"/?#"));
    if (const size_t at = host.rfind(L'@'); at != std::wstring_view::npos) host.remove_prefix(at + 1);
    if (const size_t close = host.rfind(L']'); close != std::wstring_view::npos)
        host = host.substr(0, close + 1);
    else if (const size_t colon = host.rfind(L':'); colon != std::wstring_view::npos)
        host = host.substr(0, colon);
    return std::wstring(Trimmed(host));
}

bool HostBreaksLimitList(std::wstring_view host) { return host.find_first_of(L";=") != std::wstring_view::npos; }

size_t AddServerLimit(std::vector<ServerLimit>& limits, const std::wstring& host, std::wstring_view typedLimit) {
    const std::wstring_view digits = Trimmed(typedLimit);
    std::optional<int64_t> number = DigitsOnly(digits);
    if (!number && !digits.empty() && std::all_of(digits.begin(), digits.end(), [](wchar_t c) {
            return c >= L'0' && c <= L'9';
        }))
        number = INT64_MAX;  // too long for 64 bits is still more than 32
    const auto limit = static_cast<int32_t>(std::clamp<int64_t>(number.value_or(0), 1, 32));
    for (size_t i = 0; i < limits.size(); ++i)
        if (EqualsNoCase(limits[i].host, host)) {
            limits[i].limit = limit;
            return i;
        }
    limits.push_back({host, limit});
    return limits.size() - 1;
}

}  // namespace vonu
