#include "engine/ftp_segment.h"

#include <windows.h>
#include <wininet.h>

#include <mutex>
#include <vector>

#include "engine/ftp_address.h"
#include "engine/ftp_path.h"
#include "engine/ftp_probe.h"
#include "engine/ftp_session.h"
#include "engine/http_errors.h"
#include "model/download_manager.h"
#include "model/unique_handle.h"

namespace vonu {

namespace {

constexpr DWORD kChunk = 65536;

struct WinInetHandleTraits {
    using Type = HINTERNET;
    static HINTERNET Invalid() { return nullptr; }
    static void Close(HINTERNET h) { ::InternetCloseHandle(h); }
};
using WinInetHandle = UniqueHandle<WinInetHandleTraits>;

}  // namespace

bool DownloadFtpSegment(TransferRun& run, int index, std::wstring& error) {
    DownloadManager& m = run.m;
    DownloadItem& item = *run.item;
    const std::wstring& tempPath = run.tempPath;
    const size_t i = static_cast<size_t>(index);
    const std::optional<SegmentAttempt> attempt = StartSegmentAttempt(run, i, error);
    if (!attempt) return false;
    if (attempt->Finished()) return true;
    const std::wstring& address = attempt->url;
    const bool resumable = attempt->resumable;
    const int64_t size = attempt->size, next = attempt->next;

    FtpAddress ftp;
    if (!ParseFtpAddress(run.m, address, ftp)) {
        error = L"Invalid address";
        return false;
    }
    RequestRecord record;
    if (!ConnectFtp(run.m, item, ftp, record, error)) return false;
    const HINTERNET connection = static_cast<HINTERNET>(record.connection);
    FtpPath path = StartFtpPath(connection, ftp.path);

    if (resumable) {
        // REST and SIZE are refused in ASCII mode by many servers, and a login may start in it.
        std::wstring reply, ignored;
        (void)FtpCommandReply(connection, "TYPE I", reply, ignored);
        // A server without SIZE cannot tell; one that names another size has another file.
        if (size > 0 && FtpPathCommand(connection, path, "SIZE", reply, ignored)) {
            const int64_t now = SizeFromReply(reply);
            if (now >= 0 && now != size) {
                run.serverFileChanged.exchange(true);
                error = kServerFileChanged;
                return false;
            }
        }
    }
    WinInetHandle file(static_cast<HINTERNET>(FtpOpenPath(connection, path, resumable ? next : 0, error)));
    if (!file) {
        if (item.cancel.load()) error = L"Cancelled";
        return false;
    }
    {
        std::lock_guard guard(m.lock);
        if (item.cancel.load()) {
            error = L"Cancelled";
            return false;  // `file` closes here; the stop never saw it
        }
        record.request = file.release();  // CloseOpenRequests may close it from now on
    }

    FileHandle out(CreateFileW(tempPath.c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER at;
    at.QuadPart = next;
    if (!out || !SetFilePointerEx(out.get(), at, nullptr, FILE_BEGIN)) {
        error = L"Cannot open the file: " + ErrorTextFor(GetLastError());
        return false;
    }

    std::vector<char> buffer(kChunk);
    while (!run.Ending()) {
        DWORD got = 0;
        if (!InternetReadFile(static_cast<HINTERNET>(record.request), buffer.data(), kChunk, &got)) {
            error = item.cancel.load() ? std::wstring(L"Cancelled") : FtpErrorText();
            return false;
        }
        const ChunkOutcome outcome = StoreChunk(run, i, out.get(), buffer.data(), got, error);
        if (outcome != ChunkOutcome::More) return outcome == ChunkOutcome::SegmentDone;
    }
    // Ended between two chunks: the segment is not done, and the stop (or another
    // connection's finding that the file changed) is the reason.
    error = item.cancel.load() ? std::wstring(L"Cancelled") : std::wstring(kServerFileChanged);
    return false;
}

}  // namespace vonu
