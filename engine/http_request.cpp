#include "engine/http_request.h"

#include <winhttp.h>

#include <mutex>
#include <vector>

#include "engine/http_errors.h"
#include "engine/http_session.h"
#include "engine/url.h"
#include "engine/wininet_handle.h"
#include "model/download_manager.h"
#include "model/hosts.h"
#include "model/text_case.h"

namespace vonu {

namespace {

constexpr DWORD kHeaderCap = 65536;      // characters kept of one response header
constexpr size_t kLocationCap = 16384;   // longest redirect address followed

std::wstring NoLineBreaks(std::wstring s) {
    for (wchar_t& c : s)
        if (c == L'\r' || c == L'\n') c = L' ';
    return s;
}

// The header's value; *whole is false when it was longer than the cap and has been cut.
std::wstring QueryHeader(HINTERNET request, DWORD id, bool* whole = nullptr) {
    if (whole) *whole = true;
    if (!request) return {};
    // Wine knows no id for Content-Disposition: ask for it by name, which works everywhere.
    const wchar_t* name = WINHTTP_HEADER_NAME_BY_INDEX;
    if (id == WINHTTP_QUERY_CONTENT_DISPOSITION) {
        id = WINHTTP_QUERY_CUSTOM;
        name = L"Content-Disposition";
    }
    DWORD bytes = 0;
    WinHttpQueryHeaders(request, id, name, WINHTTP_NO_OUTPUT_BUFFER, &bytes, WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return {};
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
    if (!WinHttpQueryHeaders(request, id, name, buffer.data(), &bytes, WINHTTP_NO_HEADER_INDEX))
        return {};
    std::wstring text(buffer.data(), bytes / sizeof(wchar_t));
    if (text.size() > kHeaderCap) {
        text.resize(kHeaderCap);
        if (whole) *whole = false;
    }
    return text;
}

void CloseWith(bool winInet, void* h) {
    if (!h) return;
    if (winInet)
        CloseWinInetHandle(h);
    else
        WinHttpCloseHandle(h);
}

std::wstring StatusSentence(DWORD status) {
    std::wstring text = L"HTTP " + std::to_wstring(status);
    if (status == 404) return text + L": file not found on the server";
    if (status == 403) return text + L": access denied";
    if (status == 416) return text + L": requested range not available";
    if (status >= 500) return text + L": server error";
    return text;
}

DWORD ChooseAuthScheme(DWORD offered) {
    for (DWORD scheme : {WINHTTP_AUTH_SCHEME_NEGOTIATE, WINHTTP_AUTH_SCHEME_NTLM,
                         WINHTTP_AUTH_SCHEME_DIGEST})
        if (offered & scheme) return scheme;
    return WINHTTP_AUTH_SCHEME_BASIC;
}

// A failed WinHTTP call after a stop reads "Cancelled", whatever WinHTTP said.
std::wstring FailureText(const DownloadRun& run, DWORD code) {
    return run.cancel.load() ? std::wstring(L"Cancelled") : ErrorTextFor(code);
}

}  // namespace

RequestRecord::~RequestRecord() { ReleaseRequest(*this); }

RequestHeaders HeadersOf(DownloadManager& m, const DownloadItem& item) {
    std::lock_guard guard(m.lock);
    return {item.referrer, item.cookie, item.userAgent};
}

bool SendGet(DownloadManager& m, DownloadItem& item, const std::wstring& address, const std::wstring& originHost,
             int64_t rangeStart, int64_t rangeEnd, RequestRecord& record, DWORD& status,
             std::wstring& location, std::wstring& error) {
    return SendGet(m, item, HeadersOf(m, item), address, originHost, rangeStart, rangeEnd, record, status, location,
                   error);
}

bool SendGet(DownloadManager& m, DownloadRun& run, const RequestHeaders& requestHeaders, const std::wstring& address,
             const std::wstring& originHost, int64_t rangeStart, int64_t rangeEnd, RequestRecord& record,
             DWORD& status, std::wstring& location, std::wstring& error) {
    location.clear();
    status = 0;
    ReleaseRequest(record);  // a record is used for one request at a time

    AddressParts parts;
    if (!CrackAddress(address, parts)) {
        error = L"Invalid address";
        return false;
    }
    const std::wstring path = RequestPath(parts.path);
    const std::wstring host = AsciiHost(parts.host);

    // Credentials written into the address go to the origin host only; everything else
    // (and an address without a user name) uses the site logins.
    const std::wstring currentHost = HostOfAddress(address);
    const bool sameHost = EqualsNoCase(currentHost, originHost);
    std::wstring user, password;
    if (sameHost && !parts.user.empty()) {
        user = parts.user;
        password = parts.password;
    } else if (auto login = LoginForHost(m, currentHost)) {
        user = login->user;
        password = login->password;
    }

    const std::wstring& referrer = requestHeaders.referrer;
    const std::wstring& cookie = requestHeaders.cookie;
    const std::wstring& userAgent = requestHeaders.userAgent;

    HINTERNET session = HttpSession();
    if (!session) {  // start-up opens it; this covers callers that run before (tools, tests)
        OpenHttpSession();
        session = HttpSession();
    }
    record.owner = &run;
    record.ownerLock = &m.lock;
    record.winInet = false;
    record.address = address;
    record.connection = WinHttpConnect(session, host.c_str(), parts.port, 0);
    if (!record.connection) {
        error = FailureText(run, GetLastError());
        return false;
    }
    HINTERNET request = WinHttpOpenRequest(record.connection, L"GET", path.c_str(), nullptr,
                                           WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                           parts.secure ? WINHTTP_FLAG_SECURE : 0);
    if (!request) {
        error = FailureText(run, GetLastError());
        return false;
    }
    DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects, sizeof noRedirects);

    {
        std::lock_guard guard(m.lock);
        if (run.cancel.load()) {
            WinHttpCloseHandle(request);
            record.closed = true;
            error = L"Cancelled";
            return false;
        }
        record.request = request;
        run.openRequests.insert(&record);
    }

    std::wstring headers;
    if (rangeStart >= 0) {
        headers += L"Range: bytes=" + std::to_wstring(rangeStart) + L"-";
        if (rangeEnd >= 0) headers += std::to_wstring(rangeEnd);
        headers += L"\r\n";
    }
    if (!referrer.empty()) headers += L"Referer: " + NoLineBreaks(referrer) + L"\r\n";
    if (!cookie.empty() && sameHost) headers += L"Cookie: " + NoLineBreaks(cookie) + L"\r\n";
    if (!userAgent.empty()) {
        std::wstring line = L"User-Agent: " + NoLineBreaks(userAgent);
        WinHttpAddRequestHeaders(request, line.c_str(), static_cast<DWORD>(-1),
                                 WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
    }

    const std::wstring pacUrl = SessionPacUrl();
    if (!pacUrl.empty()) {
        WINHTTP_AUTOPROXY_OPTIONS options{};
        options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = pacUrl.c_str();
        options.fAutoLogonIfChallenged = TRUE;
        WINHTTP_PROXY_INFO proxy{};
        if (WinHttpGetProxyForUrl(session, address.c_str(), &options, &proxy)) {
            WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &proxy, sizeof proxy);
            if (proxy.lpszProxy) GlobalFree(proxy.lpszProxy);
            if (proxy.lpszProxyBypass) GlobalFree(proxy.lpszProxyBypass);
        }
    }

    bool credentialsSent = false;
    for (;;) {
        if (!WinHttpSendRequest(request, headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                                headers.empty() ? 0 : static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA,
                                0, 0, 0) ||
            !WinHttpReceiveResponse(request, nullptr)) {
            error = FailureText(run, GetLastError());
            return false;
        }
        DWORD code = 0, size = sizeof code;
        if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                 WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX)) {
            error = FailureText(run, GetLastError());
            return false;
        }
        status = code;

        if (code == 401) {
            if (credentialsSent) {
                error = L"The site did not accept the saved user name and password";
                return false;
            }
            if (user.empty()) {
                error = L"This site needs a user name and password. Add them in Options, Site logins.";
                return false;
            }
            DWORD offered = 0, first = 0, target = 0;
            if (!WinHttpQueryAuthSchemes(request, &offered, &first, &target)) {
                error = FailureText(run, GetLastError());
                return false;
            }
            if (!WinHttpSetCredentials(request, target, ChooseAuthScheme(offered), user.c_str(),
                                       password.c_str(), nullptr)) {
                error = FailureText(run, GetLastError());
                return false;
            }
            credentialsSent = true;
            continue;
        }
        if (code == 301 || code == 302 || code == 303 || code == 307 || code == 308) {
            bool whole = true;
            location = QueryHeader(request, WINHTTP_QUERY_LOCATION, &whole);
            if (location.empty()) {
                error = L"The server sent a redirect without an address";
                return false;
            }
            if (!whole || location.size() > kLocationCap) {
                location.clear();
                error = L"The server sent a redirect address that is too long";
                return false;
            }
            return true;
        }
        if (code < 400) return true;
        error = StatusSentence(code);
        return false;
    }
}

bool SendGetFollowingRedirects(DownloadManager& m, DownloadItem& item, const std::wstring& address,
                               int64_t rangeStart, int64_t rangeEnd, RequestRecord& record, DWORD& status,
                               std::wstring& error) {
    return SendGetFollowingRedirects(m, item, HeadersOf(m, item), address, rangeStart, rangeEnd, record, status, error);
}

bool SendGetFollowingRedirects(DownloadManager& m, DownloadRun& run, const RequestHeaders& headers, const std::wstring& address,
                               int64_t rangeStart, int64_t rangeEnd, RequestRecord& record, DWORD& status,
                               std::wstring& error) {
    const std::wstring origin = HostOfAddress(address);
    std::wstring current = address;
    for (int redirects = 0;;) {
        std::wstring location;
        if (!SendGet(m, run, headers, current, origin, rangeStart, rangeEnd, record, status, location, error))
            return false;
        if (location.empty()) return true;
        std::wstring next = ResolveAddress(current, location);
        next = next.substr(0, next.find(L'#'));
        if (!IsWebAddress(next) || (IsSecureWebAddress(current) && !IsSecureWebAddress(next))) {
            error = L"The server redirected to an address that is not secure";
            return false;
        }
        current = std::move(next);
        ReleaseRequest(record);
        if (run.cancel.load()) {
            error = L"Cancelled";
            return false;
        }
        if (++redirects > 10) {
            error = L"The server redirected too many times";
            return false;
        }
    }
}

std::wstring HeaderText(const RequestRecord& record, DWORD headerId) {
    return QueryHeader(record.request, headerId);
}

std::wstring FinalAddress(const RequestRecord& record) {
    if (!record.request) return record.address;
    DWORD bytes = 0;
    WinHttpQueryOption(record.request, WINHTTP_OPTION_URL, nullptr, &bytes);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return record.address;
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
    if (!WinHttpQueryOption(record.request, WINHTTP_OPTION_URL, buffer.data(), &bytes))
        return record.address;
    return std::wstring(buffer.data());
}

void ReleaseRequest(RequestRecord& record) {
    if (!record.owner && !record.connection && !record.request) return;
    void* request = nullptr;
    if (record.owner) {
        std::lock_guard guard(*record.ownerLock);
        record.owner->openRequests.erase(&record);
        if (!record.closed) request = record.request;
        record.closed = true;
    } else if (!record.closed) {
        request = record.request;  // never registered, so no canceller can close it
    }
    CloseWith(record.winInet, request);
    CloseWith(record.winInet, record.connection);
    record.owner = nullptr;
    record.ownerLock = nullptr;
    record.connection = nullptr;
    record.request = nullptr;
    record.closed = false;
    record.winInet = false;
    record.address.clear();
}

void CloseOpenRequests(DownloadManager& m, DownloadItem& item) {
    std::lock_guard guard(m.lock);
    CloseOpenRequestsLocked(item);
}

void CloseOpenRequestsLocked(DownloadItem& item) {
    for (RequestRecord* r : item.openRequests) {
        if (r->closed) continue;
        if (r->request) {
            CloseWith(r->winInet, r->request);
            r->closed = true;
        } else if (r->winInet && r->connection) {
            CloseWinInetHandle(r->connection);
            r->connection = nullptr;
            r->closed = true;
        }
    }
}

}  // namespace vonu
