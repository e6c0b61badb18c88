#include "engine/ftp_probe.h"

#include <windows.h>
#include <wininet.h>

#include <mutex>

#include "engine/ftp_address.h"
#include "engine/ftp_path.h"
#include "engine/ftp_session.h"
#include "engine/naming.h"
#include "engine/probe.h"
#include "model/categories.h"
#include "model/decimal.h"
#include "model/download_manager.h"

namespace vonu {

namespace {

// FtpGetFileSize on an open file: the size, 0 when the library cannot tell (Wine always
// answers 0), -1 when it failed.
int64_t SizeOfOpenFile(HINTERNET file) {
    DWORD high = 0;
    SetLastError(ERROR_SUCCESS);
    const DWORD low = FtpGetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
}

}  // namespace

int64_t SizeFromReply(const std::wstring& reply) {
    // The last line carries the final reply of a multi-line answer.
    const size_t lineStart = reply.find_last_of(L"\r\n");
    const std::wstring line = lineStart == std::wstring::npos ? reply : reply.substr(lineStart + 1);
    if (line.size() < 5 || line.compare(0, 4, L"213 ") != 0) return -1;
    size_t i = 4;
    return DigitsAt(line, i).value_or(-1);
}

bool ProbeFtp(DownloadManager& m, DownloadItem& item, std::wstring& error) {
    std::wstring address;
    {
        std::lock_guard guard(m.lock);
        address = item.url;
    }
    FtpAddress ftp;
    if (!ParseFtpAddress(m, address, ftp)) {
        error = L"Invalid address";
        return false;
    }
    RequestRecord record;
    if (!ConnectFtp(m, item, ftp, record, error)) return false;

    FtpPath path = StartFtpPath(record.connection, ftp.path);
    HINTERNET file = static_cast<HINTERNET>(FtpOpenPath(record.connection, path, 0, error));
    if (!file) {
        if (item.cancel.load()) error = L"Cancelled";
        ReleaseRequest(record);
        return false;
    }
    int64_t size = SizeOfOpenFile(file);
    InternetCloseHandle(file);

    // Servers refuse SIZE and REST in ASCII mode (and some start every login in it), so the
    // binary type is set first; a server that refuses even that just answers what it can.
    std::wstring reply, ignored;
    (void)FtpCommandReply(record.connection, "TYPE I", reply, ignored);
    if (size <= 0) {
        // No size from the library (or a true 0): the server's own SIZE answer decides, and a
        // server that gives none leaves the size unknown rather than 0.
        size = -1;
        if (FtpPathCommand(record.connection, path, "SIZE", reply, ignored)) size = SizeFromReply(reply);
    }
    const bool resumable = size >= 1 && FtpCommandReply(record.connection, "REST 0", reply, ignored);
    ReleaseRequest(record);
    // A stop closes the connection under the commands above; their answers then mean nothing.
    if (item.cancel.load()) {
        error = L"Cancelled";
        return false;
    }

    StoreProbeFindings(m, item, {size, resumable, SanitizeFileName(NameFromAddress(address)), {}});
    return true;
}

}  // namespace vonu
