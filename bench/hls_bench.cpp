// HLS download speed: Vonu (8 part workers, joined and remuxed to MP4) against
// `ffmpeg -i URL -c copy out.mp4`, which fetches the parts one after another, on the same
// 60-second 720p stream in 30 AES-128 parts from nginx on 127.0.0.1: once with nginx's
// limit_rate 1m per connection, once unthrottled. Run by `make bench` (scripts/bench.sh),
// which makes the stream, starts the servers and passes:
//   hls_bench.exe THROTTLED_URL UNTHROTTLED_URL FFMPEG_FOLDER WORK_FOLDER
// Goals: throttled, Vonu at least 6 times as fast; unthrottled, no slower than ffmpeg.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>
#include <memory>
#include <mutex>
#include <string>

#include "engine/http_session.h"
#include "engine/probe.h"
#include "engine/run_hidden.h"
#include "engine/transfer.h"
#include "manager/control.h"
#include "manager/tick.h"
#include "manager/worker_entry.h"
#include "model/download_manager.h"
#include "model/text_encoding.h"
#include "engine/http_request.h"

using namespace vonu;

namespace {

double Now() {
    LARGE_INTEGER c, f;
    QueryPerformanceCounter(&c);
    QueryPerformanceFrequency(&f);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

int64_t SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return -1;
    return (static_cast<int64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

// Seconds from adding the address to the finished file; negative when it failed.
double RunVonu(const std::wstring& url, std::wstring& path) {
    DownloadManager& m = Manager();
    const double began = Now();
    const int32_t id = AddDownload(url, {});
    std::shared_ptr<DownloadItem> d;
    {
        std::lock_guard guard(m.lock);
        d = m.FindLocked(id);
        d->connections = 8;
    }
    StartDownload(m, id);
    for (;;) {
        Tick(m);
        {
            std::lock_guard guard(m.lock);
            if (d->state != DownloadState::Downloading && !d->workerRunning && !d->worker.joinable()) break;
        }
        Sleep(20);
    }
    const double seconds = Now() - began;
    std::lock_guard guard(m.lock);
    path = d->path;
    if (d->state != DownloadState::Complete) {
        std::fprintf(stderr, "Vonu failed: %s\n", WideToUtf8(d->lastError).c_str());
        return -1;
    }
    return seconds;
}

double RunFfmpeg(const std::wstring& ffmpeg, const std::wstring& url, const std::wstring& out) {
    DeleteFileW(out.c_str());
    const double began = Now();
    const int64_t code = RunHidden(L"\"" + ffmpeg + L"\" -y -loglevel error -i " + url + L" -c copy \"" + out + L"\"", 600000);
    const double seconds = Now() - began;
    if (code != 0) {
        std::fprintf(stderr, "ffmpeg failed with %lld\n", static_cast<long long>(code));
        return -1;
    }
    return seconds;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: hls_bench THROTTLED_URL UNTHROTTLED_URL FFMPEG_FOLDER WORK_FOLDER\n");
        return 2;
    }
    const std::wstring throttled = argv[1], unthrottled = argv[2], folder = argv[3], work = argv[4];
    SetEnvironmentVariableW(L"PATH", (folder + L";C:\\windows\\system32").c_str());  // Vonu finds ffmpeg here
    const std::wstring ffmpeg = folder + L"\\ffmpeg.exe";

    DownloadManager& m = Manager();
    m.ProxyMode = 1;
    m.BaseDir = work;
    m.ScanOn = false;
    OpenHttpSession();
    SetTransferWorker(RunTransfer);
    SetRequestCloser(CloseOpenRequestsLocked);

    int status = 0;
    // What starting ffmpeg costs here: under Wine the adapter starts the Linux program through
    // /bin/sh and polls for its end. Both sides pay it once (Vonu for its remux).
    {
        const double began = Now();
        const int64_t code = RunHidden(L"\"" + ffmpeg + L"\" -version", 60000);
        std::printf("HLS starting ffmpeg through the Wine adapter: %.2f s (exit %lld)\n", Now() - began,
                    static_cast<long long>(code));
    }
    struct Round {
        const char* name;
        std::wstring url;
        double goal;  // Vonu's speed over ffmpeg's at least
        int runs;     // the median of this many runs of each
    } rounds[] = {{"limit_rate 1m per connection", throttled, 6.0, 1}, {"unthrottled (median of 5)", unthrottled, 1.0, 5}};
    for (const Round& r : rounds) {
        std::vector<double> vonuTimes, ffTimes;
        std::wstring ours;
        const std::wstring theirs = work + L"\\ffmpeg-copy.mp4";
        int64_t ourSize = -1, theirSize = -1;
        for (int run = 0; run < r.runs; ++run) {
            std::wstring path;
            vonuTimes.push_back(RunVonu(r.url, path));
            ours = path;
            ourSize = SizeOf(ours);
            DeleteFileW(ours.c_str());
            {
                std::lock_guard guard(m.lock);
                m.downloads.clear();
            }
            ffTimes.push_back(RunFfmpeg(ffmpeg, r.url, theirs));
            theirSize = SizeOf(theirs);
            DeleteFileW(theirs.c_str());
        }
        std::sort(vonuTimes.begin(), vonuTimes.end());
        std::sort(ffTimes.begin(), ffTimes.end());
        const double vonu = vonuTimes.front() <= 0 ? -1 : vonuTimes[vonuTimes.size() / 2];
        const double ff = ffTimes.front() <= 0 ? -1 : ffTimes[ffTimes.size() / 2];
        if (vonu <= 0 || ff <= 0) {
            std::printf("HLS %-30s Vonu %6.2f s  ffmpeg %6.2f s (negative: failed)\n", r.name, vonu, ff);
            status = 1;
            continue;
        }
        const double ratio = ff / vonu;
        std::printf("HLS %-30s Vonu %6.2f s (%lld bytes)  ffmpeg %6.2f s (%lld bytes)  ffmpeg/Vonu %.2f (goal >= %.1f)%s\n",
                    r.name, vonu, static_cast<long long>(ourSize), ff, static_cast<long long>(theirSize), ratio, r.goal,
                    ratio >= r.goal ? "" : "  MISSED");
        if (ratio < r.goal) status = 1;
    }
    return status;
}
