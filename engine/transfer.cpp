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
#include "model/segment_tiling.h"
#include "model/unique_handle.h"

namespace vonu {

namespace {

constexpr DWORD kChunk = 65536;
constexpr uint32_t kWaitStepMs = 100;

std::atomic<uint32_t> g_delays[4] = {2000, 4000, 8000, 15000};

void SetState(DownloadItem& item, DownloadState s) { item.state = s; }

// Sleeps up to `ms` in 100 ms steps; false when the run began ending meanwhile.
bool WaitUnlessEnding(const TransferRun& run, uint32_t ms) {
    for (uint32_t waited = 0; waited < ms; waited += kWaitStepMs) {
        if (run.Ending()) return false;
        Sleep(std::min(kWaitStepMs, ms - waited));
    }
    return !run.Ending();
}

void EndRun(std::shared_ptr<DownloadItem>& item, DownloadManager& m, bool setupGood, const std::wstring& tempPath,
            TransferRun* run);

}  // namespace

void SetRetryDelaysForTests(const std::array<uint32_t, 4>& delaysMs) {
    for (size_t i = 0; i < 4; ++i) g_delays[i] = delaysMs[i];
}

std::array<uint32_t, 4> RetryDelays() { return {g_delays[0], g_delays[1], g_delays[2], g_delays[3]}; }

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
    if (!SendGetFollowingRedirects(item, url, resumable ? next : -1, resumable ? end : -1, record, status, error))
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
    if (StartsWithNoCase(attempt->url, L"ftp://")) return DownloadFtpSegment(run, index, error);
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
        const auto nextPosition = [&] {
            std::lock_guard guard(m.lock);
            return item.segments[static_cast<size_t>(index)].next;
        };
        int64_t reached = nextPosition();
        std::wstring error;
        bool ok = DownloadSegment(run, index, error);
        const auto delays = RetryDelays();
        // The retries count failed attempts in a row that stored nothing new: on a link that
        // cuts every connection after a while, each attempt moves the segment on, and the
        // download finishes on its own. (Without ranges every attempt starts at byte 0, so
        // only getting further than any attempt before counts.)
        for (size_t retry = 0; !ok && retry < delays.size(); ++retry) {
            if (const int64_t now = nextPosition(); now > reached) {
                reached = now;
                retry = 0;
            }
            if (!WaitUnlessEnding(run, delays[retry])) break;
            error.clear();
            ok = DownloadSegment(run, index, error);
        }
        std::lock_guard guard(m.lock);
        item.segmentBusy[static_cast<size_t>(index)] = 0;
        if (!ok) {
            if (!item.cancel && !error.empty()) run.errors.push_back(error);
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

void RunTransfer(std::shared_ptr<DownloadItem> item, DownloadManager& m) {
    bool video = false;
    {
        std::lock_guard guard(m.lock);
        video = item->video;
    }
    if (video) {
        RunVideoTransfer(std::move(item), m);
        return;
    }

    while (item->probing && !item->cancel) Sleep(50);

    bool probed = false;
    {
        std::lock_guard guard(m.lock);
        probed = item->probed;
    }
    if (!item->cancel && !probed) {
        if (!ProbeDownload(*item)) {
            EndRun(item, m, false, std::wstring(), nullptr);
            return;
        }
        std::lock_guard guard(m.lock);
        video = item->video;
    }
    if (video && !item->cancel) {
        RunVideoTransfer(std::move(item), m);
        return;
    }

    std::wstring tempPath;
    int64_t size = -1;
    bool resumable = false, haveSegments = false;
    int32_t connections = 1;
    {
        std::lock_guard guard(m.lock);
        tempPath = item->path + kTempSuffix;
        size = item->size;
        resumable = item->resumable;
        haveSegments = !item->segments.empty();
        connections = item->connections;
    }
    // Resume only from segments that account for every byte of the file exactly once, in a
    // temporary file of the file's size; anything else starts again from byte 0.
    bool resume = resumable && haveSegments && GetFileAttributesW(tempPath.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (resume && size > 0) {
        const int64_t length = FileLength(tempPath);
        std::lock_guard guard(m.lock);
        resume = length == size && SegmentsTile(item->segments, size);
    }

    if (item->cancel) {
        EndRun(item, m, true, tempPath, nullptr);
        return;
    }
    if (resume) {
        std::lock_guard guard(m.lock);
        item->segments = MergeResumedSegments(std::move(item->segments));
    } else {
        // The file is made outside the manager lock: with the sparse mark it is quick, but it
        // is still a disk operation, and every other download waits on that lock.
        std::wstring error;
        if (!CreateTemporaryFile(tempPath, size, error)) {
            {
                std::lock_guard guard(m.lock);
                item->lastError = error;
            }
            EndRun(item, m, false, tempPath, nullptr);
            return;
        }
        std::lock_guard guard(m.lock);
        item->segments = InitialSegments(size, resumable, connections);
        item->endReached = false;
    }

    TransferRun run{m, item, tempPath, {}, {}};
    if (!item->cancel) {
        {
            std::lock_guard guard(m.lock);
            item->segmentBusy.assign(item->segments.size(), 0);
        }
        std::vector<std::thread> threads;
        for (int32_t c = 0; c < std::max(connections, 1); ++c) {
            int index = PickSegment(m, *item);
            while (index == kServerLimitReached && threads.empty() && !item->cancel) {
                Sleep(500);
                index = PickSegment(m, *item);
            }
            if (index < 0) break;
            try {
                threads.emplace_back(RunConnection, std::ref(run), index);
            } catch (const std::system_error&) {
                std::lock_guard guard(m.lock);
                item->segmentBusy[static_cast<size_t>(index)] = 0;
                if (threads.empty())
                    run.errors.push_back(L"Cannot start the download: the system refused a new thread");
                break;
            }
        }
        for (std::thread& t : threads) t.join();
    }
    EndRun(item, m, true, tempPath, &run);
}

namespace {

void EndRun(std::shared_ptr<DownloadItem>& item, DownloadManager& m, bool setupGood, const std::wstring& tempPath,
            TransferRun* run) {
    bool complete = false, changed = false;
    {
        std::lock_guard guard(m.lock);
        DownloadItem& d = *item;
        d.segmentBusy.assign(d.segments.size(), 0);
        d.speed = 0;
        if (d.cancel) {
            if (d.state == DownloadState::Downloading && !d.restartPending) SetState(d, DownloadState::Stopped);
        } else if (!setupGood) {
            SetState(d, DownloadState::Error);
            if (d.lastError.empty()) d.lastError = L"Download failed";
        } else if (run && run->serverFileChanged) {
            // Begin again from nothing next time: a new probe, a new file, new segments.
            changed = true;
            SetState(d, DownloadState::Error);
            d.lastError = kServerFileChanged;
            d.segments.clear();
            d.segmentBusy.clear();
            d.endReached = false;
            d.probed = false;
        } else {
            const std::vector<std::wstring> noErrors;
            const std::vector<std::wstring>& errors = run ? run->errors : noErrors;
            if (d.size > 0) {
                complete = !d.segments.empty();
                for (const Segment& s : d.segments) complete = complete && s.Finished();
            } else {
                complete = d.endReached && errors.empty();
            }
            if (!complete) {
                SetState(d, DownloadState::Error);
                d.lastError = errors.empty() ? std::wstring(L"Download did not finish") : errors.back();
            }
        }
        m.listDirty = true;
    }
    if (changed) DeleteFileW(tempPath.c_str());
    if (complete) FinishDownload(m, *item, tempPath);
    {
        std::lock_guard guard(m.lock);
        if (!item->cancel) item->runQueueId = 0;
    }
    item->workerRunning.exchange(false);
}

}  // namespace

}  // namespace vonu
