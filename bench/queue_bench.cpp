// queue_bench.exe BASE-URL COUNT FOLDER MAX-ACTIVE: adds COUNT downloads of BASE-URL (each
// with "?n=i" so every address differs), puts them into the default queue with MAX-ACTIVE
// downloads at once, starts the queue and runs the 250 ms manager tick until the queue
// reports that it has finished. Prints the time from the queue's start to its end, the
// probe time and the peak working set; exits 1 unless every download completed.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "engine/http_request.h"
#include "engine/http_session.h"
#include "engine/probe.h"
#include "engine/transfer.h"
#include "manager/control.h"
#include "manager/tick.h"
#include "manager/worker_entry.h"
#include "model/text_encoding.h"

using namespace vonu;

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) {
        fprintf(stderr, "Usage: queue_bench.exe BASE-URL COUNT FOLDER MAX-ACTIVE\n");
        return 1;
    }
    const std::wstring base = argv[1];
    const int count = _wtoi(argv[2]);
    const std::wstring folder = argv[3];
    const int maxActive = _wtoi(argv[4]);
    CreateDirectoryW(folder.c_str(), nullptr);

    DownloadManager& m = Manager();
    m.ProxyMode = 1;
    m.BaseDir = folder;
    m.queues = {DownloadQueue{1, L"Default queue", maxActive}};
    OpenHttpSession();
    SetRequestCloser(CloseOpenRequestsLocked);
    SetTransferWorker(RunTransfer);

    const ULONGLONG probeStart = GetTickCount64();
    for (int i = 0; i < count; ++i) (void)AddDownload(base + L"?n=" + std::to_wstring(i), DownloadOptions{});
    for (;;) {
        bool probing = false;
        {
            std::lock_guard guard(m.lock);
            for (const auto& d : m.downloads) probing = probing || d->probing;
        }
        if (!probing) break;
        Sleep(20);
    }
    const ULONGLONG queueStart = GetTickCount64();
    {
        std::lock_guard guard(m.lock);
        for (const auto& d : m.downloads) {
            if (d->probe.joinable()) d->probe.join();
            d->queueId = 1;
            d->state = DownloadState::Queued;
        }
        m.queues[0].running = true;
    }
    for (;;) {
        Sleep(kTickPeriodMs);
        Tick(m);
        std::lock_guard guard(m.lock);
        if (!m.finishedQueues.empty()) break;
    }
    const ULONGLONG end = GetTickCount64();
    int complete = 0;
    int64_t bytes = 0;
    {
        std::lock_guard guard(m.lock);
        for (const auto& d : m.downloads) {
            if (d->state == DownloadState::Complete) ++complete;
            else fprintf(stderr, "not complete: %s\n", WideToUtf8(d->lastError).c_str());
            bytes += d->size;
        }
    }
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    printf("downloads=%d complete=%d bytes=%lld probe_s=%.2f queue_s=%.2f peak_mb=%.1f\n", count, complete,
           static_cast<long long>(bytes), (queueStart - probeStart) / 1000.0, (end - queueStart) / 1000.0,
           memory.PeakWorkingSetSize / 1e6);
    CloseHttpSession();
    return complete == count ? 0 : 1;
}
