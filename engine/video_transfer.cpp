#include "engine/video_transfer.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

#include "engine/aes128.h"
#include "engine/fetch.h"
#include "engine/ffmpeg.h"
#include "engine/finish.h"
#include "engine/http_errors.h"
#include "engine/playlist.h"
#include "engine/run_hidden.h"
#include "engine/temp_file.h"
#include "model/decimal.h"
#include "model/text_case.h"
#include "model/unique_handle.h"

namespace vonu {

namespace {

constexpr size_t kPartCap = 1073741824;  // 1 GiB
constexpr size_t kMapCap = 1073741824;
constexpr size_t kKeyCap = 4096;         // a key is 16 bytes; more is refused, not held
constexpr DWORD kJoinBuffer = 1048576;   // 1 MiB
constexpr uint32_t kRemuxTimeoutMs = 1800000;
constexpr int kMaxPartWorkers = 8;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Writes the whole of `bytes` to a new file (no sharing, replacing one that is there).
bool WriteNewFile(const std::wstring& path, const std::string& bytes) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 0x40000000));
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written != chunk) return false;
        done += chunk;
    }
    return true;
}

// The finished part files already in the folder: their indexes and sizes, from one listing
// of the folder (a long playlist would otherwise cost one file query per part).
std::vector<std::pair<size_t, int64_t>> PartFilesPresent(const std::wstring& folder, size_t count) {
    std::vector<std::pair<size_t, int64_t>> found;
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((folder + L"\\*.part").c_str(), &data));
    if (!find) return found;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::wstring name = data.cFileName;
        if (name.size() < 11) continue;
        const std::optional<int64_t> number = DigitsOnly(std::wstring_view(name).substr(0, name.size() - 5));
        // Only the exact name the part would be written under counts ("5.part" does not).
        if (!number || static_cast<uint64_t>(*number) >= count) continue;
        const size_t index = static_cast<size_t>(*number);
        if (name != PartFileName(index)) continue;
        found.emplace_back(index, (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    } while (FindNextFileW(find.get(), &data));
    return found;
}

// One attempt at one part: fetch, decrypt, write through ".tmp" and a rename.
bool FetchPart(VideoRun& run, size_t index, const VideoPart& part, std::wstring& error) {
    DownloadManager& m = run.m;
    DownloadItem& item = *run.item;
    std::string body;
    if (!FetchToMemory(m, item, part.address, body, error, true, nullptr, nullptr, kPartCap)) return false;
    const int64_t counted = static_cast<int64_t>(body.size());
    auto fail = [&](const wchar_t* sentence) {
        error = sentence;
        std::lock_guard guard(m.lock);
        item.videoBytes -= counted;  // the next attempt counts its own bytes again
        return false;
    };

    if (part.keyIndex >= 0) {
        std::string key;
        std::wstring keyAddress;
        bool fetched = false;
        {
            std::lock_guard guard(m.lock);
            if (static_cast<size_t>(part.keyIndex) >= item.keys.size()) return fail(kNoVideoKey);
            const VideoKey& entry = item.keys[static_cast<size_t>(part.keyIndex)];
            fetched = entry.fetched;
            key = entry.bytes;
            keyAddress = entry.address;
        }
        if (!fetched) {
            std::wstring keyError;
            if (!FetchToMemory(m, item, keyAddress, key, keyError, false, nullptr, nullptr, kKeyCap) || key.size() != 16)
                return fail(kNoVideoKey);
            std::lock_guard guard(m.lock);
            if (static_cast<size_t>(part.keyIndex) < item.keys.size()) {
                VideoKey& entry = item.keys[static_cast<size_t>(part.keyIndex)];
                entry.bytes = key;
                entry.fetched = true;
            }
        }
        if (!DecryptAes128Cbc(key, PartIv(part), body)) return fail(kCannotDecrypt);
    }

    const std::wstring file = run.partsFolder + L"\\" + PartFileName(index);
    const std::wstring temporary = file + L".tmp";
    if (!WriteNewFile(temporary, body) || !MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temporary.c_str());
        return fail(kPartWriteFailed);
    }
    return true;
}

}  // namespace

std::wstring PartFileName(size_t index) {
    std::wstring digits = std::to_wstring(index);
    if (digits.size() < 6) digits.insert(0, 6 - digits.size(), L'0');
    return digits + L".part";
}

void RunPartWorker(VideoRun& run) {
    DownloadManager& m = run.m;
    DownloadItem& item = *run.item;
    for (;;) {
        size_t index = 0;
        VideoPart part;
        {
            std::lock_guard guard(m.lock);
            if (item.cancel.load()) return;
            const size_t count = std::min({item.parts.size(), item.partDone.size(), item.partInProgress.size()});
            size_t i = run.firstFree;
            while (i < count && (item.partDone[i] || item.partInProgress[i])) ++i;
            if (i >= count) {
                run.firstFree = count;
                return;
            }
            index = i;
            run.firstFree = i + 1;
            item.partInProgress[index] = 1;
            part = item.parts[index];
        }

        // A part is written whole or not at all, so its attempts make no progress to count.
        std::wstring error;
        const bool done = RunWithRetries(
            run.retries, error, [&](std::wstring& e) { return FetchPart(run, index, part, e); },
            [&] { return item.cancel.load(); }, [] { return int64_t{0}; });

        std::lock_guard guard(m.lock);
        item.partInProgress[index] = 0;
        if (done) {
            item.partDone[index] = 1;
            continue;
        }
        run.firstFree = std::min(run.firstFree, index);  // free again for the other workers
        if (item.cancel.load()) return;
        if (!error.empty()) run.worker.errors.push_back(error);
        return;
    }
}

bool JoinParts(DownloadManager& m, DownloadItem& item, const std::wstring& partsFolder, const std::wstring& tempPath,
               std::wstring& error) {
    size_t count = 0;
    bool hasMap = false;
    std::wstring path;
    {
        std::lock_guard guard(m.lock);
        count = static_cast<size_t>(std::max(item.partCount, 0));
        hasMap = !item.mapAddress.empty();
        path = item.path;
    }
    const std::wstring mapFile = partsFolder + L"\\map.part";
    {
        FileHandle out(CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out) {
            error = L"Cannot create the file: " + ErrorTextFor(GetLastError());
            return false;
        }
        std::vector<char> buffer(kJoinBuffer);
        auto copy = [&](const std::wstring& from) {
            FileHandle in(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            if (!in) return false;
            for (;;) {
                DWORD got = 0;
                // A read that fails midway stops the join: a part with a hole would
                // otherwise become a finished file that looks whole.
                if (!ReadFile(in.get(), buffer.data(), kJoinBuffer, &got, nullptr)) return false;
                if (got == 0) return true;
                DWORD written = 0;
                if (!WriteFile(out.get(), buffer.data(), got, &written, nullptr) || written != got) return false;
            }
        };
        bool ok = !hasMap || copy(mapFile);
        for (size_t i = 0; ok && i < count; ++i) ok = copy(partsFolder + L"\\" + PartFileName(i));
        if (!ok) {
            error = kCannotJoin;
            return false;  // the parts stay: a later run joins again
        }
    }
    for (size_t i = 0; i < count; ++i) DeleteFileW((partsFolder + L"\\" + PartFileName(i)).c_str());
    DeleteFileW(mapFile.c_str());
    RemoveDirectoryW(partsFolder.c_str());

    const bool mp4 = EndsWithNoCase(path, L".mp4");
    if (hasMap || !mp4) return true;
    const std::wstring ffmpeg = FindFfmpeg();
    const std::wstring remuxed = tempPath + L".mp4";
    const int64_t code = ffmpeg.empty() ? -1 : RunHidden(RemuxCommandLine(ffmpeg, tempPath, remuxed), kRemuxTimeoutMs);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const bool produced = GetFileAttributesExW(remuxed.c_str(), GetFileExInfoStandard, &data) &&
                          (data.nFileSizeHigh != 0 || data.nFileSizeLow != 0);
    if (code == 0 && produced && DeleteFileW(tempPath.c_str()) &&
        MoveFileExW(remuxed.c_str(), tempPath.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    if (!Exists(tempPath)) {
        // The joined stream was removed but the remuxed file could not take its place.
        if (MoveFileExW(remuxed.c_str(), tempPath.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
        error = kCannotJoin;
        return false;
    }
    DeleteFileW(remuxed.c_str());
    std::lock_guard guard(m.lock);
    item.path = item.path.substr(0, item.path.size() - 4) + L".ts";
    item.fileName = item.path.substr(item.path.rfind(L'\\') + 1);
    return true;
}

void RunVideoTransfer(WorkerRun& worker) {
    DownloadManager& m = worker.m;
    const std::shared_ptr<DownloadItem>& item = worker.item;
    std::wstring partsFolder, tempPath, mapAddress;
    size_t count = 0;
    {
        std::lock_guard guard(m.lock);
        partsFolder = item->path + kPartsSuffix;
        tempPath = item->path + kTempSuffix;
        count = item->parts.size();
        item->partDone.assign(count, 0);
        item->partInProgress.assign(count, 0);
        item->videoBytes = 0;
    }
    VideoRun run(worker);
    run.partsFolder = partsFolder;
    SHCreateDirectoryExW(nullptr, partsFolder.c_str(), nullptr);
    const auto present = PartFilesPresent(partsFolder, count);
    {
        std::lock_guard guard(m.lock);
        for (const auto& [index, size] : present) {
            if (index >= item->partDone.size()) continue;
            item->partDone[index] = 1;
            item->videoBytes += size;
        }
        mapAddress = item->mapAddress;
        item->bytesAtStart = item->videoBytes;
    }
    const std::wstring mapFile = partsFolder + L"\\map.part";
    if (!mapAddress.empty() && !Exists(mapFile)) {
        std::string body;
        std::wstring error;
        bool ok = FetchToMemory(m, *item, mapAddress, body, error, false, nullptr, nullptr, kMapCap);
        if (ok && !WriteNewFile(mapFile, body)) {
            DeleteFileW(mapFile.c_str());
            error = kPartWriteFailed;
            ok = false;
        }
        if (!ok) {
            std::lock_guard guard(m.lock);
            if (!worker.Cancelled()) worker.FailLocked(error.empty() ? std::wstring(L"Download failed") : error);
            return;
        }
    }
    if (worker.Cancelled()) return;

    int32_t connections = 1;
    {
        std::lock_guard guard(m.lock);
        connections = item->connections;
    }
    const int workers = std::clamp<int>(connections, 1, kMaxPartWorkers);
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) {
        try {
            threads.emplace_back(RunPartWorker, std::ref(run));
        } catch (const std::system_error&) {
            if (threads.empty()) {
                std::lock_guard guard(m.lock);
                worker.errors.push_back(L"Cannot start the download: the system refused a new thread");
            }
            break;
        }
    }
    for (std::thread& t : threads) t.join();

    {
        std::lock_guard guard(m.lock);
        if (worker.Cancelled()) return;
        if (item->partDone.empty() ||
            !std::all_of(item->partDone.begin(), item->partDone.end(), [](uint8_t f) { return f != 0; })) {
            worker.FailWithLastErrorLocked(kPartsMissing);
            return;
        }
    }
    std::wstring error;
    if (!JoinParts(m, *item, partsFolder, tempPath, error)) {
        std::lock_guard guard(m.lock);
        worker.FailLocked(error);
        return;
    }
    FinishDownload(m, *item, tempPath);
}

}  // namespace vonu
