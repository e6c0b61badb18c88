#include "model/hosts.h"

#include <mutex>

#include "model/text_case.h"

namespace vonu {

std::wstring HostOfAddress(std::wstring_view address) {
    const size_t scheme = address.find(L"://");
    if (scheme == std::wstring_view::npos) return {};
    std::wstring_view rest = address.substr(scheme + 3);
    rest = rest.substr(0, rest.find_first_of(L"/?#"));
    if (size_t at = rest.rfind(L'@'); at != std::wstring_view::npos) rest = rest.substr(at + 1);
    if (rest.find(L']') == std::wstring_view::npos) {
        if (size_t colon = rest.rfind(L':'); colon != std::wstring_view::npos) rest = rest.substr(0, colon);
    }
    return LowerCase(rest);
}

bool IsSecureWebAddress(std::wstring_view address) { return StartsWithNoCase(address, L"https://"); }

bool IsWebAddress(std::wstring_view address) {
    return StartsWithNoCase(address, L"http://") || IsSecureWebAddress(address);
}

bool IsFtpAddress(std::wstring_view address) { return StartsWithNoCase(address, L"ftp://"); }

bool IsDownloadAddress(std::wstring_view address) { return IsWebAddress(address) || IsFtpAddress(address); }

std::wstring ReduceHostPattern(std::wstring_view pattern) {
    while (!pattern.empty() && (pattern.front() == L' ' || pattern.front() == L'\t')) pattern.remove_prefix(1);
    while (!pattern.empty() && (pattern.back() == L'/' || pattern.back() == L' ' || pattern.back() == L'\t'))
        pattern.remove_suffix(1);
    if (size_t scheme = pattern.find(L"://"); scheme != std::wstring_view::npos) {
        pattern = pattern.substr(scheme + 3);
        pattern = pattern.substr(0, pattern.find(L'/'));
    }
    if (pattern.starts_with(L"*.")) pattern.remove_prefix(2);
    return std::wstring(pattern);
}

bool PatternMatchesHost(std::wstring_view pattern, std::wstring_view host) {
    const std::wstring reduced = ReduceHostPattern(pattern);
    if (reduced.empty() || host.size() < reduced.size()) return false;
    if (EqualsNoCase(host, reduced)) return true;
    return host.size() > reduced.size() && EndsWithNoCase(host, reduced) &&
           host[host.size() - reduced.size() - 1] == L'.';
}

std::optional<SiteLogin> LoginForHost(DownloadManager& m, std::wstring_view host) {
    std::lock_guard guard(m.categoryLock);
    for (const SiteLogin& login : m.logins)
        if (PatternMatchesHost(login.site, host)) return login;
    return std::nullopt;
}

int32_t LimitForHost(DownloadManager& m, std::wstring_view host) {
    std::lock_guard guard(m.categoryLock);
    for (const ServerLimit& limit : m.serverLimits)
        if (PatternMatchesHost(limit.host, host)) return limit.limit;
    return m.MaxPerServer;
}

}  // namespace vonu
