// Sentences for WinHTTP and system error codes, as the user reads them on a download.
#pragma once

#include <cstdint>
#include <string>

namespace vonu {

// The fixed sentences for the common network failures (Wine's Winsock codes 10060 and
// 10061 read as WinHTTP's 12002 and 12029; 12157, a failed TLS handshake, as a secure
// connection failure); otherwise the system's text for the code
// (winhttp.dll's message table for 12000-12999), without trailing line breaks, spaces and
// full stops; "Error " + code when there is none.
std::wstring ErrorTextFor(uint32_t code);

}  // namespace vonu
