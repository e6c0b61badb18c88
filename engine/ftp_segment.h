// One attempt at one segment of an ftp:// download: the FTP branch of DownloadSegment, with
// the same contract, so splitting, retries, limits and finishing are those of any transfer.
#pragma once

#include <string>

#include "engine/transfer.h"

namespace vonu {

// Logs in on a control connection of its own, sends "REST " + the segment's next position
// when the item is resumable and that is above 0, and reads the file into the run's
// temporary file at that position through the speed limiter until the segment's end (reread
// under the manager lock before every write, so a split shortens it) or the end of the data.
// A resumable item of known size first asks the server's SIZE: another size means another
// file, whose bytes must not be joined to the ones already there, so the run's
// serverFileChanged flag is set and the sentence is kServerFileChanged (no retries help).
// True: the segment is finished, was shortened away by a split, or (open-ended) the data
// ended normally, which sets end reached. False: `error` holds the sentence; "Cancelled" when
// the item was stopped (its connection or file handle closed under the read).
// A non-resumable item starts over at the segment's start. The file is named to the server
// as ftp_path.h says (UTF-8 first, the ANSI name once for an old server). Connection threads
// only.
[[nodiscard]] bool DownloadFtpSegment(TransferRun& run, int index, std::wstring& error);

}  // namespace vonu
