// Addresses as the HTTP requests need them: splitting, the path on the wire, international
// host names and relative references. Pure functions, any thread.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "model/text_case.h"

namespace vonu {

struct AddressParts {
    bool secure = false;  // https
    std::wstring host;    // as written (see AsciiHost)
    WORD port = 0;
    std::wstring user;    // from user:password@ in the address; empty when none
    std::wstring password;
    std::wstring path;    // path, query and fragment as written
};

// Splits an http or https address (WinHttpCrackUrl). False for anything else, or no host.
[[nodiscard]] bool CrackAddress(const std::wstring& address, AddressParts& out);

// The path of the request line: `path` cut before its first "#", with a leading "/", and
// EncodePath applied.
std::wstring RequestPath(const std::wstring& pathAndQuery);

// Spaces, double quotes, "<", ">" and every character from 128 up (as UTF-8 bytes) become
// %XX; "%" and everything else stay, so an encoded path is not encoded twice.
std::wstring EncodePath(std::wstring_view path);

// A host with letters beyond ASCII in its ASCII (punycode) form; unchanged when it is plain
// ASCII or cannot be converted.
std::wstring AsciiHost(const std::wstring& host);

// A reference (a Location value, a link in a page or playlist) against the address it was
// found at. Absolute references come back unchanged; "." and ".." segments are resolved and
// never climb above the root.
std::wstring ResolveAddress(const std::wstring& base, const std::wstring& reference);

}  // namespace vonu
