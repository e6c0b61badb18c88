// The update check: the description fetched into memory (at most 262,144 bytes), read by the
// dedicated parser, the address rule, and the signature by the maker's key. Nothing is
// downloaded or installed here.
//
// Threads: StartUpdateCheck and EndUpdateCheck run on the user-interface thread; the check
// itself runs on a thread of its own that touches nothing shared but the HTTP engine (its
// requests register in a private DownloadItem, so EndUpdateCheck can close them) and posts
// its result (ui/update_result.h). One check at a time: the main window's busy flag keeps
// checks from overlapping, and a new start first joins the previous thread, which has
// posted already.
#pragma once

#include <windows.h>

#include <string>

#include "model/download_item.h"
#include "ui/update_result.h"
#include "update/update_signature.h"

namespace vonu {

inline constexpr size_t kUpdateDescriptionCap = 262144;

// An http:// address whose host (as the download model takes hosts, and as WinHTTP splits
// the address) is exactly localhost or 127.0.0.1: a local test server.
bool IsLocalTestAddress(const std::wstring& address);

// The address rule: a program file reached over https://, or else a description that came
// from a local test server (both the address asked for and the one the answer came from).
bool UpdateAddressAllowed(const std::wstring& exe, const std::wstring& askedAddress,
                          const std::wstring& answeredAddress);

// One whole check on the calling thread. `item` carries the requests: its cancel flag and
// CloseOpenRequests stop the check (the result then holds the fetch's sentence).
UpdateResult CheckForUpdate(const std::wstring& address, VerificationKey key, bool arabic,
                            DownloadItem& item);

// Starts a check with the maker's key on its own thread; it posts its result to `window`.
void StartUpdateCheck(HWND window, bool asked, const std::wstring& address, bool arabic);

// At exit, before the objects the check uses go away: a running check is cancelled (its
// requests closed) and its thread joined. On Windows it returns at once; where a closed
// request is not woken (Wine), at the latest after the session's receive time-out.
void EndUpdateCheck();

}  // namespace vonu
