// The one process-wide WinINet session for FTP and the control connections of FTP requests.
//
// The session is opened on first use, under the manager lock (so two threads never both open
// it), with the system's own proxy settings and 20 s time-outs for connecting, control
// replies and data; it stays open until the process ends. Each probe and each segment
// attempt has a control connection of its own, registered in its item's open requests from
// ConnectFtp until ReleaseRequest, so a stop (CloseOpenRequests) closes it, or its open file
// handle, at once (on Windows that ends a blocked call; under Wine a blocked read returns
// only with the next data, and the read loop then sees the cancel flag). Worker threads
// only; no lock is held across the network.
#pragma once

#include <string>

#include "engine/ftp_address.h"
#include "engine/http_request.h"
#include "model/download_manager.h"

namespace vonu {

inline constexpr unsigned long kFtpTimeoutMs = 20000;

// The session handle (HINTERNET); opened here when it is not open yet. Null when WinINet
// refused to open one (GetLastError says why). Takes the manager lock: call it without.
void* FtpSession();

// Logs in to the address's server (passive mode) and registers the control connection in the
// item's open requests: record.connection, record.winInet. False: `error` holds the sentence,
// "Cancelled" when the item was stopped meanwhile; nothing stays registered.
[[nodiscard]] bool ConnectFtp(DownloadManager& m, DownloadItem& item, const FtpAddress& address, RequestRecord& record,
                              std::wstring& error);

// The sentence for the calling thread's last error after a failed WinINet FTP call. Call it
// right after the failure, before any other system call changes the last error. A server
// reply in it is read as UTF-8 when it is valid UTF-8 (a server speaking RFC 2640 names
// files so), otherwise in the ANSI code page.
std::wstring FtpErrorText();

// Sends one command that opens no data connection, as exactly these bytes (FtpCommandA,
// binary): the wide function would turn a path in it into the ANSI code page (see
// ftp_path.h). True when the server accepted it; `reply` then holds its reply line(s) without
// the trailing line break. False: `error` holds FtpErrorText's sentence.
[[nodiscard]] bool FtpCommandReply(void* connection, const std::string& command, std::wstring& reply,
                                   std::wstring& error);

}  // namespace vonu
