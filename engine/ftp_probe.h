// The FTP branch of the file information probe: size, resumability (the server accepts
// REST) and the name of an ftp:// download, before any data is fetched.
#pragma once

#include <string>

#include "model/download_manager.h"

namespace vonu {

// Logs in, opens the file to learn its size (naming it as ftp_path.h says), asks "REST 0",
// and stores size, resumable, probed and (unless the user fixed the path) name, category and
// path in the item under the manager lock. False: `error` says why and the item is left as it
// was. ProbeDownload sets and clears the probing flag around it and stores the error. Worker
// or probe thread.
[[nodiscard]] bool ProbeFtp(DownloadManager& m, DownloadItem& item, std::wstring& error);

// The size a "SIZE" reply gives ("213 12345"); -1 for any other reply.
int64_t SizeFromReply(const std::wstring& reply);

}  // namespace vonu
