#include "tools/link_commands.h"

#include <string>
#include <vector>

#include "l10n/localization.h"
#include "l10n/text_format.h"
#include "model/download_manager.h"
#include "tools/batch_dialogs.h"
#include "tools/clipboard_rules.h"
#include "tools/link_extraction.h"
#include "tools/site_grabber_dialog.h"
#include "ui/address_dialog.h"
#include "ui/dialog_controls.h"
#include "ui/link_tools_hooks.h"
#include "ui/message_box.h"

namespace vonu {
namespace {

void Tell(HWND owner, const std::wstring& text, const wchar_t* title, UINT icon = MB_ICONINFORMATION) {
    ShowMessageBox(owner, text.c_str(), title, MB_OK | icon);
}

}  // namespace

bool BatchFromClipboard(HWND owner) {
    // As much text as import reads from a file: a bigger clipboard is not a list of links.
    const std::vector<std::wstring> links = ExtractLinks(ClipboardUnicodeText(owner, kLinkFileCap));
    if (links.empty()) {
        Tell(owner, L"There are no links in the clipboard. Copy some links, then try again.", L"Batch download");
        return false;
    }
    return ShowBatchList(owner, links);
}

bool ImportLinks(HWND owner) {
    const std::optional<std::wstring> chosen =
        AskForFile(owner, false, L"Text and web pages (*.txt;*.htm;*.html)|*.txt;*.htm;*.html|All files (*.*)|*.*||");
    if (!chosen) return false;
    const std::wstring& file = *chosen;
    std::wstring text;
    if (!ReadTextFile(file, text)) {
        Tell(owner, L"Cannot read this file", L"Import links", MB_ICONWARNING);
        return false;
    }
    const std::vector<std::wstring> links = ExtractLinks(text);
    if (links.empty()) {
        Tell(owner, L"No links were found in this file", L"Import links");
        return false;
    }
    return ShowBatchList(owner, links);
}

void ExportDownloadList(HWND owner) {
    constexpr wchar_t kTitle[] = L"Export the download list";
    std::vector<std::wstring> addresses;
    for (const DownloadSnapshot& d : Manager().SnapshotAll()) addresses.push_back(d.url);
    if (addresses.empty()) {
        Tell(owner, L"The download list is empty", kTitle);
        return;
    }
    const std::optional<std::wstring> chosen =
        AskForFile(owner, true, L"Text files (*.txt)|*.txt||", L"Vonu downloads.txt", {}, L"txt");
    if (!chosen) return;
    const std::wstring& file = *chosen;
    // Through a temporary file and a move: an old list is replaced only by a whole new one,
    // and a failed write says so instead of counting links that are not on disk.
    const WriteResult written = WriteExportedList(file, addresses);
    if (!written.ok) {
        Tell(owner,
             std::wstring(Translate(L"The list could not be saved.")) + L"\n" + TranslateMessageText(written.error),
             kTitle, MB_ICONWARNING);
        return;
    }
    Tell(owner,
         FormatText(Translate(L"%d links were saved. You can add them again later with Import links."),
                    static_cast<int>(addresses.size())),
         kTitle);
}

namespace {

ClipboardLinks OfferOf(std::wstring_view text, const std::vector<DownloadSnapshot>& snapshot) {
    ClipboardOffer offer = ClipboardOfferFor(Manager(), text, snapshot);
    return {std::move(offer.single), std::move(offer.links)};
}

}  // namespace

void InstallLinkTools() {
    SetLinkToolsHooks(
        {RunBatchDownload, BatchFromClipboard, RunSiteGrabber, ImportLinks, ExportDownloadList, ShowBatchList, OfferOf,
         ExtractLinks});
}

}  // namespace vonu
