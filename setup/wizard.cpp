#include "setup/wizard.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "browser/program_file.h"
#include "l10n/language.h"
#include "model/product_site.h"
#include "model/unique_handle.h"
#include "model/version.h"
#include "setup/carried_files.h"
#include "setup/close_running.h"
#include "setup/install_folder.h"
#include "setup/install_steps.h"
#include "setup/setup_command_line.h"
#include "setup/setup_resource.h"
#include "setup/setup_texts.h"
#include "setup/setup_ui.h"

namespace vonu {
namespace {

constexpr UINT kProgressMessage = WM_APP + 1;
constexpr UINT kFinishedMessage = WM_APP + 2;
constexpr UINT kStartElevatedMessage = WM_APP + 3;

enum Page { kWelcome, kLicense, kFolder, kOptions, kInstalling, kFinished, kPageCount };
constexpr int kPageDialogs[kPageCount] = {IDD_SETUP_WELCOME, IDD_SETUP_LICENSE,    IDD_SETUP_FOLDER,
                                          IDD_SETUP_OPTIONS, IDD_SETUP_INSTALLING, IDD_SETUP_FINISHED};
// Header texts of pages 1 to 4.
constexpr const wchar_t* kHeaderTitles[kPageCount] = {nullptr, L"License agreement", L"Install folder", L"Options",
                                                      L"Installing", nullptr};
constexpr const wchar_t* kHeaderSubtitles[kPageCount] = {
    nullptr, L"Please read these terms before you install Vonu", L"Choose where Vonu will be installed",
    L"Choose what setup should add", L"Please wait while setup installs Vonu", nullptr};

constexpr COLORREF kPanel = RGB(38, 40, 44);
constexpr COLORREF kPanelGrey = RGB(154, 157, 163);
constexpr COLORREF kAccent = RGB(217, 134, 26);
constexpr COLORREF kDimSquare = RGB(58, 60, 65);
constexpr COLORREF kTitleText = RGB(28, 28, 30);
constexpr COLORREF kBodyText = RGB(91, 91, 97);
constexpr COLORREF kHeaderLine = RGB(217, 218, 222);
constexpr COLORREF kBarBack = RGB(230, 231, 234);

// What the install thread is asked to do.
enum class InstallPart { Everything, FilesOnly, UserPartsOnly };

struct Wizard {
    HINSTANCE instance = nullptr;
    HWND frame = nullptr;
    HWND pages[kPageCount] = {};
    int page = kWelcome;
    bool elevated = false;
    bool installing = false;
    bool failed = false;
    int exitCode = 0;

    std::wstring folder;
    bool desktop = true, startMenu = true, autorun = true;

    std::vector<FileToInstall> files;
    std::wstring missingResource;
    uint64_t totalSize = 0;

    std::mutex lock;  // guards status and error, written by the install thread
    std::wstring status;
    std::wstring error;
    std::atomic<int> progress{0};
    std::thread worker;

    HFONT pageTitleFont = nullptr, headerTitleFont = nullptr, productFont = nullptr, smallFont = nullptr;
    HICON icon = nullptr;
    HBRUSH white = nullptr;
};

Wizard* g_wizard = nullptr;  // the one wizard of the process, UI thread only

HWND Item(int page, int id) { return GetDlgItem(g_wizard->pages[page], id); }
HWND FrameItem(int id) { return GetDlgItem(g_wizard->frame, id); }
bool Checked(int page, int id) { return IsDlgButtonChecked(g_wizard->pages[page], id) == BST_CHECKED; }
void Check(int page, int id, bool on) { CheckDlgButton(g_wizard->pages[page], id, on ? BST_CHECKED : BST_UNCHECKED); }
void SetText(HWND window, const std::wstring& text) { SetWindowTextW(window, text.c_str()); }

std::wstring EditText(HWND edit) {
    const int length = GetWindowTextLengthW(edit);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

RECT DialogRect(int left, int top, int right, int bottom) {
    RECT r{left, top, right, bottom};
    MapDialogRect(g_wizard->frame, &r);
    return r;
}

HFONT MakeFont(HWND window, double points, int weight) {
    LOGFONTW font{};
    HFONT base = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    GetObjectW(base ? base : GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    HDC dc = GetDC(window);
    font.lfHeight = -static_cast<LONG>(points * GetDeviceCaps(dc, LOGPIXELSY) / 72.0 + 0.5);
    ReleaseDC(window, dc);
    font.lfWeight = weight;
    return CreateFontIndirectW(&font);
}

// --- Painting -----------------------------------------------------------------------------

void DrawTextIn(HDC dc, const std::wstring& text, RECT r, HFONT font, COLORREF colour, UINT flags) {
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text.c_str(), -1, &r, flags | DT_NOPREFIX | (IsArabicInterface() ? DT_RTLREADING : 0));
    SelectObject(dc, old);
}

void Fill(HDC dc, RECT r, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void PaintSidePanel(HDC dc) {
    Wizard& w = *g_wizard;
    const RECT panel = DialogRect(0, 0, 140, 238);
    Fill(dc, panel, kPanel);
    const int width = panel.right - panel.left;
    const int iconSize = GetSystemMetrics(SM_CXICON) * 3 / 2;
    const int iconTop = width * 2 / 5;
    DrawIconEx(dc, (width - iconSize) / 2, iconTop, w.icon, iconSize, iconSize, 0, nullptr, DI_NORMAL);
    RECT name{0, iconTop + iconSize + 8, width, iconTop + iconSize + 50};
    DrawTextIn(dc, SetupText(L"Vonu"), name, w.productFont, RGB(255, 255, 255), DT_CENTER | DT_SINGLELINE | DT_TOP);
    RECT sub = DialogRect(0, 0, 140, 12);
    OffsetRect(&sub, 0, name.top + (name.bottom - name.top) - 4);
    DrawTextIn(dc, SetupText(L"Download Manager"), sub, w.smallFont, kPanelGrey, DT_CENTER | DT_SINGLELINE);
    // Eight squares near the bottom, the first three in the accent colour.
    const RECT row = DialogRect(0, 200, 6, 204);
    const int square = row.bottom - row.top;
    const int gap = square / 2 + 1;
    const int rowWidth = 8 * square + 7 * gap;
    for (int i = 0; i < 8; ++i) {
        const int left = (width - rowWidth) / 2 + i * (square + gap);
        Fill(dc, RECT{left, row.top, left + square, row.bottom}, i < 3 ? kAccent : kDimSquare);
    }
    RECT version = DialogRect(0, 208, 140, 222);
    DrawTextIn(dc, FillIn(SetupText(L"Version %s"), kVersion), version, w.smallFont, kPanelGrey,
               DT_CENTER | DT_SINGLELINE);
}

void PaintHeader(HDC dc, int page) {
    Wizard& w = *g_wizard;
    RECT band = DialogRect(0, 0, 420, 44);
    Fill(dc, band, RGB(255, 255, 255));
    Fill(dc, RECT{band.left, band.bottom - 1, band.right, band.bottom}, kHeaderLine);
    const RECT title = DialogRect(14, 9, 360, 22);
    DrawTextIn(dc, SetupText(kHeaderTitles[page]), title, w.headerTitleFont, kTitleText, DT_SINGLELINE | DT_LEFT);
    const RECT subtitle = DialogRect(22, 24, 360, 36);
    DrawTextIn(dc, SetupText(kHeaderSubtitles[page]), subtitle, w.smallFont, kBodyText, DT_SINGLELINE | DT_LEFT);
    const int iconSize = GetSystemMetrics(SM_CXICON);
    DrawIconEx(dc, band.right - iconSize - (band.bottom - iconSize) / 2, (band.bottom - iconSize) / 2, w.icon,
               iconSize, iconSize, 0, nullptr, DI_NORMAL);
}

void PaintProgress(const DRAWITEMSTRUCT& item) {
    RECT r = item.rcItem;
    Fill(item.hDC, r, kBarBack);
    const int done = std::clamp(g_wizard->progress.load(), 0, 1000);
    r.right = r.left + static_cast<int>((r.right - r.left) * static_cast<long long>(done) / 1000);
    if (r.right > r.left) Fill(item.hDC, r, kAccent);
}

// --- Pages ----------------------------------------------------------------------------------

bool SidePanelPage(int page) { return page == kWelcome || page == kFinished; }

void RefreshSpaceLines() {
    Wizard& w = *g_wizard;
    const bool arabic = IsArabicInterface();
    SetText(Item(kFolder, IDC_FOLDER_NEEDED), FillIn(SetupText(L"Space needed: %s"), SpaceText(w.totalSize, arabic)));
    std::wstring folder = EditText(Item(kFolder, IDC_FOLDER_EDIT));
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L' ')) folder.pop_back();
    const std::optional<uint64_t> free = FreeSpaceFor(folder);
    SetText(Item(kFolder, IDC_FOLDER_FREE),
            free ? FillIn(SetupText(L"Space free: %s"), SpaceText(*free, arabic)) : std::wstring());
}

void UpdateLicenseRule() {
    if (g_wizard->page == kLicense) EnableWindow(FrameItem(IDC_SETUP_NEXT), Checked(kLicense, IDC_LICENSE_ACCEPT));
}

void ShowPage(int page) {
    Wizard& w = *g_wizard;
    w.page = page;
    for (int i = 0; i < kPageCount; ++i) ShowWindow(w.pages[i], i == page ? SW_SHOW : SW_HIDE);
    HWND back = FrameItem(IDC_SETUP_BACK);
    HWND next = FrameItem(IDC_SETUP_NEXT);
    HWND cancel = FrameItem(IDCANCEL);
    ShowWindow(back, page == kWelcome || page == kFinished ? SW_HIDE : SW_SHOW);
    EnableWindow(back, page != kInstalling);
    EnableWindow(next, page != kInstalling);
    EnableWindow(cancel, page != kInstalling && page != kFinished);
    ShowWindow(cancel, page == kFinished ? SW_HIDE : SW_SHOW);
    SetText(next, SetupText(page == kOptions ? L"Install" : page == kFinished ? L"Finish" : L"Next >"));
    if (page == kLicense) {
        UpdateLicenseRule();
        SetFocus(Item(kLicense, Checked(kLicense, IDC_LICENSE_ACCEPT) ? IDC_LICENSE_ACCEPT : IDC_LICENSE_DECLINE));
    }
    if (page == kFolder) RefreshSpaceLines();
    InvalidateRect(w.frame, nullptr, TRUE);
}

// The folder from the edit box and the options from their boxes. Invalid: the reason is shown.
bool TakeFolderAndOptions(bool tell) {
    Wizard& w = *g_wizard;
    w.desktop = Checked(kOptions, IDC_OPTIONS_DESKTOP);
    w.startMenu = Checked(kOptions, IDC_OPTIONS_STARTMENU);
    w.autorun = Checked(kOptions, IDC_OPTIONS_AUTORUN);
    const FolderCheck check = CheckInstallFolder(EditText(Item(kFolder, IDC_FOLDER_EDIT)), LongestInstalledName());
    if (check.ok) {
        w.folder = check.folder;
        return true;
    }
    if (tell) {
        std::wstring text = SetupText(L"Choose a folder for Vonu.");
        if (!check.reason.empty()) text += L"\r\n\r\n" + SetupText(check.reason);
        ShowSetupMessage(w.frame, text.c_str(), MB_OK | MB_ICONINFORMATION);
    }
    return false;
}

// --- Installing ------------------------------------------------------------------------------

void InstallThread(InstallPart part) {
    Wizard& w = *g_wizard;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const InstallProgress report = [&w](const std::wstring& status, int perMille) {
        {
            std::lock_guard<std::mutex> hold(w.lock);
            w.status = status;
        }
        w.progress.exchange(perMille);
        PostMessageW(w.frame, kProgressMessage, 0, 0);
    };
    InstallOutcome outcome{true, {}};
    if (!w.missingResource.empty())
        outcome = {false, std::wstring(kCannotWriteFolder) + L"\r\n" + w.folder + L"\\" + w.missingResource};
    else if (part != InstallPart::UserPartsOnly)
        outcome = InstallProgramFiles(w.folder, w.files, UncutProgramPath(), report);
    if (outcome.ok && part != InstallPart::FilesOnly)
        InstallUserParts({w.folder, w.desktop, w.startMenu, w.autorun, IsArabicInterface(), w.totalSize}, report);
    {
        std::lock_guard<std::mutex> hold(w.lock);
        w.error = outcome.error;
    }
    CoUninitialize();
    PostMessageW(w.frame, kFinishedMessage, outcome.ok ? 1 : 0, 0);
}

void StartInstalling(InstallPart part) {
    Wizard& w = *g_wizard;
    w.installing = true;
    w.progress.store(part == InstallPart::UserPartsOnly ? 800 : 0);
    SetText(Item(kInstalling, IDC_INSTALL_STATUS), L"");
    ShowPage(kInstalling);
    w.worker = std::thread(InstallThread, part);
}

// Starts the elevated copy and waits for it, pumping messages so the hidden wizard stays alive.
// Returns false when it could not be started (the user said no to the prompt).
bool RunElevatedCopy(DWORD* exitCode) {
    Wizard& w = *g_wizard;
    std::wstring dir;
    if (!QuotedSwitch(L"dir", w.folder, &dir)) return false;
    const std::wstring parameters = std::wstring(L"/elevated /lang=") + (IsArabicInterface() ? L"ar" : L"en") + L" " +
                                    dir + L" /desktop=" + (w.desktop ? L"1" : L"0") + L" /startmenu=" +
                                    (w.startMenu ? L"1" : L"0") + L" /autorun=" + (w.autorun ? L"1" : L"0");
    const std::wstring self = UncutProgramPath();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = w.frame;
    info.lpVerb = L"runas";
    info.lpFile = self.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (self.empty() || !ShellExecuteExW(&info) || !info.hProcess) return false;
    KernelHandle process(info.hProcess);
    ShowWindow(w.frame, SW_HIDE);
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    GetExitCodeProcess(process.get(), exitCode);
    return true;
}

bool FolderIsWritable(const std::wstring& folder) {
    const int made = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS) return false;
    FileHandle check(CreateFileW((folder + L"\\vonu-setup-check.tmp").c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return static_cast<bool>(check);
}

void OnInstallClicked() {
    Wizard& w = *g_wizard;
    if (!TakeFolderAndOptions(true)) {
        ShowPage(kFolder);
        return;
    }
    if (!CloseRunning(w.frame, true) && FindVonuWindow()) {
        ShowSetupMessage(w.frame, L"Close Vonu, then try again.", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (FolderIsWritable(w.folder)) {
        StartInstalling(InstallPart::Everything);
        return;
    }
    if (ShowSetupMessage(w.frame, L"Setup needs administrator rights to install in this folder. Continue?",
                         MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    DWORD code = 1;
    if (!RunElevatedCopy(&code)) return;  // refused: stay on Options
    if (code != 0) {
        // The elevated copy has shown why it stopped.
        EndDialog(w.frame, 0);
        return;
    }
    ShowWindow(w.frame, SW_SHOW);
    SetForegroundWindow(w.frame);
    StartInstalling(InstallPart::UserPartsOnly);
}

void OnFinishClicked() {
    Wizard& w = *g_wizard;
    if (!w.failed) {
        if (Checked(kFinished, IDC_FINISHED_RUN)) {
            const std::wstring program = w.folder + L"\\Vonu.exe";
            ShellExecuteW(w.frame, L"open", program.c_str(), nullptr, w.folder.c_str(), SW_SHOWNORMAL);
        }
        if (Checked(kFinished, IDC_FINISHED_EXTENSION)) {
            const std::wstring page =
                std::wstring(kProductSite) + (IsArabicInterface() ? L"/extension.html" : L"/en/extension.html");
            ShellExecuteW(w.frame, L"open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        }
    }
    EndDialog(w.frame, w.failed && w.elevated ? kElevatedInstallFailed : 0);
}

void OnNext() {
    Wizard& w = *g_wizard;
    switch (w.page) {
        case kWelcome:
            ShowPage(kLicense);
            break;
        case kLicense:
            if (Checked(kLicense, IDC_LICENSE_ACCEPT)) ShowPage(kFolder);
            break;
        case kFolder:
            if (TakeFolderAndOptions(true)) ShowPage(kOptions);
            break;
        case kOptions:
            OnInstallClicked();
            break;
        case kFinished:
            OnFinishClicked();
            break;
        default:
            break;
    }
}

void OnBack() {
    Wizard& w = *g_wizard;
    if (w.page >= kLicense && w.page <= kOptions) ShowPage(w.page - 1);
}

void OnCancel() {
    Wizard& w = *g_wizard;
    if (w.installing) return;
    if (w.page == kFinished) {
        // Closing the finished wizard starts nothing.
        EndDialog(w.frame, w.failed && w.elevated ? kElevatedInstallFailed : 0);
        return;
    }
    if (ShowSetupMessage(w.frame, L"Are you sure you want to cancel setup? Vonu will not be installed.",
                         MB_YESNO | MB_ICONQUESTION) == IDYES)
        EndDialog(w.frame, 0);
}

void OnBrowse() {
    Wizard& w = *g_wizard;
    IFileOpenDialog* dialog = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                reinterpret_cast<void**>(&dialog))))
        return;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM);
    IShellItem* item = nullptr;
    wchar_t* path = nullptr;
    if (SUCCEEDED(dialog->Show(w.frame)) && SUCCEEDED(dialog->GetResult(&item)) &&
        SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) && path) {
        SetText(Item(kFolder, IDC_FOLDER_EDIT), WithVonuFolder(path));
        RefreshSpaceLines();
    }
    CoTaskMemFree(path);
    if (item) item->Release();
    dialog->Release();
}

// --- Messages of the frame ----------------------------------------------------------------

INT_PTR OnFrameCommand(HWND, WPARAM wParam, LPARAM) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    struct Command {
        int id;
        void (*run)();
    };
    static const Command kCommands[] = {
        {IDC_SETUP_NEXT, OnNext},     {IDC_SETUP_BACK, OnBack},         {IDCANCEL, OnCancel},
        {IDC_FOLDER_BROWSE, OnBrowse}, {IDC_LICENSE_ACCEPT, UpdateLicenseRule}, {IDC_LICENSE_DECLINE, UpdateLicenseRule},
    };
    if (id == IDC_FOLDER_EDIT) {
        if (code == EN_CHANGE) RefreshSpaceLines();
        return TRUE;
    }
    if (code != BN_CLICKED) return FALSE;
    for (const Command& c : kCommands)
        if (c.id == id) {
            c.run();
            return TRUE;
        }
    return FALSE;
}

INT_PTR OnFramePaint(HWND frame, WPARAM, LPARAM) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(frame, &ps);
    if (SidePanelPage(g_wizard->page))
        PaintSidePanel(dc);
    else
        PaintHeader(dc, g_wizard->page);
    EndPaint(frame, &ps);
    return TRUE;
}

INT_PTR OnProgress(HWND, WPARAM, LPARAM) {
    Wizard& w = *g_wizard;
    std::wstring status;
    {
        std::lock_guard<std::mutex> hold(w.lock);
        status = w.status;
    }
    // "Copying <file>" carries its file name; every other status is a text of the table.
    if (status.starts_with(L"Copying "))
        status = FillIn(SetupText(L"Copying %s"), status.substr(8));
    else
        status = SetupText(status);
    SetText(Item(kInstalling, IDC_INSTALL_STATUS), status);
    InvalidateRect(Item(kInstalling, IDC_INSTALL_PROGRESS), nullptr, FALSE);
    return TRUE;
}

INT_PTR OnInstallFinished(HWND, WPARAM wParam, LPARAM) {
    Wizard& w = *g_wizard;
    if (w.worker.joinable()) w.worker.join();
    w.installing = false;
    const bool ok = wParam != 0;
    if (ok && w.elevated) {
        // The waiting wizard of the user writes the rest.
        EndDialog(w.frame, 0);
        return TRUE;
    }
    if (!ok) {
        w.failed = true;
        std::wstring error;
        {
            std::lock_guard<std::mutex> hold(w.lock);
            error = w.error;
        }
        // The error's first line is a table text, a path may follow.
        const size_t lineEnd = error.find(L"\r\n");
        error = SetupText(error.substr(0, lineEnd)) + (lineEnd == std::wstring::npos ? L"" : error.substr(lineEnd));
        SetText(Item(kFinished, IDC_FINISHED_TITLE), SetupText(L"Setup could not finish"));
        SetText(Item(kFinished, IDC_FINISHED_TEXT),
                FillIn(SetupText(L"Setup could not install Vonu:\r\n%s\r\n\r\nNothing was changed. Click Finish to "
                                 L"close setup."),
                       error));
        ShowWindow(Item(kFinished, IDC_FINISHED_RUN), SW_HIDE);
        ShowWindow(Item(kFinished, IDC_FINISHED_EXTENSION), SW_HIDE);
    }
    ShowPage(kFinished);
    return TRUE;
}

INT_PTR OnStartElevated(HWND, WPARAM, LPARAM) {
    Wizard& w = *g_wizard;
    // The copy that writes the files closes Vonu itself: a browser's host may have started it
    // since the user's wizard closed it.
    if (!CloseRunning(w.frame, false)) {
        ShowSetupMessage(w.frame, L"Close Vonu, then try again.", MB_OK | MB_ICONINFORMATION);
        EndDialog(w.frame, kElevatedVonuRunning);
        return TRUE;
    }
    StartInstalling(InstallPart::FilesOnly);
    return TRUE;
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

INT_PTR OnFrameInit(HWND frame, WPARAM, LPARAM) {
    Wizard& w = *g_wizard;
    w.frame = frame;
    w.pageTitleFont = MakeFont(frame, 16, FW_SEMIBOLD);
    w.headerTitleFont = MakeFont(frame, 9.5, FW_SEMIBOLD);
    w.productFont = MakeFont(frame, 20, FW_SEMIBOLD);
    w.smallFont = MakeFont(frame, 9, FW_NORMAL);
    w.icon = static_cast<HICON>(LoadImageW(w.instance, MAKEINTRESOURCEW(IDI_SETUP), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    SendMessageW(frame, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(w.icon));
    SendMessageW(frame, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadImageW(w.instance, MAKEINTRESOURCEW(IDI_SETUP), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    for (int i = 0; i < kPageCount; ++i) {
        w.pages[i] = CreateDialogParamW(w.instance, MAKEINTRESOURCEW(kPageDialogs[i]), frame, PageProc, i);
        const RECT r = SidePanelPage(i) ? DialogRect(140, 0, 420, 238) : DialogRect(0, 44, 420, 238);
        SetWindowPos(w.pages[i], HWND_BOTTOM, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
    }
    SetText(Item(kWelcome, IDC_WELCOME_TEXT),
            FillIn(SetupText(L"Setup will install Vonu Download Manager %s on your computer.\r\n\r\nVonu splits each "
                             L"file across several connections, resumes downloads when the internet drops, and "
                             L"catches downloads from your browser.\r\n\r\nClick Next to continue."),
                   kVersion));
    SetText(Item(kLicense, IDC_LICENSE_INTRO), LicenceIntro());
    SetText(Item(kLicense, IDC_LICENSE_TEXT), LicenceText());
    Check(kLicense, IDC_LICENSE_DECLINE, true);
    // Longer text than a path may hold is refused with its reason, never cut off.
    SendMessageW(Item(kFolder, IDC_FOLDER_EDIT), EM_SETLIMITTEXT, 1024, 0);
    SetText(Item(kFolder, IDC_FOLDER_EDIT), w.folder);
    Check(kOptions, IDC_OPTIONS_DESKTOP, w.desktop);
    Check(kOptions, IDC_OPTIONS_STARTMENU, w.startMenu);
    Check(kOptions, IDC_OPTIONS_AUTORUN, w.autorun);
    SetText(Item(kFinished, IDC_FINISHED_TEXT),
            SetupText(L"Setup finished installing Vonu on your computer.\r\n\r\nTo catch downloads from your browser, "
                      L"add the Vonu extension."));
    Check(kFinished, IDC_FINISHED_RUN, true);
    Check(kFinished, IDC_FINISHED_EXTENSION, true);
    SendMessageW(Item(kWelcome, IDC_WELCOME_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(w.pageTitleFont), FALSE);
    SendMessageW(Item(kFinished, IDC_FINISHED_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(w.pageTitleFont), FALSE);
    LocalizeSetupDialog(frame);
    ShowPage(kWelcome);
    if (w.elevated) PostMessageW(frame, kStartElevatedMessage, 0, 0);
    return TRUE;
}

INT_PTR OnFrameClose(HWND, WPARAM, LPARAM) {
    OnCancel();
    return TRUE;
}

INT_PTR CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    struct Handler {
        UINT message;
        INT_PTR (*handle)(HWND, WPARAM, LPARAM);
    };
    static const Handler kHandlers[] = {
        {WM_INITDIALOG, OnFrameInit},   {WM_COMMAND, OnFrameCommand},         {WM_PAINT, OnFramePaint},
        {kProgressMessage, OnProgress}, {kFinishedMessage, OnInstallFinished}, {kStartElevatedMessage, OnStartElevated},
        {WM_CLOSE, OnFrameClose},
    };
    for (const Handler& h : kHandlers)
        if (h.message == message) return h.handle(frame, wParam, lParam);
    return FALSE;
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(page, GWLP_USERDATA, lParam);
            LocalizeSetupDialog(page);
            return TRUE;
        case WM_COMMAND:
            // Every control's notice goes to the frame, which holds the one command table.
            return SendMessageW(GetParent(page), WM_COMMAND, wParam, lParam);
        case WM_DRAWITEM:
            if (wParam == IDC_INSTALL_PROGRESS) {
                PaintProgress(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                return TRUE;
            }
            return FALSE;
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            const int index = static_cast<int>(GetWindowLongPtrW(page, GWLP_USERDATA));
            if (!SidePanelPage(index)) return FALSE;
            HDC dc = reinterpret_cast<HDC>(wParam);
            const HWND control = reinterpret_cast<HWND>(lParam);
            const int id = GetDlgCtrlID(control);
            SetTextColor(dc, id == IDC_WELCOME_TITLE || id == IDC_FINISHED_TITLE ? kTitleText : kBodyText);
            SetBkColor(dc, RGB(255, 255, 255));
            return reinterpret_cast<INT_PTR>(g_wizard->white);
        }
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK LanguageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        HWND list = GetDlgItem(dialog, IDC_LANGUAGE_LIST);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"English"));
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"العربية"));
        SendMessageW(list, LB_SETCURSEL, IsArabicInterface() ? 1 : 0, 0);
        LocalizeSetupDialog(dialog);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL ||
                                  (LOWORD(wParam) == IDC_LANGUAGE_LIST && HIWORD(wParam) == LBN_DBLCLK))) {
        const bool ok = LOWORD(wParam) != IDCANCEL;
        if (ok) SetArabicInterface(SendDlgItemMessageW(dialog, IDC_LANGUAGE_LIST, LB_GETCURSEL, 0, 0) == 1);
        EndDialog(dialog, ok ? IDOK : IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

bool ChooseSetupLanguage(HINSTANCE instance) {
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SETUP_LANGUAGE), nullptr, LanguageProc, 0) == IDOK;
}

int RunWizard(HINSTANCE instance, const WizardStart& start) {
    Wizard w;
    w.instance = instance;
    w.elevated = start.elevated;
    w.folder = start.folder;
    w.desktop = start.desktop;
    w.startMenu = start.startMenu;
    w.autorun = start.autorun;
    w.white = CreateSolidBrush(RGB(255, 255, 255));
    if (!LoadCarriedFiles(instance, &w.files, &w.missingResource)) w.files.clear();
    w.totalSize = TotalInstallSize(w.files);
    g_wizard = &w;
    const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SETUP_FRAME), nullptr, FrameProc, 0);
    if (w.worker.joinable()) w.worker.join();
    g_wizard = nullptr;
    for (HFONT font : {w.pageTitleFont, w.headerTitleFont, w.productFont, w.smallFont})
        if (font) DeleteObject(font);
    DeleteObject(w.white);
    return result < 0 ? 1 : static_cast<int>(result);
}

}  // namespace vonu
