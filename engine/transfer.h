// The run of an ordinary (not video) download: one worker thread (RunTransfer) makes sure the
// item is probed, prepares the temporary file (path + ".vonu") and the segments, fresh or
// resumed from the saved ones, runs up to the item's connections (RunConnection) that fetch
// byte ranges into the file, and decides the outcome: Stopped, Error with one sentence, or
// all bytes there, when it hands the file to FinishDownload.
//
// Threads: the worker is started by the start operation (manager/control.h) through the
// worker entry point; its WorkerRun (model/worker_run.h) keeps the run's contract on every
// path. It starts and joins its connection threads. Everything shared lives in the item, guarded by the manager lock,
// which is held only for short steps, never across network or disk waits.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/retry_policy.h"
#include "model/worker_run.h"
#include "model/download_manager.h"

namespace vonu {

// The sentence of a run that found another file on the server than the one it had begun.
inline constexpr wchar_t kServerFileChanged[] = L"The file on the server has changed. Start the download again.";
// The sentence of a 206 answer that carries another part of the file than the one asked for.
inline constexpr wchar_t kWrongRangeAnswer[] = L"The server sent another part of the file than the one asked for";

// What the connections of one run share besides the item: the worker's run (its `errors`
// collect the sentence of each connection that gave up), the temporary file and the retries.
struct TransferRun {
    WorkerRun& worker;
    DownloadManager& m;
    std::shared_ptr<DownloadItem> item;
    std::wstring tempPath;
    RetryPolicy retries;
    std::atomic<bool> serverFileChanged{false};  // ends every connection of the run, no retries

    TransferRun(WorkerRun& w, std::wstring temporaryPath)
        : worker(w), m(w.m), item(w.item), tempPath(std::move(temporaryPath)),
          retries(CurrentRetryPolicies().segments) {}

    // The run ends its connections: the user stopped it, or its file changed on the server.
    bool Ending() const { return item->cancel.load() || serverFileChanged.load(); }
};

// The worker's thread procedure (a TransferWorker) for every download: after the probe, a
// video goes to RunVideoTransfer, anything else to the segmented transfer.
void RunTransfer(std::shared_ptr<DownloadItem> item, DownloadManager& m);

// One connection: downloads segments, starting at `first`, until PickSegment has no more.
// A failing segment is retried by the run's segment policy (engine/retry_policy.h); an
// attempt that stored bytes beyond any before it starts the count again.
void RunConnection(TransferRun& run, int first);

// What one attempt at a segment starts from, read under the manager lock. Without ranges
// every attempt starts over, so the segment's next position goes back to its start first.
struct SegmentAttempt {
    int64_t next = 0;
    int64_t end = -1;
    int64_t size = -1;
    bool resumable = false;
    std::wstring url;

    bool Finished() const { return end >= 0 && end < next; }
};
// Nothing, with "Download did not finish" in `error`, when the run has no segment `index`.
// Shared by the HTTP and the FTP attempt. Takes the manager lock.
[[nodiscard]] std::optional<SegmentAttempt> StartSegmentAttempt(TransferRun& run, size_t index, std::wstring& error);

// One attempt at one segment over HTTP (ftp:// addresses: DownloadFtpSegment). True when the
// segment is finished, was shortened away by a split, or the run is ending; false with a
// sentence in `error` otherwise. A 206 answer must start at the segment's next byte and not
// go past its end (else kWrongRangeAnswer, nothing written); a shorter one is followed by a
// request for the rest within the same attempt.
[[nodiscard]] bool DownloadSegment(TransferRun& run, int index, std::wstring& error);

// What one piece of a segment's body did: the read loop goes on, or the attempt ends (the
// segment is finished or owned by another connection now; or it failed with a sentence).
enum class ChunkOutcome { More, SegmentDone, Failed };

// Stores one piece read for segment `index` into `file` (positioned at the segment's next
// byte): `size` 0 is the end of the body. Passes the speed limiter, clips the piece at the
// segment's end as it is now (a split may have moved it), writes it and advances the
// segment. Shared by the HTTP and the FTP read loops; takes the manager lock for each step.
[[nodiscard]] ChunkOutcome StoreChunk(TransferRun& run, size_t index, void* file, const char* data, uint32_t size,
                                      std::wstring& error);

}  // namespace vonu
