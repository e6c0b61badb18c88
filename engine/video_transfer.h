// The run of a video (HLS) download: its parts are fetched by up to 8 part workers into the
// parts folder (path + ".vonu.parts", one "NNNNNN.part" file per finished part and
// "map.part"), AES-128 parts decrypted on the way; then map and parts are joined into the
// temporary file (path + ".vonu"), remuxed to MP4 by ffmpeg when the target is ".mp4"
// without a map (else the file stays MPEG-TS and the target becomes ".ts"), and finished.
// Finished part files are the resume state: the next run fetches only the missing ones.
//
// Threads: RunVideoTransfer is the worker (the same contract as RunTransfer, see
// manager/worker_entry.h); it starts and joins its part workers. Flags, keys, the error list
// and the video bytes change only under the manager lock; fetching, decrypting and writing
// happen outside it. `m` must be the process-wide Manager(): the HTTP requests lock it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/download_manager.h"

namespace vonu {

inline constexpr wchar_t kNoVideoKey[] = L"Cannot get the video key";
inline constexpr wchar_t kCannotDecrypt[] = L"Cannot decrypt a video part";
inline constexpr wchar_t kPartWriteFailed[] = L"Cannot write to disk";
inline constexpr wchar_t kPartsMissing[] = L"Some video parts could not be downloaded";
inline constexpr wchar_t kCannotJoin[] = L"Cannot join the video parts";

// What the part workers of one run share besides the item. Manager lock for errors and
// firstFree.
struct VideoRun {
    DownloadManager& m;
    std::shared_ptr<DownloadItem> item;
    std::wstring partsFolder;
    std::vector<std::wstring> errors;  // a worker that gave up adds its last sentence
    size_t firstFree = 0;              // every part before it is done or taken
};

// The worker's thread procedure for a video item.
void RunVideoTransfer(std::shared_ptr<DownloadItem> item, DownloadManager& m);

// Takes free parts one after another until none is left or the run is cancelled; a part
// that fails four times (pauses 1, 2, 3 s) ends this worker with its sentence in the list.
void RunPartWorker(VideoRun& run);

// Map and parts in order into tempPath through one 1 MiB buffer; the part files and the
// folder are removed; then the remux (or the ".ts" form). False with a sentence.
[[nodiscard]] bool JoinParts(DownloadManager& m, DownloadItem& item, const std::wstring& partsFolder,
                             const std::wstring& tempPath, std::wstring& error);

// "000042.part": the index with at least six digits.
std::wstring PartFileName(size_t index);

// The pauses before attempts 2-4, in milliseconds (1, 2 and 3 s). Tests shorten them; the
// program never calls this.
void SetPartRetryDelaysForTests(const std::array<uint32_t, 3>& delaysMs);

}  // namespace vonu
