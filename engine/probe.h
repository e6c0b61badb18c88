// A download enters here: AddDownload creates the item with a first name and path and starts
// its probe thread; ProbeDownload asks the server for size, resumability, name and whether
// the address is really an HLS playlist, before any data is fetched.
#pragma once

#include <cstdint>
#include <string>

#include "model/download_manager.h"

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
bool ProbeDownload(DownloadManager& m, DownloadItem& item);

// What a successful probe found: the size (-1 unknown), whether ranges work, the name the
// server gives and its category (empty: the category the name belongs to).
struct ProbeFindings {
    int64_t size = -1;
    bool resumable = false;
    std::wstring name;
    std::wstring category;
};

// Stores a successful probe's findings in the item (probed, no error) and, unless the user
// chose the path, names it: a new name or category also gets a free path in that category's
// folder. The same name and category keep the path it has, so probing a download again (a
// video after a restart, whose parts folder lies beside that path) never moves it to
// "name (2)". Takes the manager lock itself (the disk is checked outside it).
void StoreProbeFindings(DownloadManager& m, DownloadItem& item, const ProbeFindings& found);

}  // namespace vonu
