#include "engine/url.h"

#include <winhttp.h>

#include <vector>

#include "model/text_encoding.h"

namespace vonu {

bool CrackAddress(const std::wstring& address, AddressParts& out) {
    out = {};
    if (address.empty() || address.size() > 0x7fffffff) return false;
    URL_COMPONENTS c{};
    c.dwStructSize = sizeof c;
    // Lengths of -1: the components point into `address`, so no length limit applies.
    c.dwSchemeLength = c.dwHostNameLength = c.dwUserNameLength = c.dwPasswordLength =
        c.dwUrlPathLength = c.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(address.c_str(), static_cast<DWORD>(address.size()), 0, &c)) return false;
    if (c.nScheme != INTERNET_SCHEME_HTTP && c.nScheme != INTERNET_SCHEME_HTTPS) return false;
    if (!c.lpszHostName || c.dwHostNameLength == 0) return false;
    out.secure = c.nScheme == INTERNET_SCHEME_HTTPS;
    out.host.assign(c.lpszHostName, c.dwHostNameLength);
    out.port = c.nPort;
    if (c.lpszUserName) out.user.assign(c.lpszUserName, c.dwUserNameLength);
    if (c.lpszPassword) out.password.assign(c.lpszPassword, c.dwPasswordLength);
    if (c.lpszUrlPath) out.path.assign(c.lpszUrlPath, c.dwUrlPathLength);
    if (c.lpszExtraInfo) out.path.append(c.lpszExtraInfo, c.dwExtraInfoLength);
    return true;
}

std::wstring RequestPath(const std::wstring& pathAndQuery) {
    std::wstring path = pathAndQuery.substr(0, pathAndQuery.find(L'#'));
    if (path.empty() || path[0] != L'/') path.insert(path.begin(), L'/');
    return EncodePath(path);
}

std::wstring EncodePath(std::wstring_view path) {
    static const wchar_t hex[] = L"0123456789ABCDEF";
    std::wstring out;
    out.reserve(path.size());
    auto put = [&](unsigned char b) {
        out += L'%';
        out += hex[b >> 4];
        out += hex[b & 15];
    };
    for (size_t i = 0; i < path.size(); ++i) {
        wchar_t c = path[i];
        if (c < 128) {
            if (c == L' ' || c == L'"' || c == L'<' || c == L'>')
                put(static_cast<unsigned char>(c));
            else
                out += c;
            continue;
        }
        // A surrogate pair is one character: encode both halves together.
        size_t n = (c >= 0xD800 && c <= 0xDBFF && i + 1 < path.size() && path[i + 1] >= 0xDC00 &&
                    path[i + 1] <= 0xDFFF)
                       ? 2
                       : 1;
        for (unsigned char b : WideToUtf8(path.substr(i, n))) put(b);
        i += n - 1;
    }
    return out;
}

std::wstring AsciiHost(const std::wstring& host) {
    bool wide = false;
    for (wchar_t c : host) wide = wide || c > 127;
    if (!wide) return host;
    wchar_t out[257] = {};
    int n = IdnToAscii(0, host.c_str(), static_cast<int>(host.size()), out, 256);
    if (n <= 0) return host;
    return std::wstring(out, static_cast<size_t>(n));
}

namespace {

// "/a/./b/../c" -> "/a/c"; a trailing "/", "." or ".." keeps the trailing slash.
std::wstring RemoveDotSegments(const std::wstring& path) {
    std::vector<std::wstring> out;
    size_t pos = (!path.empty() && path[0] == L'/') ? 1 : 0;
    bool trailingSlash = false;
    for (;;) {
        size_t slash = path.find(L'/', pos);
        std::wstring segment = path.substr(pos, slash == std::wstring::npos ? std::wstring::npos : slash - pos);
        bool last = slash == std::wstring::npos;
        if (segment == L".") {
            trailingSlash = last;
        } else if (segment == L"..") {
            if (!out.empty()) out.pop_back();
            trailingSlash = last;
        } else {
            out.push_back(segment);
            trailingSlash = false;
        }
        if (last) break;
        pos = slash + 1;
    }
    std::wstring joined;
    for (const std::wstring& s : out) joined += L"/" + s;
    if (trailingSlash || joined.empty()) joined += L"/";
    return joined;
}

}  // namespace

std::wstring ResolveAddress(const std::wstring& base, const std::wstring& reference) {
    if (reference.find(L"://") != std::wstring::npos) return reference;
    size_t schemeEnd = base.find(L"://");
    std::wstring scheme = schemeEnd == std::wstring::npos ? std::wstring() : base.substr(0, schemeEnd);
    size_t authorityStart = schemeEnd == std::wstring::npos ? 0 : schemeEnd + 3;
    size_t pathStart = base.find_first_of(L"/?#", authorityStart);
    if (pathStart == std::wstring::npos) pathStart = base.size();
    std::wstring authority = base.substr(authorityStart, pathStart - authorityStart);
    std::wstring basePath = base.substr(pathStart);
    basePath = basePath.substr(0, basePath.find_first_of(L"?#"));  // without query and fragment
    std::wstring origin = scheme + L"://" + authority;

    if (reference.starts_with(L"//")) return scheme + L":" + reference;
    if (reference.starts_with(L"/")) return origin + reference;
    if (reference.starts_with(L"?")) return origin + (basePath.empty() ? L"/" : basePath) + reference;
    if (reference.empty()) return base;

    std::wstring directory = basePath.empty() ? L"/" : basePath.substr(0, basePath.rfind(L'/') + 1);
    if (directory.empty()) directory = L"/";
    std::wstring merged = directory + reference;
    size_t query = merged.find_first_of(L"?#");
    std::wstring rest = query == std::wstring::npos ? std::wstring() : merged.substr(query);
    if (query != std::wstring::npos) merged.resize(query);
    return origin + RemoveDotSegments(merged) + rest;
}

}  // namespace vonu
