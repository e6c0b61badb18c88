#include "engine/transfer.h"

#include <windows.h>
#include <winhttp.h>

#include <mutex>
#include <system_error>
#include <thread>

#include "engine/content_range.h"
#include "engine/finish.h"
#include "engine/ftp_segment.h"
#include "engine/http_errors.h"
#include "engine/http_request.h"
#include "engine/probe.h"
#include "engine/segments.h"
#include "engine/speed_limiter.h"
#include "engine/temp_file.h"
#include "engine/url.h"
#include "engine/video_transfer.h"
#include "model/hosts.h"
#include "model/segment_tiling.h"
#include "model/unique_handle.h"

namespace vonu {

namespace {

constexpr DWORD kChunk = 65536;
constexpr uint32_t kServerLimitWaitMs = 500;

}  // namespace

ChunkOutcome StoreChunk(TransferRun& run, size_t i, void* file, const char* data, uint32_t size,
                        std::wstring& error) {
    DownloadManager& m = run.m;
    DownloadItem& item = *run.item;
    if (size == 0) {
        std::lock_guard guard(m.lock);
        const Segment& s = item.segments[i];
        if (s.end < 0) {
            item.endReached = true;
            return ChunkOutcome::SegmentDone;
        }
        if (s.next <= s.end) {
            error = L"The server closed the connection early";
            return ChunkOutcome::Failed;
        }
        return ChunkOutcome::SegmentDone;
    }
    TakeBytes(size, item.cancel);
    DWORD toWrite = size;
    {
        std::lock_guard guard(m.lock);
        const Segment& s = item.segments[i];  // a split may have moved its end
        if (s.end >= 0 && s.end + 1 - s.next < static_cast<int64_t>(toWrite)) {
            const int64_t left = s.end + 1 - s.next;
            if (left < 1) return ChunkOutcome::SegmentDone;  // another connection owns the rest
            toWrite = static_cast<DWORD>(left);
        }
    }
    DWORD written = 0;
    if (!WriteFile(static_cast<HANDLE>(file), data, toWrite, &written, nullptr) || written != toWrite) {
        const DWORD code = GetLastError();
        error = L"Cannot write to disk: " +
                ErrorTextFor(written != toWrite && code == ERROR_SUCCESS ? ERROR_DISK_FULL : code);
        return ChunkOutcome::Failed;
    }
    std::lock_guard guard(m.lock);
    Segment& s = item.segments[i];
    s.next += toWrite;
    return s.end >= 0 && s.next > s.end ? ChunkOutcome::SegmentDone : ChunkOutcome::More;
}

namespace {

// What one request of a segment attempt did.
enum class AnswerOutcome {
    Done,      // the segment is finished, owned by another connection now, or the run ends
    Continue,  // the server sent less than asked, all of what it said it would: ask again
    Failed,    // `error` holds the sentence
};

// One GET for the segment's bytes from `next` to `end` (-1: to the end), its answer checked
// and its body stored. A 206 answer must carry exactly the range asked for or its beginning:
// any other part of the file (a server, proxy or cache answering every range from byte 0,
// say) fails before a byte of it is written.
AnswerOutcome FetchAnswer(TransferRun& run, size_t i, const std::wstring& url, int64_t next, int64_t end,
                          bool resumable, int64_t size, std::wstring& error) {
    DownloadItem& item = *run.item;
    RequestRecord record;
    DWORD status = 0;
    if (!SendGetFollowingRedirects(run.m, item, url, resumable ? next : -1, resumable ? end : -1, record, status, error))
        return AnswerOutcome::Failed;
    if (resumable && status != 206) {
        error = L"The server stopped accepting resume requests (HTTP " + std::to_wstring(status) + L")";
        return AnswerOutcome::Failed;
    }
    int64_t answerLeft = -1;  // bytes the answer says it carries; -1: a 200 answer, to its end
    if (status == 206) {
        const std::optional<ContentRange> range = ParseContentRange(HeaderText(record, WINHTTP_QUERY_CONTENT_RANGE));
        // The known size came from the server's first answer; another total means another
        // file, and its bytes must not be joined to the ones already here.
        if (range && range->total >= 0 && size > 0 && range->total != size) {
            run.serverFileChanged.exchange(true);
            error = kServerFileChanged;
            return AnswerOutcome::Failed;
        }
        if (!range || !RangeAnswerFits(*range, next, end)) {
            error = kWrongRangeAnswer;
            return AnswerOutcome::Failed;
        }
        answerLeft = range->last - range->first + 1;
    }

    FileHandle file(CreateFileW(run.tempPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = L"Cannot open the file: " + ErrorTextFor(GetLastError());
        return AnswerOutcome::Failed;
    }
    LARGE_INTEGER at;
    at.QuadPart = next;
    if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) {
        error = L"Cannot open the file: " + ErrorTextFor(GetLastError());
        return AnswerOutcome::Failed;
    }

    std::vector<char> buffer(kChunk);
    while (!run.Ending()) {
        DWORD got = 0;
        if (!WinHttpReadData(static_cast<HINTERNET>(record.request), buffer.data(), kChunk, &got)) {
            if (run.Ending()) return AnswerOutcome::Done;  // the stop closed the request under us
            error = ErrorTextFor(GetLastError());
            return AnswerOutcome::Failed;
        }
        // Never a byte beyond the range the answer named, whatever its body holds.
        if (answerLeft >= 0 && static_cast<int64_t>(got) > answerLeft) got = static_cast<DWORD>(answerLeft);
        if (got == 0 && answerLeft == 0) {
            std::lock_guard guard(run.m.lock);
            const Segment& s = item.segments[i];
            if (s.end >= 0 && s.next <= s.end) return AnswerOutcome::Continue;
        }
        const ChunkOutcome outcome = StoreChunk(run, i, file.get(), buffer.data(), got, error);
        if (outcome == ChunkOutcome::Failed) return AnswerOutcome::Failed;
        if (outcome == ChunkOutcome::SegmentDone) return AnswerOutcome::Done;
        if (answerLeft > 0) answerLeft -= got;
    }
    return AnswerOutcome::Done;
}

}  // namespace

std::optional<SegmentAttempt> StartSegmentAttempt(TransferRun& run, size_t index, std::wstring& error) {
    DownloadItem& item = *run.item;
    std::lock_guard guard(run.m.lock);
    if (index >= item.segments.size()) {
        error = L"Download did not finish";
        return std::nullopt;
    }
    Segment& s = item.segments[index];
    if (!item.resumable) s.next = s.start;
    return SegmentAttempt{s.next, s.end, item.size, item.resumable, item.url};
}

bool DownloadSegment(TransferRun& run, int index, std::wstring& error) {
    DownloadManager& m = run.m;
    DownloadItem& item = *run.item;
    const size_t i = static_cast<size_t>(index);
    const std::optional<SegmentAttempt> attempt = StartSegmentAttempt(run, i, error);
    if (!attempt) return false;
    if (attempt->Finished()) return true;
    if (IsFtpAddress(attempt->url)) return DownloadFtpSegment(run, index, error);
    const std::wstring& url = attempt->url;
    const bool resumable = attempt->resumable;
    const int64_t size = attempt->size;
    int64_t next = attempt->next, end = attempt->end;

    // Each round stores at least one byte, so a server that answers in short pieces ends.
    for (;;) {
        const AnswerOutcome outcome = FetchAnswer(run, i, url, next, end, resumable, size, error);
        if (outcome != AnswerOutcome::Continue) return outcome == AnswerOutcome::Done;
        if (run.Ending()) return true;
        std::lock_guard guard(m.lock);
        next = item.segments[i].next;
        end = item.segments[i].end;  // a split may have moved it
    }
}

void RunConnection(TransferRun& run, int first) {
    DownloadManager& m = run.m;
    DownloadItem& item = *run.item;
    int index = first;
    while (index >= 0 && !run.Ending()) {
        // Progress is the segment's next position: on a link that cuts every connection after
        // a while, each attempt moves it on and the download finishes on its own. (Without
        // ranges every attempt starts at byte 0, so only getting further than any attempt
        // before counts.)
        const auto reached = [&] {
            std::lock_guard guard(m.lock);
            return item.segments[static_cast<size_t>(index)].next;
        };
        std::wstring error;
        const bool ok = RunWithRetries(
            run.retries, error, [&](std::wstring& e) { return DownloadSegment(run, index, e); },
            [&] { return run.Ending(); }, reached);
        std::lock_guard guard(m.lock);
        item.segmentBusy[static_cast<size_t>(index)] = 0;
        if (!ok) {
            if (!item.cancel && !error.empty()) run.worker.errors.push_back(error);
            return;
        }
        if (run.Ending()) return;
        index = PickSegmentLocked(m, item);
    }
    if (index >= 0) {
        std::lock_guard guard(m.lock);
        item.segmentBusy[static_cast<size_t>(index)] = 0;
    }
}

namespace {

// Waits while the item's own probe (started when it was added) is still out, then probes it
// when it has not been probed: an ordinary download once, a video while it has no parts.
// False when the run is cancelled or the probe failed; the outcome is then set.
bool ProbeForRun(WorkerRun& worker) {
    constexpr DWORD kProbeWaitStepMs = 50;
    DownloadItem& item = *worker.item;
    while (item.probing.load() && !worker.Cancelled()) Sleep(kProbeWaitStepMs);
    if (worker.Cancelled()) return false;
    bool needed = false;
    {
        std::lock_guard guard(worker.m.lock);
        needed = item.video ? item.parts.empty() : !item.probed;
    }
    if (!needed || ProbeDownload(worker.m, item)) return !worker.Cancelled();
    std::lock_guard guard(worker.m.lock);
    if (!worker.Cancelled()) worker.FailLocked(item.lastError.empty() ? std::wstring(L"Download failed") : item.lastError);
    return false;
}

// Resumes from the saved segments when they account for every byte of the file exactly once
// in a temporary file of the file's size; anything else starts again from byte 0 in a new
// temporary file. False with the run's outcome set when that file cannot be made.
bool PrepareSegments(WorkerRun& worker, const std::wstring& tempPath) {
    DownloadManager& m = worker.m;
    DownloadItem& item = *worker.item;
    int64_t size = -1;
    bool resumable = false, haveSegments = false;
    int32_t connections = 1;
    {
        std::lock_guard guard(m.lock);
        size = item.size;
        resumable = item.resumable;
        haveSegments = !item.segments.empty();
        connections = item.connections;
    }
    bool resume = resumable && haveSegments && GetFileAttributesW(tempPath.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (resume && size > 0) {
        const int64_t length = FileLength(tempPath);
        std::lock_guard guard(m.lock);
        resume = length == size && SegmentsTile(item.segments, size);
    }
    if (resume) {
        std::lock_guard guard(m.lock);
        item.segments = MergeResumedSegments(std::move(item.segments));
        return true;
    }
    // The file is made outside the manager lock: with the sparse mark it is quick, but it is
    // still a disk operation, and every other download waits on that lock.
    std::wstring error;
    const bool made = CreateTemporaryFile(tempPath, size, error);
    std::lock_guard guard(m.lock);
    if (!made) {
        if (!worker.Cancelled()) worker.FailLocked(error);
        return false;
    }
    item.segments = InitialSegments(size, resumable, connections);
    item.endReached = false;
    return true;
}

// Starts up to the item's connections and joins them.
void RunConnections(TransferRun& run) {
    DownloadManager& m = run.m;
    DownloadItem& item = *run.item;
    int32_t connections = 1;
    {
        std::lock_guard guard(m.lock);
        item.segmentBusy.assign(item.segments.size(), 0);
        connections = item.connections;
    }
    std::vector<std::thread> threads;
    for (int32_t c = 0; c < std::max(connections, 1); ++c) {
        int index = PickSegment(m, item);
        // The first connection waits for a free place under the server's limit; more are
        // only wanted while there is one.
        while (index == kServerLimitReached && threads.empty() &&
               PauseUnless(kServerLimitWaitMs, [&] { return run.Ending(); }))
            index = PickSegment(m, item);
        if (index < 0) break;
        try {
            threads.emplace_back(RunConnection, std::ref(run), index);
        } catch (const std::system_error&) {
            std::lock_guard guard(m.lock);
            item.segmentBusy[static_cast<size_t>(index)] = 0;
            if (threads.empty())
                run.worker.errors.push_back(L"Cannot start the download: the system refused a new thread");
            break;
        }
    }
    for (std::thread& t : threads) t.join();
}

// The outcome of a run whose connections have all ended. True when every byte is there.
bool DecideOutcome(TransferRun& run) {
    std::lock_guard guard(run.m.lock);
    DownloadItem& d = *run.item;
    if (d.cancel) return false;
    if (run.serverFileChanged) {
        // Begin again from nothing next time: a new probe, a new file, new segments.
        run.worker.FailLocked(kServerFileChanged);
        d.segments.clear();
        d.segmentBusy.clear();
        d.endReached = false;
        d.probed = false;
        return false;
    }
    bool complete = false;
    if (d.size > 0) {
        complete = !d.segments.empty();
        for (const Segment& s : d.segments) complete = complete && s.Finished();
    } else {
        complete = d.endReached && run.worker.errors.empty();
    }
    if (!complete) run.worker.FailWithLastErrorLocked(L"Download did not finish");
    return complete;
}

}  // namespace

void RunTransfer(std::shared_ptr<DownloadItem> item, DownloadManager& m) {
    WorkerRun worker(m, std::move(item));
    if (!ProbeForRun(worker)) return;
    bool video = false;
    std::wstring tempPath;
    {
        std::lock_guard guard(m.lock);
        video = worker.item->video;
        tempPath = worker.item->path + kTempSuffix;
    }
    if (video) {
        RunVideoTransfer(worker);
        return;
    }
    if (!PrepareSegments(worker, tempPath) || worker.Cancelled()) return;
    TransferRun run(worker, tempPath);
    RunConnections(run);
    if (DecideOutcome(run))
        FinishDownload(m, *worker.item, tempPath);
    else if (run.serverFileChanged)
        DeleteFileW(tempPath.c_str());
}

}  // namespace vonu
