#include "ui/status_bar.h"

#include <commctrl.h>

#include "l10n/display_format.h"
#include "l10n/language.h"
#include "l10n/localization.h"
#include "l10n/text_format.h"
#include "ui/ui_scale.h"

namespace vonu {
namespace {

// Arabic panes read right to left, so a leading number stays at the start of the sentence.
WPARAM ReadingOrder() { return IsArabicInterface() ? SBT_RTLREADING : 0; }

}  // namespace

StatusTexts MakeStatusTexts(const std::vector<DownloadSnapshot>& downloads,
                            const std::vector<DownloadQueue>& queues, bool limiterOn, int32_t limitKB) {
    int downloading = 0;
    double speed = 0;
    for (const DownloadSnapshot& d : downloads) {
        if (d.state != DownloadState::Downloading) continue;
        ++downloading;
        speed += d.speed;
    }
    StatusTexts t;
    t[0] = FormatText(Translate(L"  %d downloading, %d in list"), downloading,
                      static_cast<int>(downloads.size()));
    t[1] = std::wstring(Translate(L"  Total speed ")) + SpeedText(speed);
    if (limiterOn && limitKB > 0)
        t[1] += std::wstring(Translate(L"  (limited to ")) + SpeedText(limitKB * 1024.0) + L")";
    int running = 0;
    const DownloadQueue* first = nullptr;
    for (const DownloadQueue& q : queues)
        if (q.running && running++ == 0) first = &q;
    if (running == 0)
        t[2] = Translate(L"  No queue is running");
    else if (running == 1)
        t[2] = std::wstring(Translate(L"  Running: ")) + Translate(first->name.c_str());
    else
        t[2] = FormatText(Translate(L"  %d queues are running"), running);
    return t;
}

bool StatusBar::Create(HWND parent, HINSTANCE instance, HFONT font) {
    bar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                           parent, nullptr, instance, nullptr);
    if (!bar_) return false;
    SendMessageW(bar_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetParts();
    return true;
}

void StatusBar::SetParts() {
    int edges[3] = {Px(220), Px(560), -1};
    SendMessageW(bar_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
}

void StatusBar::Show(const StatusTexts& texts) {
    for (int i = 0; i < 3; ++i) {
        if (texts[i] == shown_[i]) continue;
        shown_[i] = texts[i];
        SendMessageW(bar_, SB_SETTEXTW, i | ReadingOrder(), reinterpret_cast<LPARAM>(shown_[i].c_str()));
    }
}

void StatusBar::ShowFirst(const std::wstring& text) {
    shown_[0] = text;
    SendMessageW(bar_, SB_SETTEXTW, 0 | ReadingOrder(), reinterpret_cast<LPARAM>(shown_[0].c_str()));
}

}  // namespace vonu
