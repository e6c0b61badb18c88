// The run of a video (HLS) download: its parts are fetched by up to 8 part workers into the
// parts folder (path + ".vonu.parts", one "NNNNNN.part" file per finished part and
// "map.part"), AES-128 parts decrypted on the way; then map and parts are joined into the
// temporary file (path + ".vonu"), remuxed to MP4 by ffmpeg when the target is ".mp4"
// without a map (else the file stays MPEG-TS and the target becomes ".ts"), and finished.
// Finished part files are the resume state: the next run fetches only the missing ones.
//
// Threads: RunVideoTransfer runs on the worker thread inside the worker's run (RunTransfer
// probes first and hands a video here); it starts and joins its part workers. Flags, keys, the error list
// and the video bytes change only under the manager lock; fetching, decrypting and writing
// happen outside it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/retry_policy.h"
#include "model/worker_run.h"
#include "model/download_manager.h"

namespace vonu {

inline constexpr wchar_t kNoVideoKey[] = L"Cannot get the video key";
inline constexpr wchar_t kCannotDecrypt[] = L"Cannot decrypt a video part";
inline constexpr wchar_t kPartWriteFailed[] = L"Cannot write to disk";
inline constexpr wchar_t kPartsMissing[] = L"Some video parts could not be downloaded";
inline constexpr wchar_t kCannotJoin[] = L"Cannot join the video parts";

// What the part workers of one run share besides the item: the worker's run (its `errors`
// collect the sentence of each part worker that gave up) and the retries. Manager lock for
// firstFree.
struct VideoRun {
    WorkerRun& worker;
    DownloadManager& m;
    std::shared_ptr<DownloadItem> item;
    std::wstring partsFolder;
    RetryPolicy retries;
    size_t firstFree = 0;  // every part before it is done or taken

    explicit VideoRun(WorkerRun& w) : worker(w), m(w.m), item(w.item), retries(CurrentRetryPolicies().parts) {}
};

// The run of a probed video item, inside the worker's run.
void RunVideoTransfer(WorkerRun& worker);

// Takes free parts one after another until none is left or the run is cancelled; a part
// whose attempts the run's part policy gives up on (engine/retry_policy.h) ends this worker
// with its sentence in the run's errors.
void RunPartWorker(VideoRun& run);

// Map and parts in order into tempPath through one 1 MiB buffer; the part files and the
// folder are removed; then the remux (or the ".ts" form). False with a sentence.
[[nodiscard]] bool JoinParts(DownloadManager& m, DownloadItem& item, const std::wstring& partsFolder,
                             const std::wstring& tempPath, std::wstring& error);

// "000042.part": the index with at least six digits.
std::wstring PartFileName(size_t index);

}  // namespace vonu
