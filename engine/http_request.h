// One HTTP GET as the transfer engine needs it: the download's own headers (range, referrer,
// cookie for the origin host only, user agent), credentials from the address or the site
// logins, the proxy of the session, redirects followed by hand, and every failure as one
// English sentence.
//
// Cancellation: every request in flight is registered in its run's open requests (under
// the manager lock). A stop sets the run's cancel flag and calls CloseOpenRequests, which
// closes each request handle exactly once; the thread blocked on it then fails with
// "Cancelled" (on Windows at once; under Wine a read blocked on a silent server returns only
// at the receive time-out).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include <mutex>

#include "model/download_manager.h"

namespace vonu {

// One open request. The caller owns it (usually on its stack), hands it to SendGet and
// releases it with ReleaseRequest once the body has been read.
struct RequestRecord {
    DownloadRun* owner = nullptr;  // whose open requests hold this record; null when released
    std::mutex* ownerLock = nullptr;  // the lock that guards owner's open requests (its manager's)
    // HINTERNET of WinHTTP or of WinINet (the two headers cannot meet in one file).
    void* connection = nullptr;
    void* request = nullptr;
    bool closed = false;   // the request handle was already closed (cancel or release)
    bool winInet = false;  // WinINet handles (FTP): InternetCloseHandle, else WinHttpCloseHandle
    std::wstring address;  // the address this request asked for (after redirects: the last)

    RequestRecord() = default;
    RequestRecord(const RequestRecord&) = delete;
    RequestRecord& operator=(const RequestRecord&) = delete;
    ~RequestRecord();  // releases what is still held
};

// What a request sends of its own besides the range: empty fields send nothing (an empty
// user agent sends the program's own); the cookie goes to the origin host only.
struct RequestHeaders {
    std::wstring referrer;
    std::wstring cookie;
    std::wstring userAgent;
};

// The download's headers, read under the manager lock (take it not).
RequestHeaders HeadersOf(DownloadManager& m, const DownloadItem& item);

// One GET, no redirect followed. rangeStart -1: no Range header; rangeEnd -1: open range.
// True: the response is final (status below 400), or a redirect whose raw Location value is
// in `location`. False: `error` holds the sentence. Either way release the record after.
// `m` is the manager whose lock guards the run and whose site logins apply.
[[nodiscard]] bool SendGet(DownloadManager& m, DownloadItem& item, const std::wstring& address,
                           const std::wstring& originHost, int64_t rangeStart, int64_t rangeEnd,
                           RequestRecord& record, DWORD& status, std::wstring& location,
                           std::wstring& error);
// The same for a request that serves no download, or headers the caller already has: the
// request registers in `run`, whose cancel flag and CloseOpenRequests stop it.
[[nodiscard]] bool SendGet(DownloadManager& m, DownloadRun& run, const RequestHeaders& headers, const std::wstring& address,
                           const std::wstring& originHost, int64_t rangeStart, int64_t rangeEnd,
                           RequestRecord& record, DWORD& status, std::wstring& location,
                           std::wstring& error);

// SendGet following up to 10 redirects (the 11th fails); never from https to anything else,
// never to a scheme other than http or https. True: the record holds the final response.
[[nodiscard]] bool SendGetFollowingRedirects(DownloadManager& m, DownloadItem& item, const std::wstring& address,
                                             int64_t rangeStart, int64_t rangeEnd,
                                             RequestRecord& record, DWORD& status,
                                             std::wstring& error);
[[nodiscard]] bool SendGetFollowingRedirects(DownloadManager& m, DownloadRun& run, const RequestHeaders& headers,
                                             const std::wstring& address, int64_t rangeStart,
                                             int64_t rangeEnd, RequestRecord& record, DWORD& status,
                                             std::wstring& error);

// A response header's value (WINHTTP_QUERY_*), empty when absent. At most 65,536 characters:
// a longer header is cut there.
std::wstring HeaderText(const RequestRecord& record, DWORD headerId);

// The address of the request after WinHTTP's own processing; where WinHTTP cannot say
// (Wine has no WINHTTP_OPTION_URL), the address the request asked for. Empty for an empty
// record.
std::wstring FinalAddress(const RequestRecord& record);

// Unregisters the record and closes its handles (a request handle a stop already closed is
// not closed again). Releasing an empty record does nothing.
void ReleaseRequest(RequestRecord& record);

// Closes every open request of the item at once. Call after setting its cancel flag.
// Takes the manager lock; the Locked form is for callers that hold it (the stop and remove
// operations, through their request closer).
void CloseOpenRequests(DownloadManager& m, DownloadItem& item);
void CloseOpenRequestsLocked(DownloadItem& item);

}  // namespace vonu
