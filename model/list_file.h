// list.ini: the downloads and the queues, kept across runs. One section per download
// ("[D" + id + "]") in list order, then one per queue ("[Q" + id + "]") in queue order;
// each section is its header, one "key=value" line per field and an empty line.
// Saved whole through the whole-file writer, so a failed save never damages the old file.
#pragma once

#include <string>

#include "model/download_manager.h"
#include "model/whole_file_writer.h"

namespace vonu {

inline constexpr wchar_t kDefaultQueueName[] = L"Default queue";

// The whole file's text. Caller holds the manager lock.
std::wstring ListTextLocked(const DownloadManager& m);

// Writes list.ini when the list changed since the last save, or always with force. The
// text is built under the manager lock and written after it is released. A failed write
// marks the list changed again, so the next save retries it. Skipped saves are ok.
// Any thread: saves take the manager's listWriteLock for the whole step, so two never
// share the temporary file and an older text never lands after a newer one.
[[nodiscard]] WriteResult SaveList(DownloadManager& m, const std::wstring& dataFolder, bool force);

// Writes list.ini at once when a download was added or started since the last save (the
// manager's listSaveNow), so its entry exists before its temporary file can. Cheap when
// nothing asked. Called after the operations that add or start, and on every window tick
// (the queue runner starts downloads inside the manager tick).
[[nodiscard]] WriteResult SaveListIfAsked(DownloadManager& m, const std::wstring& dataFolder);

struct LoadListResult {
    bool ok = true;      // a missing file is ok: an empty list
    std::wstring error;  // one English sentence when the file exists but cannot be read,
};                       // is not UTF-16 with its mark, or holds no download or queue section
                         // that can be read (a copy is then kept as list.ini.unreadable)

// Replaces the queues by the default queue (id 1, "Default queue", MaxActive from the
// settings) and then adds what list.ini holds: queues (a stored Q1 overrides the default
// queue's fields) and downloads, in file order. What cannot be read is dropped: sections
// without a usable id, downloads without an address, a second section of an id already
// loaded, values that are not numbers (the field keeps its initial value), segment
// entries that are not three numbers forming a sane range, and the saved progress of an
// unfinished download of known size whose segments do not tile the file exactly (it
// starts again from byte 0). Downloading loads as Stopped;
// a Queued download without a queue, and any download of a queue the file does not hold,
// goes to queue 1; a queue's unknown end action loads as none; the next ids are raised past the
// loaded ones. Takes the manager lock for the change only.
LoadListResult LoadList(DownloadManager& m, const std::wstring& dataFolder);

}  // namespace vonu
