// vonu-get.exe: one download from the command line, run the way the program runs it
// (AddDownload with its probe, start, the 250 ms manager tick, finishing), for benchmarks
// and scripts.
//
//   vonu-get.exe [-c CONNECTIONS] [-o FOLDER] [--stop-after-bytes N] URL
//
// The file lands in FOLDER (default: the current folder). The manager's data folder is
// FOLDER\.vonu-data (list.ini, settings.ini, ...), so a second run with the same FOLDER and
// URL resumes the saved download instead of adding a new one. --stop-after-bytes stops the
// download once at least N bytes are there, saves the list and exits. Progress goes to
// stderr; stdout gets one line: "Complete\tpath\tsize" (exit 0), "Stopped\tbytes" (exit 2)
// or "Error\tsentence" (exit 1).
#include <windows.h>
#include <psapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cerrno>
#include <cwchar>
#include <mutex>
#include <string>

#include "engine/http_request.h"
#include "engine/http_session.h"
#include "engine/speed_limiter.h"
#include "engine/naming.h"
#include "engine/probe.h"
#include "engine/url.h"
#include "engine/transfer.h"
#include "manager/control.h"
#include "manager/tick.h"
#include "manager/worker_entry.h"
#include "model/data_folder.h"
#include "model/hosts.h"
#include "model/list_file.h"
#include "model/settings.h"
#include "model/text_encoding.h"

using namespace vonu;

namespace {

constexpr wchar_t kUsage[] = L"Usage: vonu-get.exe [-c CONNECTIONS] [-o FOLDER] [--stop-after-bytes N] URL";

void Out(const std::wstring& line) {
    const std::string text = WideToUtf8(line) + "\n";
    fwrite(text.data(), 1, text.size(), stdout);
    fflush(stdout);
}

void Progress(const std::wstring& line) {
    const std::string text = WideToUtf8(line);
    fwrite(text.data(), 1, text.size(), stderr);
    fflush(stderr);
}

int Fail(const std::wstring& sentence) {
    Out(L"Error\t" + sentence);
    return 1;
}

bool ParseCount(const wchar_t* text, int64_t& out) {
    if (!text || !*text) return false;
    wchar_t* end = nullptr;
    errno = 0;
    const long long v = wcstoll(text, &end, 10);
    if (errno || *end || v < 0) return false;
    out = v;
    return true;
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 4];
    const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 4, buffer, nullptr);
    if (n == 0 || n >= MAX_PATH * 4) return path;
    std::wstring full(buffer, n);
    while (full.size() > 3 && full.back() == L'\\') full.pop_back();
    return full;
}

std::wstring Megabytes(double bytes) {
    wchar_t text[64];
    swprintf(text, 64, L"%.1f MB", bytes / 1e6);
    return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Lines end in a bare line feed, whatever reads them (a shell script on Linux, say).
    _setmode(_fileno(stdout), _O_BINARY);
    int64_t connections = -1, stopAfter = -1;
    std::wstring folder = L".", url;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        if (a == L"-c" && i + 1 < argc) {
            if (!ParseCount(argv[++i], connections) || connections < 1 || connections > 32)
                return Fail(L"The number of connections must be from 1 to 32.");
        } else if (a == L"-o" && i + 1 < argc) {
            folder = argv[++i];
        } else if (a == L"--stop-after-bytes" && i + 1 < argc) {
            if (!ParseCount(argv[++i], stopAfter)) return Fail(L"--stop-after-bytes needs a number of bytes.");
        } else if (url.empty() && !a.empty() && a[0] != L'-') {
            url = a;
        } else {
            return Fail(std::wstring(L"Unknown argument \"") + a + L"\". " + kUsage);
        }
    }
    if (url.empty()) return Fail(std::wstring(L"No address given. ") + kUsage);
    if (!IsDownloadAddress(url))
        return Fail(L"Only http://, https:// and ftp:// addresses can be downloaded.");

    folder = FullPath(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    if (!(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY) ||
        GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        return Fail(L"The folder " + folder + L" does not exist and cannot be created.");
    const std::wstring data = folder + L"\\.vonu-data";
    CreateDirectoryW(data.c_str(), nullptr);
    const bool firstRun = GetFileAttributesW(SettingsPath(data).c_str()) == INVALID_FILE_ATTRIBUTES;

    DownloadManager& m = Manager();
    LoadAllState(m, data);
    if (firstRun) {
        m.ProxyMode = 1;  // a command-line tool connects directly unless its settings.ini says otherwise
        SaveSettings(m, SettingsPath(data));
    }
    m.BaseDir = folder;
    if (connections > 0) m.MaxConn = static_cast<uint32_t>(connections);
    SetLimiterRate(m);
    OpenHttpSession();
    SetRequestCloser(CloseOpenRequestsLocked);
    SetTransferWorker(RunTransfer);

    std::shared_ptr<DownloadItem> item;
    {
        std::lock_guard guard(m.lock);
        for (const auto& d : m.downloads)
            if (d->url == url && d->state != DownloadState::Complete) item = d;
    }
    if (item) {
        Progress(L"Resuming " + url + L"\n");
    } else {
        const int32_t id = AddDownload(url, DownloadOptions{});
        {
            std::lock_guard guard(m.lock);
            item = m.FindLocked(id);
        }
        while (item->probing) {
            Sleep(20);
        }
        std::wstring fileName;
        {
            std::lock_guard guard(m.lock);
            if (item->probe.joinable()) item->probe.join();
            fileName = item->userPath ? std::wstring() : item->fileName;
        }
        if (!fileName.empty()) {
            (void)UniquePath(m, folder + L"\\" + fileName, item->id, [&](const std::wstring& path) {
                item->path = path;
                item->fileName = path.substr(path.rfind(L'\\') + 1);
                item->userPath = true;
            });
        }
    }
    {
        std::lock_guard guard(m.lock);
        item->connections = static_cast<int32_t>(connections > 0 ? connections : m.MaxConn);
    }

    StartDownload(m, item->id);
    // The new download and its run are in list.ini before its temporary file can exist, so a
    // run that is killed resumes next time instead of starting another copy.
    (void)SaveListIfAsked(m, data);
    bool stopping = false;
    for (unsigned tick = 1;; ++tick) {
        // The tick runs every 250 ms as in the program; the end of the run is noticed
        // within 10 ms, so the figures do not carry up to a tick of idle waiting.
        for (uint32_t waited = 0; waited < kTickPeriodMs && item->workerRunning; waited += 10) Sleep(10);
        Tick(m);
        int64_t done = 0, size = -1;
        double speed = 0;
        bool ended = false;
        {
            std::lock_guard guard(m.lock);
            done = item->DownloadedBytes();
            size = item->size;
            speed = item->speed;
            ended = item->state != DownloadState::Downloading && !item->workerRunning;
        }
        if (!stopping && stopAfter >= 0 && done >= stopAfter && !ended) {
            StopDownload(m, item->id);
            stopping = true;
        }
        if (tick % 4 == 0 || ended)
            Progress(L"\r" + Megabytes(static_cast<double>(done)) +
                     (size >= 0 ? L" of " + Megabytes(static_cast<double>(size)) : std::wstring()) + L", " +
                     Megabytes(speed) + L"/s   ");
        if (tick % 8 == 0) (void)SaveList(m, data, false);
        if (ended) break;
    }
    Progress(L"\n");
    Tick(m);  // reaps the worker
    const WriteResult saved = SaveList(m, data, true);

    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory))
        Progress(L"Peak working set: " + Megabytes(static_cast<double>(memory.PeakWorkingSetSize)) + L"\n");

    DownloadState state;
    std::wstring path, error;
    int64_t size = 0, done = 0;
    {
        std::lock_guard guard(m.lock);
        state = item->state;
        path = item->path;
        error = item->lastError;
        size = item->size;
        done = item->DownloadedBytes();
    }
    CloseHttpSession();
    if (!saved.ok) Progress(L"The list was not saved: " + saved.error + L"\n");
    int code = 1;
    if (state == DownloadState::Complete) {
        Out(L"Complete\t" + path + L"\t" + std::to_wstring(size));
        code = 0;
    } else if (state == DownloadState::Stopped) {
        Out(L"Stopped\t" + std::to_wstring(done));
        code = 2;
    } else {
        code = Fail(error.empty() ? std::wstring(L"Download failed") : error);
    }
    // Everything is saved, closed and written out. Ending here skips the C++ run-time's
    // teardown of static objects, which under Wine added a constant 2 s to every run
    // (measured on 4 MiB and 1 GiB alike), a cost no user of the program ever waits for.
    fflush(stdout);
    fflush(stderr);
    ExitProcess(static_cast<UINT>(code));
}
