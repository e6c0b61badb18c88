#include "ui/update_offer.h"

#include <ctime>

#include "l10n/language.h"
#include "l10n/localization.h"
#include "l10n/text_format.h"
#include "model/data_folder.h"
#include "model/download_manager.h"
#include "model/settings.h"
#include "model/version.h"
#include "ui/message_box.h"
#include "ui/product_site.h"
#include "ui/tray_icon.h"
#include "ui/update_dialog.h"
#include "ui/updater_hooks.h"

namespace vonu {
namespace {

// The next number of a version, as its digits without leading zeros ("" for 0), and the
// rest of the text after the dot that ends it.
std::wstring_view NextNumber(std::wstring_view& rest) {
    size_t digits = 0;
    while (digits < rest.size() && rest[digits] >= L'0' && rest[digits] <= L'9') ++digits;
    std::wstring_view number = rest.substr(0, digits);
    while (!number.empty() && number.front() == L'0') number.remove_prefix(1);
    const size_t dot = rest.find(L'.');
    rest = dot == std::wstring_view::npos ? std::wstring_view() : rest.substr(dot + 1);
    return number;
}

bool Usable(const MainWindow& w) { return IsWindowVisible(w.window) && !IsIconic(w.window); }

}  // namespace

int CompareVersions(std::wstring_view a, std::wstring_view b) {
    for (int i = 0; i < 4; ++i) {
        const std::wstring_view x = NextNumber(a), y = NextNumber(b);
        if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
        if (const int c = x.compare(y); c != 0) return c < 0 ? -1 : 1;
    }
    return 0;
}

bool DailyCheckDue(bool checkUpdates, bool busy, int64_t nowSeconds, int64_t lastCheck) {
    return checkUpdates && !busy && nowSeconds - lastCheck > 86399;
}

bool ShouldOffer(bool asked, const std::wstring& offered, const std::wstring& skipVersion) {
    return CompareVersions(offered, kVersion) > 0 && (asked || offered != skipVersion);
}

void StartUpdateCheck(MainWindow& w, bool asked) {
    if (w.updateCheckBusy || !UpdaterInstalled()) return;
    w.updateCheckBusy = true;
    w.updateCheckAsked = asked;
    const std::wstring& setting = Manager().UpdateUrl;
    Updater().startCheck(w.window, asked, setting.empty() ? std::wstring(kUpdateDescriptionAddress) : setting,
                         IsArabicInterface());
}

void RunDailyUpdateCheck(MainWindow& w) {
    const DownloadManager& m = Manager();
    if (DailyCheckDue(m.CheckUpdates, w.updateCheckBusy, static_cast<int64_t>(std::time(nullptr)),
                      m.LastUpdateCheck))
        StartUpdateCheck(w, false);
}

void HandleUpdateCheckAnswer(MainWindow& w, bool asked, std::unique_ptr<UpdateResult> result) {
    w.updateCheckBusy = false;
    if (!result->ok) {
        if (!asked) return;
        const std::wstring text =
            std::wstring(Translate(
                L"Vonu could not check for updates. Check your internet connection and try again.")) +
            L"\n\n" + TranslateMessageText(result->error);
        ShowMessageBox(w.window, text.c_str(), L"Check for updates", MB_OK | MB_ICONWARNING);
        return;
    }
    DownloadManager& m = Manager();
    m.LastUpdateCheck = static_cast<int64_t>(std::time(nullptr));
    SaveSettings(m, SettingsPath(w.dataFolder));
    if (CompareVersions(result->version, kVersion) <= 0) {
        if (asked) {
            const std::wstring text =
                FormatText(Translate(L"You have the latest version of Vonu (%s)."), kVersion);
            ShowMessageBox(w.window, text.c_str(), L"Check for updates", MB_OK | MB_ICONINFORMATION);
        }
        return;
    }
    if (!ShouldOffer(asked, result->version, m.SkipVersion)) return;
    const std::wstring version = result->version;
    w.pendingUpdate = std::move(result);  // an older offer still pending goes
    if (Usable(w)) {
        ShowPendingUpdateWhenFree(w);  // otherwise the window tick shows it when the window is free
    } else if (w.trayIconPresent) {
        ShowTrayBalloon(
            w.window, Translate(L"Vonu update"),
            FormatText(Translate(L"Version %s is ready. Click here to see what's new."), version.c_str()));
    }
}

void ShowPendingUpdateWhenFree(MainWindow& w) {
    if (!w.pendingUpdate || !IsWindowEnabled(w.window) || !Usable(w)) return;
    const std::unique_ptr<UpdateResult> offer = std::move(w.pendingUpdate);
    // The dialog's loop runs ticks and messages; only the handle is looked at after it.
    const HWND window = w.window;
    const bool exitNow = ShowUpdateDialog(window, *offer, SettingsPath(w.dataFolder));
    if (!IsWindow(window) || MainWindowOf(window) != &w) return;
    if (exitNow) CloseForExit(w);
}

void RemoveOldProgramFile() {
    if (!UpdaterInstalled()) return;
    const std::wstring old = Updater().oldProgramPath();
    if (!old.empty() && GetFileAttributesW(old.c_str()) != INVALID_FILE_ATTRIBUTES) DeleteFileW(old.c_str());
}

}  // namespace vonu
