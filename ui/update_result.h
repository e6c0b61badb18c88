// What an update check answers (update/update_check.h) and how the answer reaches the main
// window: WM_APP + 4 with wParam 1 when the user asked and 0 for the automatic check, and
// lParam the result record, which the main window owns from then on.
//
// The record crosses threads only through that message. A posted record is remembered until
// the main window takes it, so a WM_APP + 4 that did not come from a check (another program
// can post any message to the window) is ignored instead of being read as a pointer.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vonu {

inline constexpr UINT kUpdateCheckMessage = WM_APP + 4;

struct UpdateResult {
    bool ok = false;     // the description was read and its signature verified
    std::wstring error;  // one English sentence when !ok
    std::wstring version;
    std::wstring date;
    std::wstring page;
    std::wstring exe;
    std::wstring sha256;              // as received
    std::wstring signature;           // as received
    int64_t size = 0;                 // 0 when absent
    std::vector<std::wstring> notes;  // notes_ar in the Arabic interface when it has lines, else notes_en
};

// Any thread. Posts the record to `window`; when posting fails the record is freed here.
void PostUpdateResult(HWND window, bool asked, std::unique_ptr<UpdateResult> result);

// User-interface thread, for a received WM_APP + 4: the record it carries, or null when the
// value is not a record that PostUpdateResult posted (and not taken yet).
std::unique_ptr<UpdateResult> TakePostedUpdateResult(LPARAM lParam);

}  // namespace vonu
