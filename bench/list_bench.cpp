// Saving and loading list.ini with 10,000 downloads of 8 segments each: time and size.
// Run by `make bench` (scripts/bench.sh) under Wine; prints one line per figure.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "model/data_folder.h"
#include "model/ini_file.h"
#include "model/list_file.h"

using namespace vonu;

namespace {

double Ms(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return (b.QuadPart - a.QuadPart) * 1000.0 / f.QuadPart;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Fill(DownloadManager& m, int count) {
    m.queues.push_back({1, L"Default queue", 3});
    m.queues.push_back({2, L"Night", 2, false, true, 1380, 127, true, 420, 1});
    for (int i = 1; i <= count; ++i) {
        auto d = std::make_shared<DownloadItem>();
        d->id = i;
        const std::wstring name = L"ubuntu-24.04.1-desktop-amd64-part" + std::to_wstring(i) + L".iso";
        d->url = L"https://releases.example.com/pub/releases/24.04.1/images/" + name + L"?mirror=eu-west&token=abcdef0123456789";
        d->referrer = L"https://releases.example.com/downloads/desktop";
        d->userAgent = L"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/131.0 Safari/537.36";
        d->fileName = name;
        d->path = L"C:\\Users\\someone\\Downloads\\Compressed\\" + name;
        d->category = L"Compressed";
        d->description = L"Desktop image for the office machines";
        d->size = 6'114'656'256LL + i;
        d->resumable = d->probed = true;
        d->state = static_cast<DownloadState>(i % 5);
        d->added = 134'000'000'000'000'000LL + i;
        d->lastStart = 134'000'000'500'000'000LL + i;
        d->connections = 8;
        d->queueId = i % 3 == 0 ? 2 : 1;
        const int64_t part = d->size / 8;
        for (int s = 0; s < 8; ++s) {
            int64_t start = part * s, end = s == 7 ? d->size - 1 : part * (s + 1) - 1;
            d->segments.push_back({start, end, start + (end - start) / (s + 2)});
        }
        m.downloads.push_back(d);
    }
    m.nextDownloadId = count + 1;
    m.nextQueueId = 3;
}

}  // namespace

int wmain() {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, base);
    const std::wstring folder = std::wstring(base) + L"vonu-list-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);

    constexpr int kDownloads = 10000, kRounds = 7;
    DownloadManager m;
    Fill(m, kDownloads);

    std::vector<double> saves, loads;
    for (int r = 0; r < kRounds; ++r) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        WriteResult w = SaveList(m, folder, true);
        QueryPerformanceCounter(&b);
        if (!w.ok) {
            fwprintf(stderr, L"save failed: %ls\n", w.error.c_str());
            return 1;
        }
        saves.push_back(Ms(a, b));
    }
    WIN32_FILE_ATTRIBUTE_DATA info{};
    GetFileAttributesExW(ListPath(folder).c_str(), GetFileExInfoStandard, &info);
    const double megabytes = ((static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow) / 1e6;

    size_t loaded = 0;
    for (int r = 0; r < kRounds; ++r) {
        DownloadManager back;
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        LoadListResult l = LoadList(back, folder);
        QueryPerformanceCounter(&b);
        if (!l.ok) {
            fwprintf(stderr, L"load failed: %ls\n", l.error.c_str());
            return 1;
        }
        loaded = back.downloads.size();
        loads.push_back(Ms(a, b));
    }

    std::vector<double> parses;
    for (int r = 0; r < kRounds; ++r) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        IniReadResult file = ReadIniFile(ListPath(folder), 262144);
        QueryPerformanceCounter(&b);
        parses.push_back(Ms(a, b));
    }

    // For comparison: the system's profile functions, which search the file once per key.
    // Only the first 50 downloads' 21 keys are read; the figure is extrapolated.
    std::vector<wchar_t> value(262144);
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    const wchar_t* keys[] = {L"Url", L"File", L"Referer", L"UA", L"Path", L"Cat", L"Desc", L"Err", L"Size", L"Added", L"Last",
                             L"Res", L"Probed", L"UserPath", L"Eof", L"Hls", L"State", L"Conn", L"Queue", L"Parts", L"Segs"};
    constexpr int kProfileSample = 50;
    for (int i = 1; i <= kProfileSample; ++i) {
        const std::wstring section = L"D" + std::to_wstring(i * (kDownloads / kProfileSample));
        for (const wchar_t* k : keys)
            GetPrivateProfileStringW(section.c_str(), k, L"", value.data(), static_cast<DWORD>(value.size()),
                                     ListPath(folder).c_str());
    }
    QueryPerformanceCounter(&b);
    const double profileMs = Ms(a, b) / kProfileSample * kDownloads;

    wprintf(L"list.ini with %d downloads x 8 segments: %.1f MB\n", kDownloads, megabytes);
    wprintf(L"  save: median %.1f ms, best %.1f ms (%d rounds, goal under 100 ms)\n", Median(saves),
            *std::min_element(saves.begin(), saves.end()), kRounds);
    wprintf(L"  load: median %.1f ms, best %.1f ms (%zu downloads back)\n", Median(loads),
            *std::min_element(loads.begin(), loads.end()), loaded);
    wprintf(L"    of which reading and splitting the file: median %.1f ms\n", Median(parses));
    wprintf(L"  the same load through GetPrivateProfileStringW would take about %.0f ms (from %d sections)\n",
            profileMs, kProfileSample);

    DeleteFileW(ListPath(folder).c_str());
    RemoveDirectoryW(folder.c_str());
    return loaded == static_cast<size_t>(kDownloads) ? 0 : 1;
}
