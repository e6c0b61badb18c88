// The notification-area icon of the main window (icon id 1, callback WM_APP + 1, shell
// version 4 behaviour: the event is in the low word of lParam). User-interface thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "model/download_snapshot.h"

namespace vonu {

inline constexpr UINT kTrayMessage = WM_APP + 1;

// One right click, one menu: with version 4 behaviour the shell may deliver both the button-up
// and the context-menu event for one click, and it may send the second only after the first
// one's menu has closed. A request while the menu is open, or within kTrayMenuTwinMs after it
// closed, is the twin of the click that opened it.
inline constexpr ULONGLONG kTrayMenuTwinMs = 500;
struct TrayMenuGate {
    bool open = false;
    ULONGLONG closedAt = 0;  // GetTickCount64 when the last menu closed; 0 before the first

    bool MayOpen(ULONGLONG now) const { return !open && (closedAt == 0 || now - closedAt >= kTrayMenuTwinMs); }
};

// Adds the icon with the tip "Vonu Download Manager"; true when the shell took it.
bool AddTrayIcon(HWND owner, HICON icon);
void SetTrayTip(HWND owner, const std::wstring& tip);  // cut to 127 characters
void ShowTrayBalloon(HWND owner, const std::wstring& title, const std::wstring& text);
void DeleteTrayIcon(HWND owner);

// "Vonu: %d downloading, %s" with the summed speed while something downloads, else
// "Vonu Download Manager" (translated).
std::wstring TrayTipText(const std::vector<DownloadSnapshot>& downloads);

}  // namespace vonu
