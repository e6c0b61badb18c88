#include "engine/fetch.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "engine/http_errors.h"
#include "engine/http_request.h"
#include "engine/speed_limiter.h"
#include "model/decimal.h"
#include "model/download_manager.h"

namespace vonu {

namespace {

constexpr DWORD kChunk = 65536;
constexpr size_t kUpdateCap = 67108864;  // 64 MiB

// -1 when absent or not a decimal number.
int64_t ContentLength(const RequestRecord& record) {
    return DigitsOnly(HeaderText(record, WINHTTP_QUERY_CONTENT_LENGTH)).value_or(-1);
}

// One piece of the body: waits until some data is there (or the body ends), then reads what
// has arrived, at most 64 KiB. Reading only what is available keeps a stop prompt on every
// platform: a read of a whole buffer may wait for the buffer to fill.
bool ReadPiece(const RequestRecord& record, std::vector<char>& buffer, DWORD& got) {
    got = 0;
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(record.request, &available)) return false;
    if (available == 0) return true;  // end of the body
    return WinHttpReadData(record.request, buffer.data(), std::min(available, kChunk), &got) != FALSE;
}

void TakeBack(DownloadManager& m, int64_t* countedBytes, int64_t counted) {
    if (counted == 0) return;
    std::lock_guard guard(m.lock);
    *countedBytes -= counted;
}

}  // namespace

bool FetchToMemory(DownloadManager& m, DownloadItem& item, const std::wstring& address, std::string& bytes,
                   std::wstring& error, bool countProgress, std::wstring* finalAddress, std::wstring* contentType,
                   size_t byteCap) {
    return FetchToMemory(m, item, HeadersOf(m, item), address, bytes, error,
                         countProgress ? &item.videoBytes : nullptr, finalAddress, contentType, byteCap);
}

bool FetchToMemory(DownloadManager& m, DownloadRun& run, const RequestHeaders& headers, const std::wstring& address,
                   std::string& bytes, std::wstring& error, int64_t* countedBytes, std::wstring* finalAddress,
                   std::wstring* contentType, size_t byteCap) {
    bytes.clear();
    RequestRecord record;
    DWORD status = 0;
    if (!SendGetFollowingRedirects(m, run, headers, address, -1, -1, record, status, error)) {
        ReleaseRequest(record);
        return false;
    }
    if (finalAddress) *finalAddress = FinalAddress(record);
    if (contentType) *contentType = HeaderText(record, WINHTTP_QUERY_CONTENT_TYPE);
    if (run.cancel.load()) {
        error = L"Cancelled";
        ReleaseRequest(record);
        return false;
    }
    const int64_t announced = ContentLength(record);
    std::vector<char> buffer(kChunk);
    int64_t counted = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadPiece(record, buffer, got)) {
            DWORD code = GetLastError();
            error = run.cancel.load() ? std::wstring(L"Cancelled") : ErrorTextFor(code);
            TakeBack(m, countedBytes, counted);
            ReleaseRequest(record);
            return false;
        }
        if (got == 0) {
            if (announced >= 0 && static_cast<int64_t>(bytes.size()) < announced) {
                error = L"The server sent less data than it announced";
                TakeBack(m, countedBytes, counted);
                ReleaseRequest(record);
                return false;
            }
            ReleaseRequest(record);
            return true;
        }
        if (countedBytes) {
            TakeBytes(got, run.cancel);  // no lock held here, as the limiter requires
            std::lock_guard guard(m.lock);
            *countedBytes += got;
            counted += got;
        }
        bytes.append(buffer.data(), got);
        if (bytes.size() >= byteCap) {
            ReleaseRequest(record);
            return true;
        }
        if (run.cancel.load()) {
            error = L"Cancelled";
            TakeBack(m, countedBytes, counted);
            ReleaseRequest(record);
            return false;
        }
    }
}

namespace {

bool FetchUpdateFileIn(DownloadRun& run, const std::atomic<bool>& cancel, const std::wstring& address,
                       std::string& bytes, std::atomic<int64_t>& progress, std::atomic<int64_t>& contentLength,
                       std::wstring& error) {
    bytes.clear();
    contentLength = -1;
    RequestRecord record;
    DWORD status = 0;
    if (!SendGetFollowingRedirects(Manager(), run, {}, address, -1, -1, record, status, error)) return false;
    contentLength = ContentLength(record);
    if (cancel.load()) {
        error = L"Cancelled";
        return false;
    }
    std::vector<char> buffer(kChunk);
    for (;;) {
        DWORD got = 0;
        if (!ReadPiece(record, buffer, got)) {
            const DWORD code = GetLastError();
            error = cancel.load() ? std::wstring(L"Cancelled") : ErrorTextFor(code);
            return false;
        }
        if (got == 0) {
            if (contentLength >= 0 && static_cast<int64_t>(bytes.size()) < contentLength) {
                error = L"The server sent less data than it announced";
                return false;
            }
            return true;
        }
        bytes.append(buffer.data(), got);
        progress.fetch_add(got);
        if (bytes.size() > kUpdateCap) {
            error = L"Download failed";
            return false;
        }
        if (cancel.load()) {
            error = L"Cancelled";
            return false;
        }
    }
}

}  // namespace

bool FetchUpdateFile(const std::wstring& address, std::string& bytes, std::atomic<int64_t>& progress,
                     int64_t& contentLength, const std::atomic<bool>& cancel, std::wstring& error) {
    DownloadRun run;  // this form stops through `cancel`, not through its requests
    std::atomic<int64_t> length{-1};
    const bool ok = FetchUpdateFileIn(run, cancel, address, bytes, progress, length, error);
    contentLength = length;
    return ok;
}

bool FetchUpdateFile(DownloadRun& run, const std::wstring& address, std::string& bytes,
                     std::atomic<int64_t>& progress, std::atomic<int64_t>& contentLength, std::wstring& error) {
    return FetchUpdateFileIn(run, run.cancel, address, bytes, progress, contentLength, error);
}

}  // namespace vonu
