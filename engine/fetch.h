// Whole resources into memory: playlists, keys, pages and video parts (FetchToMemory), and
// the updater's program file (FetchUpdateFile). Both run on the calling worker thread and
// read the body in pieces of at most 64 KiB, checking the cancel flag after each.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/http_request.h"
#include "model/download_manager.h"

namespace vonu {

// GET following redirects, the whole body into `bytes`. The request registers in `run`, so
// its cancel flag and CloseOpenRequests stop the fetch. countedBytes (guarded by the manager
// lock; null: not counted): every piece passes the speed limiter and is added there, and
// taken back again when the fetch fails or is cancelled. Stops with success once `byteCap`
// bytes are there (the result may exceed the cap by less than 64 KiB). A body shorter than
// its Content-Length fails. Callers without a download (site grabber, update check) pass a
// run of their own and the headers they want. `m`: the manager whose lock guards the run.
[[nodiscard]] bool FetchToMemory(DownloadManager& m, DownloadRun& run, const RequestHeaders& headers, const std::wstring& address,
                                 std::string& bytes, std::wstring& error, int64_t* countedBytes,
                                 std::wstring* finalAddress, std::wstring* contentType, size_t byteCap);

// For a download: its headers and run; countProgress counts into its video bytes.
[[nodiscard]] bool FetchToMemory(DownloadManager& m, DownloadItem& item, const std::wstring& address, std::string& bytes,
                                 std::wstring& error, bool countProgress, std::wstring* finalAddress,
                                 std::wstring* contentType, size_t byteCap);

// The updater's fetch: no limiter; contentLength is the Content-Length header (-1 when
// absent); every piece is added to `progress`; more than 64 MiB fails with "Download
// failed"; `cancel` is checked before the first read and after every piece ("Cancelled").
[[nodiscard]] bool FetchUpdateFile(const std::wstring& address, std::string& bytes,
                                   std::atomic<int64_t>& progress, int64_t& contentLength,
                                   const std::atomic<bool>& cancel, std::wstring& error);
// The same with the request registered in `run`: its cancel flag stops the fetch, and
// CloseOpenRequests ends a read that waits for the server (the update dialog's Cancel).
// contentLength is set once the headers are in, so another thread may watch it.
[[nodiscard]] bool FetchUpdateFile(DownloadRun& run, const std::wstring& address, std::string& bytes,
                                   std::atomic<int64_t>& progress, std::atomic<int64_t>& contentLength,
                                   std::wstring& error);

}  // namespace vonu
