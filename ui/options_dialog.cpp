#include "ui/options_dialog.h"

#include <windowsx.h>
#include <commctrl.h>
#include <shellapi.h>
#include <uxtheme.h>

#include <array>
#include <optional>
#include <vector>

#include "engine/http_session.h"
#include "engine/speed_limiter.h"
#include "l10n/language.h"
#include "l10n/localization.h"
#include "model/data_folder.h"
#include "model/download_manager.h"
#include "model/run_entry.h"
#include "model/server_limits.h"
#include "model/settings.h"
#include "model/site_logins.h"
#include "model/user_lists.h"
#include "ui/dialog_controls.h"
#include "ui/localize_window.h"
#include "ui/message_box.h"
#include "ui/options_rules.h"
#include "ui/resource.h"
#include "ui/server_limits_dialog.h"
#include "ui/site_login_dialog.h"

namespace vonu {
namespace {

constexpr wchar_t kTitle[] = L"Options";
constexpr wchar_t kProgramTitle[] = L"Vonu Download Manager";
constexpr wchar_t kEnglishName[] = L"English";
constexpr wchar_t kArabicName[] = L"العربية";
constexpr int kPageCount = 6;

struct PageInfo {
    int resource;
    const wchar_t* title;
};
constexpr std::array<PageInfo, kPageCount> kPages = {{
    {IDD_OPT_CONNECTION, L"Connection"},
    {IDD_OPT_SAVE_TO, L"Save To"},
    {IDD_OPT_DOWNLOADS, L"Downloads"},
    {IDD_OPT_PROXY, L"Proxy"},
    {IDD_OPT_LOGINS, L"Site logins"},
    {IDD_OPT_ANTIVIRUS, L"Antivirus"},
}};

// Text boxes are capped at what the settings load reads back whole (its buffer sizes).
struct TextCap {
    int id;
    int chars;
};
constexpr TextCap kTextCaps[] = {
    {IDC_OPT_MAX_ACTIVE, 20},  {IDC_OPT_SPEED_LIMIT, 20}, {IDC_OPT_MAX_PER_SERVER, 20},
    {IDC_OPT_BASE_DIR, 519},   {IDC_OPT_PROXY_SERVER, 1023}, {IDC_OPT_PAC_URL, 1023},
    {IDC_OPT_SCAN_EXE, 1023},  {IDC_OPT_SCAN_ARGS, 1023},
};

// Edit boxes that hold a path, an address or a host: left to right in Arabic too.
constexpr int kLeftToRight[] = {IDC_OPT_BASE_DIR, IDC_OPT_PROXY_SERVER, IDC_OPT_PAC_URL, IDC_OPT_SCAN_EXE,
                                IDC_OPT_SCAN_ARGS};

struct Options {
    std::wstring dataFolder;
    EditedSettings settings;
    std::vector<ServerLimit> limits;
    std::vector<SiteLogin> logins;
    bool runAtStart = false;
    std::array<HWND, kPageCount> pages{};
    int current = 0;
    OptionsOutcome outcome;
};

Options& StateOf(HWND window) { return *reinterpret_cast<Options*>(GetWindowLongPtrW(window, DWLP_USER)); }

// Control ids are unique across the pages: the page that holds one is found by asking each.
HWND Control(const Options& o, int id) {
    for (HWND page : o.pages)
        if (HWND c = page ? GetDlgItem(page, id) : nullptr) return c;
    return nullptr;
}
std::wstring Text(const Options& o, int id) { return ControlText(Control(o, id)); }
void SetText(const Options& o, int id, const std::wstring& text) { SetWindowTextW(Control(o, id), text.c_str()); }
bool Checked(const Options& o, int id) { return Button_GetCheck(Control(o, id)) == BST_CHECKED; }
void Check(const Options& o, int id, bool on) { Button_SetCheck(Control(o, id), on ? BST_CHECKED : BST_UNCHECKED); }

std::wstring OwnProgramPath() {
    std::wstring path(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n < path.size() ? n : 0);
    return path;
}

bool ProgramFileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring RunningLanguage() { return IsArabicInterface() ? L"ar" : L"en"; }

// --- Filling the pages -----------------------------------------------------------------------

void FillLogins(const Options& o) {
    std::vector<std::vector<std::wstring>> rows;
    for (const SiteLogin& l : o.logins) rows.push_back({l.site, l.user});
    FillReportList(Control(o, IDC_OPT_LOGIN_LIST), rows);
}

void FillPages(const Options& o) {
    const EditedSettings& s = o.settings;
    HWND conn = Control(o, IDC_OPT_MAX_CONN);
    for (int choice : kConnectionChoices) ComboBox_AddString(conn, std::to_wstring(choice).c_str());
    ComboBox_SetCurSel(conn, ConnectionChoiceIndex(s.MaxConn));
    SetText(o, IDC_OPT_MAX_ACTIVE, std::to_wstring(s.MaxActive));
    Check(o, IDC_OPT_LIMITER_ON, s.LimiterOn);
    SetText(o, IDC_OPT_SPEED_LIMIT, std::to_wstring(s.SpeedLimitKB));
    SetText(o, IDC_OPT_MAX_PER_SERVER, std::to_wstring(s.MaxPerServer));

    SetText(o, IDC_OPT_BASE_DIR, s.BaseDir);

    Check(o, IDC_OPT_SHOW_PROGRESS, s.ShowProgress);
    Check(o, IDC_OPT_SHOW_COMPLETE, s.ShowComplete);
    Check(o, IDC_OPT_CLIPBOARD, s.Clipboard);
    Check(o, IDC_OPT_MIN_TO_TRAY, s.MinToTray);
    Check(o, IDC_OPT_CHECK_UPDATES, s.CheckUpdates);
    Check(o, IDC_OPT_SOUND, s.Sound);
    Check(o, IDC_OPT_RUN_AT_START, o.runAtStart);
    HWND language = Control(o, IDC_OPT_LANGUAGE);
    ComboBox_AddString(language, kEnglishName);
    ComboBox_AddString(language, kArabicName);
    ComboBox_SetCurSel(language, ArabicChosenAtOpening(s.Language, IsArabicInterface()) ? 1 : 0);

    Check(o, IDC_OPT_PROXY_SYSTEM + static_cast<int>(s.ProxyMode > 3 ? 0 : s.ProxyMode), true);
    SetText(o, IDC_OPT_PROXY_SERVER, s.Proxy);
    SetText(o, IDC_OPT_PAC_URL, s.PacUrl);

    FillLogins(o);

    Check(o, IDC_OPT_SCAN_ON, s.ScanOn);
    SetText(o, IDC_OPT_SCAN_EXE, s.ScanExe);
    SetText(o, IDC_OPT_SCAN_ARGS, s.ScanArgs);
}

// --- Checks ----------------------------------------------------------------------------------

struct Refusal {
    int control = 0;
    std::wstring message;  // translated
};

std::optional<Refusal> CheckNumberBox(const Options& o, int id, int64_t lo, int64_t hi) {
    const NumberCheck n = CheckNumber(Text(o, id), lo, hi);
    if (n.verdict == NumberVerdict::NotInteger) return Refusal{id, Translate(L"Enter an integer.")};
    if (n.verdict == NumberVerdict::OutOfRange)
        return Refusal{id, RangeMessage(Translate(L"Enter an integer between %1 and %2."), lo, hi)};
    return std::nullopt;
}

std::optional<Refusal> CheckPage(const Options& o, int page) {
    switch (page) {
        case 0:
            if (auto r = CheckNumberBox(o, IDC_OPT_MAX_ACTIVE, 1, 10)) return r;
            if (auto r = CheckNumberBox(o, IDC_OPT_SPEED_LIMIT, 0, 10000000)) return r;
            return CheckNumberBox(o, IDC_OPT_MAX_PER_SERVER, 0, 32);
        case 1: {
            const std::wstring folder = TrimBlanks(Text(o, IDC_OPT_BASE_DIR));
            if (!folder.empty() && !IsUsableFolder(folder)) return Refusal{IDC_OPT_BASE_DIR, Translate(kBadFolderMessage)};
            return std::nullopt;
        }
        case 3:
            if (Checked(o, IDC_OPT_PROXY_NAMED) && TrimBlanks(Text(o, IDC_OPT_PROXY_SERVER)).empty())
                return Refusal{IDC_OPT_PROXY_SERVER, Translate(L"Enter the proxy server, for example 127.0.0.1:8080")};
            if (Checked(o, IDC_OPT_PROXY_PAC) && TrimBlanks(Text(o, IDC_OPT_PAC_URL)).empty())
                return Refusal{IDC_OPT_PAC_URL, Translate(L"Enter the address of the proxy configuration script")};
            return std::nullopt;
        case 5:
            if (Checked(o, IDC_OPT_SCAN_ON) && !ProgramFileExists(TrimBlanks(Text(o, IDC_OPT_SCAN_EXE))))
                return Refusal{IDC_OPT_SCAN_EXE, Translate(L"The antivirus program was not found. Choose its file.")};
            return std::nullopt;
    }
    return std::nullopt;
}

void ShowPage(HWND dialog, Options& o, int page) {
    o.current = page;
    TabCtrl_SetCurSel(GetDlgItem(dialog, IDC_OPT_TABS), page);
    for (int i = 0; i < kPageCount; ++i) ShowWindow(o.pages[i], i == page ? SW_SHOW : SW_HIDE);
}

// Shows the refusal on its page, with the focus in the field. True when the page passed.
bool PagePasses(HWND dialog, Options& o, int page) {
    const std::optional<Refusal> r = CheckPage(o, page);
    if (!r) return true;
    ShowPage(dialog, o, page);
    ShowMessageBox(dialog, r->message.c_str(), kTitle, MB_OK | MB_ICONINFORMATION);
    HWND field = Control(o, r->control);
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
    return false;
}

// --- OK --------------------------------------------------------------------------------------

EditedSettings ReadPages(const Options& o) {
    EditedSettings s = o.settings;
    const int conn = ComboBox_GetCurSel(Control(o, IDC_OPT_MAX_CONN));
    if (conn >= 0 && conn < static_cast<int>(std::size(kConnectionChoices)))
        s.MaxConn = static_cast<uint32_t>(kConnectionChoices[conn]);
    s.MaxActive = static_cast<uint32_t>(CheckNumber(Text(o, IDC_OPT_MAX_ACTIVE), 1, 10).value);
    s.LimiterOn = Checked(o, IDC_OPT_LIMITER_ON);
    s.SpeedLimitKB = static_cast<int32_t>(CheckNumber(Text(o, IDC_OPT_SPEED_LIMIT), 0, 10000000).value);
    s.MaxPerServer = static_cast<int32_t>(CheckNumber(Text(o, IDC_OPT_MAX_PER_SERVER), 0, 32).value);
    const std::wstring folder = TrimBlanks(Text(o, IDC_OPT_BASE_DIR));
    if (!folder.empty()) s.BaseDir = WithoutTrailingSlash(folder);
    s.ShowProgress = Checked(o, IDC_OPT_SHOW_PROGRESS);
    s.ShowComplete = Checked(o, IDC_OPT_SHOW_COMPLETE);
    s.Clipboard = Checked(o, IDC_OPT_CLIPBOARD);
    s.MinToTray = Checked(o, IDC_OPT_MIN_TO_TRAY);
    s.CheckUpdates = Checked(o, IDC_OPT_CHECK_UPDATES);
    s.Sound = Checked(o, IDC_OPT_SOUND);
    s.PacUrl = TrimBlanks(Text(o, IDC_OPT_PAC_URL));
    for (uint32_t mode = 0; mode < 4; ++mode)
        if (Checked(o, IDC_OPT_PROXY_SYSTEM + static_cast<int>(mode))) s.ProxyMode = mode;
    s.Proxy = TrimBlanks(Text(o, IDC_OPT_PROXY_SERVER));
    s.ScanOn = Checked(o, IDC_OPT_SCAN_ON);
    s.ScanExe = TrimBlanks(Text(o, IDC_OPT_SCAN_EXE));
    s.ScanArgs = Text(o, IDC_OPT_SCAN_ARGS);
    s.Language = ComboBox_GetCurSel(Control(o, IDC_OPT_LANGUAGE)) == 1 ? L"ar" : L"en";
    return s;
}

void OnOk(HWND dialog, Options& o) {
    // Every page first: a later page's refusal must not leave the earlier ones applied.
    if (!PagePasses(dialog, o, o.current)) return;
    for (int page = 0; page < kPageCount; ++page)
        if (!PagePasses(dialog, o, page)) return;

    DownloadManager& m = Manager();
    const EditedSettings s = ReadPages(o);
    StoreEditedSettings(m, s);
    // Failures of the Run entry are not the user's to fix here; the box shows its state
    // again the next time the dialog opens.
    if (Checked(o, IDC_OPT_RUN_AT_START))
        (void)WriteRunEntry(OwnProgramPath());
    else
        (void)DeleteRunEntry();
    ReplaceServerLimits(m, o.limits);
    ReplaceLogins(m, o.logins);
    const WriteResult lists = SaveCategoriesLoginsAndLimits(m, o.dataFolder);
    const WriteResult settings = SaveSettings(m, SettingsPath(o.dataFolder));
    SetLimiterRate(m);
    OpenHttpSession();
    for (const WriteResult* r : {&settings, &lists})
        if (!r->ok) ShowMessageBox(dialog, r->error.c_str(), kProgramTitle, MB_OK | MB_ICONWARNING);

    o.outcome.confirmed = true;
    if (s.Language != RunningLanguage())
        o.outcome.restartNow = ShowMessageBox(dialog, L"Restart Vonu to use the new language. Restart now?",
                                              kProgramTitle, MB_YESNO | MB_ICONQUESTION) == IDYES;
    EndDialog(dialog, IDOK);
}

// --- Page buttons ----------------------------------------------------------------------------

void EditLogin(HWND page, Options& o, bool add) {
    const int row = SelectedRow(Control(o, IDC_OPT_LOGIN_LIST));
    if (!add && (row < 0 || row >= static_cast<int>(o.logins.size()))) return;
    const std::optional<SiteLogin> edited = EditSiteLoginDialog(page, add ? SiteLogin{} : o.logins[row]);
    if (!edited) return;
    if (add)
        o.logins.push_back(*edited);
    else
        o.logins[row] = *edited;
    FillLogins(o);
}

void RemoveLogin(Options& o) {
    const int row = SelectedRow(Control(o, IDC_OPT_LOGIN_LIST));
    if (row < 0 || row >= static_cast<int>(o.logins.size())) return;
    o.logins.erase(o.logins.begin() + row);
    FillLogins(o);
}

void OnPageCommand(HWND page, Options& o, int id) {
    switch (id) {
        case IDC_OPT_EXCEPTIONS:
            if (auto limits = EditServerLimitsDialog(page, o.limits)) o.limits = std::move(*limits);
            break;
        case IDC_OPT_BASE_DIR_BROWSE:
            if (auto folder = PickFolder(page, TrimBlanks(Text(o, IDC_OPT_BASE_DIR)))) SetText(o, IDC_OPT_BASE_DIR, *folder);
            break;
        case IDC_OPT_SCAN_BROWSE:
            if (auto file = AskForFile(page, false, L"Programs (*.exe)|*.exe||", TrimBlanks(Text(o, IDC_OPT_SCAN_EXE))))
                SetText(o, IDC_OPT_SCAN_EXE, *file);
            break;
        case IDC_OPT_SCAN_DEFENDER:
            SetText(o, IDC_OPT_SCAN_EXE, DefaultScanExe());
            SetText(o, IDC_OPT_SCAN_ARGS, DefaultScanArgs());
            break;
        case IDC_OPT_LOGIN_ADD: EditLogin(page, o, true); break;
        case IDC_OPT_LOGIN_EDIT: EditLogin(page, o, false); break;
        case IDC_OPT_LOGIN_REMOVE: RemoveLogin(o); break;
    }
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(page, DWLP_USER, lParam);
            return FALSE;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) OnPageCommand(page, StateOf(page), LOWORD(wParam));
            return TRUE;
        case WM_NOTIFY: {
            const auto* n = reinterpret_cast<const NMHDR*>(lParam);
            if (n->idFrom == IDC_OPT_LOGIN_LIST && n->code == NM_DBLCLK) EditLogin(page, StateOf(page), false);
            return TRUE;
        }
    }
    return FALSE;
}

// --- The dialog ------------------------------------------------------------------------------

void OnInit(HWND dialog, Options& o) {
    LocalizeWindow(dialog);
    HWND tabs = GetDlgItem(dialog, IDC_OPT_TABS);
    for (int i = 0; i < kPageCount; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(Translate(kPages[i].title));
        SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    RECT area;
    GetWindowRect(tabs, &area);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
    // A mirrored dialog maps right to left: keep the rectangle the right way round.
    if (area.left > area.right) std::swap(area.left, area.right);
    TabCtrl_AdjustRect(tabs, FALSE, &area);
    for (int i = 0; i < kPageCount; ++i) {
        HWND page = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kPages[i].resource), dialog,
                                       PageProc, reinterpret_cast<LPARAM>(&o));
        o.pages[i] = page;
        if (!page) continue;
        EnableThemeDialogTexture(page, ETDT_ENABLETAB);
        LocalizeWindow(page);
        SetWindowPos(page, tabs, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOACTIVATE);
    }
    for (const TextCap& cap : kTextCaps) SendMessageW(Control(o, cap.id), EM_LIMITTEXT, cap.chars, 0);
    for (int id : kLeftToRight) ReadLeftToRight(Control(o, id));
    SetUpReportList(Control(o, IDC_OPT_LOGIN_LIST), {{L"Site", 200}, {L"User name", 150}});
    FillPages(o);
    ShowPage(dialog, o, o.current);
}

INT_PTR CALLBACK OptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            OnInit(dialog, StateOf(dialog));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) OnOk(dialog, StateOf(dialog));
            if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
            return TRUE;
        case WM_NOTIFY: {
            const auto* n = reinterpret_cast<const NMHDR*>(lParam);
            if (n->idFrom != IDC_OPT_TABS) break;
            Options& o = StateOf(dialog);
            if (n->code == TCN_SELCHANGING) {
                // Leaving a page checks it; a refusal keeps it in front.
                const bool passes = !CheckPage(o, o.current);
                if (!passes) PostMessageW(dialog, WM_APP, 0, 0);
                SetWindowLongPtrW(dialog, DWLP_MSGRESULT, passes ? FALSE : TRUE);
                return TRUE;
            }
            if (n->code == TCN_SELCHANGE) ShowPage(dialog, o, TabCtrl_GetCurSel(GetDlgItem(dialog, IDC_OPT_TABS)));
            return TRUE;
        }
        case WM_APP:  // the refusal of a page change, shown once the tab control let go
            PagePasses(dialog, StateOf(dialog), StateOf(dialog).current);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

bool StartProgramAgain() {
    const std::wstring program = OwnProgramPath();
    if (program.empty()) return false;
    return reinterpret_cast<INT_PTR>(
               ShellExecuteW(nullptr, L"open", program.c_str(), L"/restart", nullptr, SW_SHOWNORMAL)) > 32;
}

OptionsOutcome ShowOptions(HWND owner, const std::wstring& dataFolder, OptionsPage first) {
    DownloadManager& m = Manager();
    Options o;
    o.dataFolder = dataFolder;
    o.settings = CurrentSettings(m);
    o.limits = CopyServerLimits(m);
    o.logins = CopyLogins(m);
    o.runAtStart = ReadRunEntry().has_value();
    o.current = static_cast<int>(first);
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OPTIONS), owner, OptionsProc,
                    reinterpret_cast<LPARAM>(&o));
    return o.outcome;
}

}  // namespace vonu
