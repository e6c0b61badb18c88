// One attempt at one segment of an ftp:// download: the FTP branch of DownloadSegment, with
// the same contract, so splitting, retries, limits and finishing are those of any transfer.
#pragma once

#include <string>

#include "model/download_item.h"

namespace vonu {

// Logs in on a control connection of its own, sends "REST " + the segment's next position
// when the item is resumable and that is above 0, and reads the file into the temporary file
// at that position through the speed limiter until the segment's end (reread under the
// manager lock before every write, so a split shortens it) or the end of the data.
// True: the segment is finished, was shortened away by a split, or (open-ended) the data
// ended normally, which sets end reached. False: `error` holds the sentence; "Cancelled" when
// the item was stopped (its connection or file handle closed under the read).
// A non-resumable item starts over at the segment's start. Connection threads only.
[[nodiscard]] bool DownloadFtpSegment(DownloadItem& item, int index, const std::wstring& tempPath,
                                      std::wstring& error);

}  // namespace vonu
