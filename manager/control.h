// The operations that change downloads and queues for the user and the queue runner:
// start, stop, remove, queue moves, property changes, queue creation and removal, and stop
// everything at exit. User-interface thread only (the tick calls the Locked variants).
//
// Functions named ...Locked are called with the manager lock already held; all others take
// it themselves. Unknown ids do nothing. Every change marks the list changed for the next
// save. Worker and probe threads are joined only with the manager lock released (they need
// it to finish), except the join of a worker that has already cleared its running flag,
// which only waits for the thread to return.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/download_manager.h"
#include "model/whole_file_writer.h"

namespace vonu {

// Starts a run (not for a Complete item). If the previous worker is still ending after a
// stop, sets restart pending instead and the tick starts the item once that worker is gone.
// If no thread can be made the item becomes Error with the reason.
void StartLocked(DownloadManager& m, const std::shared_ptr<DownloadItem>& item);
// Started by hand: no queue counts it.
void StartDownload(DownloadManager& m, int32_t id);

// Asks the worker to end (it does so on its own; nothing waits here). Downloading and
// Queued become Stopped.
void StopLocked(DownloadManager& m, DownloadItem& item);
void StopDownload(DownloadManager& m, int32_t id);
// Every queue stops running; every running download is stopped.
void StopAll(DownloadManager& m);

// Cancels and waits for the item's threads, takes it out of the list and deletes its
// temporary file (path + ".vonu"); with deleteFinishedFile, a Complete item's file as well.
void RemoveDownload(DownloadManager& m, int32_t id, bool deleteFinishedFile);

// Not for a Complete item. Stopped and Error become Queued; a running item keeps running.
void MoveToQueue(DownloadManager& m, int32_t id, int32_t queueId);
void RemoveFromQueue(DownloadManager& m, int32_t id);

// Sets path (and the file name from it), category and description, and fixes the path
// against the probe. The file on disk is not moved.
void SetProperties(DownloadManager& m, int32_t id, const std::wstring& path, const std::wstring& category,
                   const std::wstring& description);
// Sets the description; the address too if the item is idle and not Complete and the new
// one is a different http:// or https:// address. The segments stay, so it resumes.
void ChangeAddress(DownloadManager& m, int32_t id, const std::wstring& address, const std::wstring& description);

void StartQueue(DownloadManager& m, int32_t queueId);
// Stops the queue's runner; the downloads it started go back to Queued. Downloads of the
// queue started by hand keep running.
void StopQueueLocked(DownloadManager& m, DownloadQueue& queue);
void StopQueue(DownloadManager& m, int32_t queueId);
int32_t AddQueue(DownloadManager& m, const std::wstring& name);
// Not the default queue (1). Its downloads move to queue 1 with their states kept.
void RemoveQueue(DownloadManager& m, int32_t queueId);

// At exit, end of session and before turning the computer off: stops every queue, cancels
// every download and waits for all their threads, then saves the list whatever its state.
[[nodiscard]] WriteResult StopEverything(DownloadManager& m, const std::wstring& dataFolder);

}  // namespace vonu
