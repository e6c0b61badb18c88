#include "engine/finish.h"

#include <windows.h>
#include <shlwapi.h>

#include <mutex>

#include "engine/http_errors.h"
#include "engine/naming.h"
#include "engine/run_hidden.h"
#include "engine/temp_file.h"
#include "engine/zone_mark.h"
#include "model/segment_tiling.h"
#include "model/text_case.h"

namespace vonu {

namespace {

constexpr uint32_t kScanTimeoutMs = 600000;

}  // namespace

std::wstring ScanCommandLine(const std::wstring& scanExe, const std::wstring& scanArgs, const std::wstring& file) {
    std::wstring args = scanArgs;
    const size_t at = args.find(L"[file]");
    if (at != std::wstring::npos)
        args.replace(at, 6, file);
    else
        args += L" \"" + file + L"\"";
    return L"\"" + scanExe + L"\" " + args;
}

bool ScanFoundThreat(const std::wstring& scanExe, int64_t exitCode) {
    const wchar_t* name = PathFindFileNameW(scanExe.c_str());
    return exitCode == 2 && EqualsNoCase(name, L"MpCmdRun.exe");
}

void FinishDownload(DownloadManager& m, DownloadItem& item, const std::wstring& tempPath) {
    // Every byte is written: the file no longer needs its sparse mark (not under the lock).
    ClearSparseMark(tempPath);
    const int64_t tempLength = FileLength(tempPath);

    std::wstring target, scanExe, scanArgs;
    bool scan = false;
    {
        std::lock_guard guard(m.lock);
        // The last guard before the file takes its real name: a file of known size is whole
        // only when its finished segments cover every byte exactly once and it has that size.
        // Anything else stays a temporary file (the next start fetches it again).
        if (!item.video && item.size > 0 &&
            (!SegmentsCoverFinished(item.segments, item.size) || tempLength != item.size)) {
            item.state = DownloadState::Error;
            item.lastError = kFileIncomplete;
            m.listDirty = true;
            return;
        }
        target = item.path;
    }
    // Something took the target meanwhile: the next free name, looked for without the lock.
    if (PathFileExistsW(target.c_str())) target = UniquePath(m, target, item.id);
    {
        std::lock_guard guard(m.lock);
        if (!MoveFileExW(tempPath.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED)) {
            item.state = DownloadState::Error;
            item.lastError = L"Cannot rename the finished file: " + ErrorTextFor(GetLastError());
            m.listDirty = true;
            return;
        }
        item.path = target;
        item.fileName = PathFindFileNameW(target.c_str());
        if (item.size < 0 || item.video) item.size = FileLength(target);
        WriteZoneMark(target, item.url, item.referrer);
        scan = m.ScanOn && !m.ScanExe.empty() && PathFileExistsW(m.ScanExe.c_str());
        scanExe = m.ScanExe;
        scanArgs = m.ScanArgs;
        item.scanning = scan;
    }

    bool threat = false;
    if (scan) threat = ScanFoundThreat(scanExe, RunHidden(ScanCommandLine(scanExe, scanArgs, target), kScanTimeoutMs));

    std::lock_guard guard(m.lock);
    item.scanning = false;
    if (threat) {
        item.state = DownloadState::Error;
        item.lastError = L"The antivirus program found a threat in this file";
    } else {
        item.state = DownloadState::Complete;
        m.completed.push_back(item.id);
    }
    m.listDirty = true;
}

}  // namespace vonu
