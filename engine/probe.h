// A download enters here: AddDownload creates the item with a first name and path and starts
// its probe thread; ProbeDownload asks the server for size, resumability, name and whether
// the address is really an HLS playlist, before any data is fetched.
#pragma once

#include <cstdint>
#include <string>

#include "model/download_item.h"

namespace vonu {

// What a caller may hand over with an address; any field may be empty.
struct DownloadOptions {
    std::wstring referrer;
    std::wstring cookie;
    std::wstring userAgent;
    std::wstring fileName;  // empty: named from the address
};

// Creates the item (state Stopped, probing), appends it to the list and starts its probe
// thread (item.probe, joined later by the user-interface thread). Returns its id. Takes the
// manager lock itself: call it without. The item does not start by itself.
int32_t AddDownload(const std::wstring& address, const DownloadOptions& options);

// Probes the item's address and stores what it learnt in the item (under the manager lock,
// never holding it across the request). False: the item's last error says why, unless the
// item was cancelled. Runs on the probe thread, or on the worker before an unprobed run.
bool ProbeDownload(DownloadItem& item);

}  // namespace vonu
