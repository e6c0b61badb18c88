// Hosts of addresses and the host patterns the user types for site logins and server
// limits, and the two lookups the transfer engine makes before it logs in or opens another
// connection. Both lookups take the category lock for their whole run; call them without
// holding it (holding the manager lock is fine: it comes first).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/download_manager.h"

namespace vonu {

// The lower-cased host of "scheme://[user@]host[:port][/path|?query|#fragment]"; empty when
// the address has no "://". A bracketed IPv6 literal keeps its brackets and any port.
std::wstring HostOfAddress(std::wstring_view address);

// The address starts with "http://" or "https://" (any case): what the HTTP engine fetches.
bool IsWebAddress(std::wstring_view address);
// The address starts with "https://" (any case).
bool IsSecureWebAddress(std::wstring_view address);
// The address starts with "ftp://" (any case): what the FTP engine fetches.
bool IsFtpAddress(std::wstring_view address);
// A web or an FTP address: what a download may be added for.
bool IsDownloadAddress(std::wstring_view address);

// A pattern as typed ("*.example.com", "example.com/", "https://example.com/files") reduced
// to the host it names: trailing "/" and spaces dropped, an address form cut to its host
// part, a leading "*." dropped.
std::wstring ReduceHostPattern(std::wstring_view pattern);

// The reduced pattern is not empty and the host equals it or ends with "." + it, ignoring
// case: "example.com" matches example.com and dl.example.com, never badexample.com.
bool PatternMatchesHost(std::wstring_view pattern, std::wstring_view host);

// The first site login, in list order, whose site pattern matches the host.
std::optional<SiteLogin> LoginForHost(DownloadManager& m, std::wstring_view host);

// The limit of the first server limit, in list order, whose pattern matches the host;
// otherwise the MaxPerServer setting. 0 means no limit.
int32_t LimitForHost(DownloadManager& m, std::wstring_view host);

}  // namespace vonu
