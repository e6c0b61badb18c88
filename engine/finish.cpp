#include "engine/finish.h"

#include <windows.h>
#include <shlwapi.h>

#include <mutex>

#include "engine/http_errors.h"
#include "engine/naming.h"
#include "engine/run_hidden.h"
#include "engine/temp_file.h"
#include "engine/zone_mark.h"

namespace vonu {

namespace {

constexpr uint32_t kScanTimeoutMs = 600000;

int64_t FileSizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

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
    return exitCode == 2 && CompareStringOrdinal(name, -1, L"MpCmdRun.exe", -1, TRUE) == CSTR_EQUAL;
}

void FinishDownload(DownloadManager& m, DownloadItem& item, const std::wstring& tempPath) {
    // Every byte is written: the file no longer needs its sparse mark (not under the lock).
    ClearSparseMark(tempPath);

    std::wstring target, scanExe, scanArgs;
    bool scan = false;
    {
        std::lock_guard guard(m.lock);
        target = item.path;
        if (PathFileExistsW(target.c_str())) target = UniquePath(target, item.id);
        if (!MoveFileExW(tempPath.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED)) {
            item.state = static_cast<int32_t>(DownloadState::Error);
            item.lastError = L"Cannot rename the finished file: " + ErrorTextFor(GetLastError());
            m.listDirty = true;
            return;
        }
        item.path = target;
        item.fileName = PathFindFileNameW(target.c_str());
        if (item.size < 0 || item.video) item.size = FileSizeOf(target);
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
        item.state = static_cast<int32_t>(DownloadState::Error);
        item.lastError = L"The antivirus program found a threat in this file";
    } else {
        item.state = static_cast<int32_t>(DownloadState::Complete);
        m.completed.push_back(item.id);
    }
    m.listDirty = true;
}

}  // namespace vonu
