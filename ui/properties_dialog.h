// "File properties" of one download: the file's icon and type name (asked from the shell by
// extension alone, never from the disk), name, status, size, where it is saved, its
// address (editable while the download is neither Complete nor Downloading), referrer,
// description and dates; Open, Open with... and Open folder act on the file and then
// confirm like OK. OK stores the address and description through ChangeAddress, which
// decides whether the address may change. Modal to `owner`; uses the IDD_PROPERTIES
// resource. User-interface thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "model/download_snapshot.h"

namespace vonu {

// True when confirmed (OK or one of the open buttons); false when cancelled or when the
// download no longer exists.
bool ShowFileProperties(HWND owner, int32_t id);

// The dialog's "Status", "Size" and dates lines for a download (translated).
std::wstring PropertiesStatusText(const DownloadSnapshot& d);
std::wstring PropertiesSizeText(const DownloadSnapshot& d);
std::wstring PropertiesDatesText(const DownloadSnapshot& d);

}  // namespace vonu
