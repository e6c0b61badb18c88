#include "tools/link_commands.h"

#include <commdlg.h>

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

// The open (save false) or save dialog; the chosen path, empty when cancelled.
std::wstring AskForFile(HWND owner, bool save, const wchar_t* filterText, const std::wstring& proposed = {},
                        const wchar_t* extension = nullptr) {
    std::wstring file = proposed;
    file.resize(32768, L'\0');  // long paths fit
    const std::wstring filter = FileDialogFilter(filterText);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = extension;
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return {};
    file.resize(wcslen(file.c_str()));
    return file;
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
    const std::wstring file =
        AskForFile(owner, false, L"Text and web pages (*.txt;*.htm;*.html)|*.txt;*.htm;*.html|All files (*.*)|*.*||");
    if (file.empty()) return false;
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
    const std::wstring file = AskForFile(owner, true, L"Text files (*.txt)|*.txt||", L"Vonu downloads.txt", L"txt");
    if (file.empty()) return;
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
