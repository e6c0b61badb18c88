// The run of an ordinary (not video) download: one worker thread (RunTransfer) makes sure the
// item is probed, prepares the temporary file (path + ".vonu") and the segments, fresh or
// resumed from the saved ones, runs up to the item's connections (RunConnection) that fetch
// byte ranges into the file, and decides the outcome: Stopped, Error with one sentence, or
// all bytes there, when it hands the file to FinishDownload.
//
// Threads: the worker is started by the start operation (manager/control.h) through the
// worker entry point and keeps its contract (manager/worker_entry.h); it starts and joins its
// connection threads. Everything shared lives in the item, guarded by the manager lock,
// which is held only for short steps, never across network or disk waits.
// `m` must be the process-wide Manager(): the HTTP requests lock it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/download_manager.h"

namespace vonu {

// The sentence of a run that found another file on the server than the one it had begun.
inline constexpr wchar_t kServerFileChanged[] = L"The file on the server has changed. Start the download again.";
// The sentence of a 206 answer that carries another part of the file than the one asked for.
inline constexpr wchar_t kWrongRangeAnswer[] = L"The server sent another part of the file than the one asked for";

// What the connections of one run share besides the item.
struct TransferRun {
    DownloadManager& m;
    std::shared_ptr<DownloadItem> item;
    std::wstring tempPath;
    std::vector<std::wstring> errors;        // manager lock; a connection that gave up adds its last
    std::atomic<bool> serverFileChanged{false};  // ends every connection of the run, no retries

    // The run ends its connections: the user stopped it, or its file changed on the server.
    bool Ending() const { return item->cancel.load() || serverFileChanged.load(); }
};

// The worker's thread procedure (a TransferWorker).
void RunTransfer(std::shared_ptr<DownloadItem> item, DownloadManager& m);

// One connection: downloads segments, starting at `first`, until PickSegment has no more.
// A failing segment is retried after 2, 4, 8 and 15 s; an attempt that stored bytes beyond
// any before it starts that count again, so only four attempts in a row without progress
// make the connection give up.
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

// The pauses before retries 1-4, in milliseconds: 2, 4, 8 and 15 seconds. Tests shorten them
// so they need not wait through the real schedule; the program never calls this.
void SetRetryDelaysForTests(const std::array<uint32_t, 4>& delaysMs);
std::array<uint32_t, 4> RetryDelays();

}  // namespace vonu
