#include "tools/site_grabber_dialog.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/probe.h"
#include "l10n/localization.h"
#include "l10n/text_format.h"
#include "manager/control.h"
#include "model/download_manager.h"
#include "tools/checked_list.h"
#include "tools/link_tools_resource.h"
#include "tools/site_crawl.h"
#include "ui/dialog_controls.h"
#include "ui/localize_window.h"
#include "ui/message_box.h"

namespace vonu {
namespace {

constexpr wchar_t kTitle[] = L"File Finder";
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMilliseconds = 300;
constexpr int32_t kDefaultQueue = 1;

struct Grabber {
    std::shared_ptr<SearchState> search;  // the current search; null before the first
    size_t shown = 0;                     // results of `search` already in the list
    CheckedList list;
    bool added = false;
};

Grabber* Of(HWND dialog) { return reinterpret_cast<Grabber*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

void Tell(HWND dialog, const std::wstring& text) {
    ShowMessageBox(dialog, text.c_str(), kTitle, MB_OK | MB_ICONINFORMATION);
}

// The File column: the last part of the address cut before its query or fragment.
std::wstring FileColumn(const std::wstring& address) {
    const std::wstring cut = address.substr(0, address.find_first_of(L"?#"));
    return PathFindFileNameW(cut.c_str());
}

void StopCurrent(HWND dialog, Grabber& g) {
    KillTimer(dialog, kPollTimer);
    if (g.search) StopSearch(Manager(), *g.search);
}

void Poll(HWND dialog, Grabber& g) {
    if (!g.search) return;
    std::vector<CrawlResult> fresh;
    int pages = 0;
    std::wstring error;
    const bool done = g.search->done;  // read first: results the crawl made before it ended are copied below
    {
        std::lock_guard guard(g.search->lock);
        const auto& results = g.search->results;
        fresh.assign(results.begin() + static_cast<std::ptrdiff_t>(g.shown), results.end());
        g.shown = results.size();
        pages = g.search->pages;
        error = g.search->error;
    }
    if (!fresh.empty()) {
        std::vector<std::wstring> files, addresses;
        for (const CrawlResult& r : fresh) {
            files.push_back(FileColumn(r.file));
            addresses.push_back(r.file);
        }
        g.list.Append(files, addresses, std::vector<bool>(fresh.size(), true));
    }
    if (done) {
        KillTimer(dialog, kPollTimer);
        EnableWindow(GetDlgItem(dialog, IDC_SG_FIND), TRUE);
    }
    std::wstring status;
    if (done && pages == 0 && !error.empty())
        status = std::wstring(Translate(L"Could not open the page:")) + L" " + TranslateMessageText(error);
    else if (done)
        status = FormatText(Translate(L"Done. Looked at %d pages and found %d files"), pages, g.list.Rows());
    else
        status = FormatText(Translate(L"Looking... %d pages so far, %d files found"), pages, g.list.Rows());
    SetDlgItemTextW(dialog, IDC_SG_STATUS, status.c_str());
}

void FindFiles(HWND dialog, Grabber& g) {
    std::wstring start = TrimBlanks(DialogItemText(dialog, IDC_SG_START));
    if (!start.empty() && start.find(L"://") == std::wstring::npos) start = L"https://" + start;
    if (!start.starts_with(L"http://") && !start.starts_with(L"https://")) {
        Tell(dialog, L"Enter a page address that starts with http:// or https://");
        return;
    }
    CrawlRequest request;
    request.types = WantedTypes(DialogItemText(dialog, IDC_SG_TYPES));
    if (request.types.empty()) {
        Tell(dialog, L"Enter at least one file type, for example zip pdf");
        return;
    }
    StopCurrent(dialog, g);  // an earlier search is abandoned; its thread ends on its own
    g.search = std::make_shared<SearchState>();
    g.shown = 0;
    g.list.Clear();
    request.startPage = start;
    const LRESULT depth = SendDlgItemMessageW(dialog, IDC_SG_DEPTH, CB_GETCURSEL, 0, 0);
    request.depth = depth >= 0 && depth <= 3 ? static_cast<int>(depth) : 1;
    request.stay = IsDlgButtonChecked(dialog, IDC_SG_STAY) == BST_CHECKED;
    SetDlgItemTextW(dialog, IDC_SG_STATUS, FormatText(Translate(L"Looking... %d pages so far, %d files found"), 0, 0).c_str());
    EnableWindow(GetDlgItem(dialog, IDC_SG_FIND), FALSE);
    // Refused by the system: the state is done with its sentence, which the first poll shows.
    (void)StartCrawl(Manager(), g.search, std::move(request));
    SetTimer(dialog, kPollTimer, kPollMilliseconds, nullptr);
}

void AddTicked(HWND dialog, Grabber& g, bool start) {
    const std::vector<std::wstring> ticked = g.list.TickedAddresses();
    if (ticked.empty() || !g.search) {
        Tell(dialog, L"Tick the files you want first");
        return;
    }
    std::unordered_map<std::wstring, std::wstring> pageOf;
    {
        std::lock_guard guard(g.search->lock);
        pageOf.reserve(g.search->results.size());
        for (const CrawlResult& r : g.search->results) pageOf.emplace(r.file, r.page);
    }
    DownloadManager& m = Manager();
    for (const std::wstring& address : ticked) {
        DownloadOptions options;
        options.referrer = pageOf[address];
        MoveToQueue(m, AddDownload(address, options), kDefaultQueue);
    }
    if (start) StartQueue(m, kDefaultQueue);
    g.added = true;
    StopCurrent(dialog, g);
    Tell(dialog, FormatText(Translate(start ? L"%d files were added to the default queue, and it has started"
                                            : L"%d files were added to the default queue"),
                            static_cast<int>(ticked.size())));
    EndDialog(dialog, IDOK);
}

void Init(HWND dialog, Grabber& g) {
    LocalizeWindow(dialog);
    g.list.Attach(GetDlgItem(dialog, IDC_SG_LIST));
    HWND depth = GetDlgItem(dialog, IDC_SG_DEPTH);
    for (const wchar_t* entry : {L"This page only", L"1 level deep", L"2 levels deep", L"3 levels deep"})
        SendMessageW(depth, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Translate(entry)));
    SendMessageW(depth, CB_SETCURSEL, 1, 0);
    CheckDlgButton(dialog, IDC_SG_STAY, BST_CHECKED);
    SetDlgItemTextW(dialog, IDC_SG_TYPES, L"zip rar 7z pdf exe msi mp3 mp4 mkv jpg png");
    SetDlgItemTextW(dialog, IDC_SG_STATUS, Translate(L"Enter a page address and the kinds of files to look for"));
    ReadLeftToRight(GetDlgItem(dialog, IDC_SG_START));
    ReadLeftToRight(GetDlgItem(dialog, IDC_SG_TYPES));
}

INT_PTR CALLBACK SiteGrabberProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        Init(dialog, *reinterpret_cast<Grabber*>(lParam));
        return TRUE;
    }
    Grabber* g = Of(dialog);
    if (!g) return FALSE;
    switch (message) {
        case WM_TIMER:
            if (wParam == kPollTimer) Poll(dialog, *g);
            return TRUE;
        case WM_NOTIFY:
            g->list.OnNotify(*reinterpret_cast<NMHDR*>(lParam));
            return FALSE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_SG_FIND:
                    FindFiles(dialog, *g);
                    return TRUE;
                case IDC_SG_ALL:
                case IDC_SG_NONE:
                    g->list.TickAll(LOWORD(wParam) == IDC_SG_ALL);
                    return TRUE;
                case IDC_SG_DOWNLOAD:
                case IDC_SG_QUEUE:
                    AddTicked(dialog, *g, LOWORD(wParam) == IDC_SG_DOWNLOAD);
                    return TRUE;
                case IDCANCEL:
                    StopCurrent(dialog, *g);
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
            }
            break;
        case WM_DESTROY:
            StopCurrent(dialog, *g);  // however the dialog goes, its search goes with it
            return FALSE;
    }
    return FALSE;
}

}  // namespace

bool RunSiteGrabber(HWND owner) {
    Grabber g;
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SITE_GRABBER), owner, SiteGrabberProc,
                    reinterpret_cast<LPARAM>(&g));
    return g.added;
}

}  // namespace vonu
