#include "ui/tray_icon.h"

#include <shellapi.h>

#include <algorithm>

#include "l10n/display_format.h"
#include "l10n/localization.h"
#include "l10n/text_format.h"
#include "model/download_types.h"

namespace vonu {
namespace {

NOTIFYICONDATAW BaseRecord(HWND owner) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = 1;
    return data;
}

template <size_t N>
void CopyCut(wchar_t (&target)[N], const std::wstring& text, size_t limit) {
    const size_t n = std::min({text.size(), limit, N - 1});
    std::copy_n(text.c_str(), n, target);
    target[n] = L'\0';
}

}  // namespace

bool AddTrayIcon(HWND owner, HICON icon) {
    NOTIFYICONDATAW data = BaseRecord(owner);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = icon;
    CopyCut(data.szTip, Translate(L"Vonu Download Manager"), 127);
    if (!Shell_NotifyIconW(NIM_ADD, &data)) return false;
    data.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconW(NIM_SETVERSION, &data);
    return true;
}

void SetTrayTip(HWND owner, const std::wstring& tip) {
    NOTIFYICONDATAW data = BaseRecord(owner);
    data.uFlags = NIF_TIP | NIF_SHOWTIP;
    CopyCut(data.szTip, tip, 127);
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void ShowTrayBalloon(HWND owner, const std::wstring& title, const std::wstring& text) {
    NOTIFYICONDATAW data = BaseRecord(owner);
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_INFO;
    CopyCut(data.szInfoTitle, title, 63);
    CopyCut(data.szInfo, text, 255);
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void DeleteTrayIcon(HWND owner) {
    NOTIFYICONDATAW data = BaseRecord(owner);
    Shell_NotifyIconW(NIM_DELETE, &data);
}

std::wstring TrayTipText(const std::vector<DownloadSnapshot>& downloads) {
    int downloading = 0;
    double speed = 0;
    for (const DownloadSnapshot& d : downloads) {
        if (d.state != DownloadState::Downloading) continue;
        ++downloading;
        speed += d.speed;
    }
    if (downloading == 0) return Translate(L"Vonu Download Manager");
    const std::wstring speedText = SpeedText(speed);  // the same forms as the tray tip needs
    return FormatText(Translate(L"Vonu: %d downloading, %s"), downloading, speedText.c_str());
}

}  // namespace vonu
