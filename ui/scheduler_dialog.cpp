#include "ui/scheduler_dialog.h"

#include <windowsx.h>
#include <commctrl.h>

#include <vector>

#include "l10n/localization.h"
#include "l10n/text_format.h"
#include "manager/control.h"
#include "model/download_manager.h"
#include "model/list_file.h"
#include "ui/dialog_controls.h"
#include "ui/localize_window.h"
#include "ui/message_box.h"
#include "ui/new_queue_dialog.h"
#include "ui/resource.h"
#include "ui/scheduler_rules.h"

namespace vonu {
namespace {

constexpr UINT_PTR kStatusTimer = 1;
constexpr int32_t kDefaultStartMinute = 120;  // 2:00 AM for a queue without a start time
constexpr int32_t kDefaultStopMinute = 480;   // 8:00 AM
constexpr int kDays = 7;

struct Scheduler {
    std::wstring dataFolder;
    int32_t openOnId = 1;
    std::vector<DownloadQueue> base;  // as the model held them at opening or the last Apply
    std::vector<DownloadQueue> work;  // the same with the user's edits
    int selected = -1;
    std::wstring shownName;  // the translated name the name box was loaded with
    std::wstring statusText;
};

Scheduler& StateOf(HWND dialog) {
    return *reinterpret_cast<Scheduler*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

void SetPickerMinute(HWND picker, int32_t minute) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    const int32_t m = ((minute % 1440) + 1440) % 1440;
    t.wHour = static_cast<WORD>(m / 60);
    t.wMinute = static_cast<WORD>(m % 60);
    t.wSecond = 0;
    t.wMilliseconds = 0;
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
}

int32_t PickerMinute(HWND picker, int32_t fallback) {
    SYSTEMTIME t{};
    if (SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t)) != GDT_VALID) return fallback;
    return t.wHour * 60 + t.wMinute;
}

// A time that is on, or was set once (a one-time start the tick has fired and cleared keeps
// its minute), shows as stored; a queue that never had one shows the default.
int32_t ShownMinute(bool on, int32_t stored, int32_t fallback) { return on || stored != 0 ? stored : fallback; }

void TakeFreshCopy(Scheduler& s) {
    s.base = Manager().CopyQueues();
    s.work = s.base;
}

void FillList(HWND dialog, const Scheduler& s) {
    HWND list = Item(dialog, IDC_SCH_QUEUES);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListBox_ResetContent(list);
    for (const DownloadQueue& q : s.work) ListBox_AddString(list, Translate(q.name.c_str()));
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void RefreshStatus(HWND dialog, Scheduler& s) {
    if (s.selected < 0 || s.selected >= static_cast<int>(s.work.size())) return;
    const int32_t id = s.work[static_cast<size_t>(s.selected)].id;
    int waiting = 0, downloading = 0;
    for (const DownloadSnapshot& d : Manager().SnapshotAll()) {
        if (d.queueId != id) continue;
        if (d.state == DownloadState::Queued) ++waiting;
        if (d.state == DownloadState::Downloading) ++downloading;
    }
    const bool running = Manager().IsQueueRunning(id);
    const std::wstring text = FormatText(Translate(L"%s.  %d waiting, %d downloading"),
                                         Translate(running ? L"Running" : L"Stopped"), waiting, downloading);
    if (text != s.statusText) {
        s.statusText = text;
        SetDlgItemTextW(dialog, IDC_SCH_STATUS, text.c_str());
    }
    EnableWindow(Item(dialog, IDC_SCH_START_NOW), !running);
    EnableWindow(Item(dialog, IDC_SCH_STOP), running);
}

void LoadFields(HWND dialog, Scheduler& s) {
    if (s.selected < 0 || s.selected >= static_cast<int>(s.work.size())) return;
    const DownloadQueue& q = s.work[static_cast<size_t>(s.selected)];
    const bool isDefault = q.id == 1;
    s.shownName = Translate(q.name.c_str());
    SetDlgItemTextW(dialog, IDC_SCH_NAME, s.shownName.c_str());
    EnableWindow(Item(dialog, IDC_SCH_NAME), !isDefault);
    EnableWindow(Item(dialog, IDC_SCH_DELETE), !isDefault);
    Check(dialog, IDC_SCH_START_ON, q.startOn);
    SetPickerMinute(Item(dialog, IDC_SCH_START_TIME), ShownMinute(q.startOn, q.startMinute, kDefaultStartMinute));
    Check(dialog, IDC_SCH_DAILY, q.days != 0);
    Check(dialog, IDC_SCH_ONCE, q.days == 0);
    for (int day = 0; day < kDays; ++day) Check(dialog, IDC_SCH_DAY_FIRST + day, (q.days >> day) & 1u);
    Check(dialog, IDC_SCH_STOP_ON, q.stopOn);
    SetPickerMinute(Item(dialog, IDC_SCH_STOP_TIME), ShownMinute(q.stopOn, q.stopMinute, kDefaultStopMinute));
    SetDlgItemTextW(dialog, IDC_SCH_MAX_ACTIVE, std::to_wstring(q.maxActive).c_str());
    ComboBox_SetCurSel(Item(dialog, IDC_SCH_AFTER), EndActionIndex(q.after));
    ListBox_SetCurSel(Item(dialog, IDC_SCH_QUEUES), s.selected);
    s.statusText.clear();
    RefreshStatus(dialog, s);
}

void StoreFields(HWND dialog, Scheduler& s) {
    if (s.selected < 0 || s.selected >= static_cast<int>(s.work.size())) return;
    DownloadQueue& q = s.work[static_cast<size_t>(s.selected)];
    const std::wstring name = TrimBlanks(DialogItemText(dialog, IDC_SCH_NAME));
    if (!name.empty() && q.id != 1 && name != s.shownName) q.name = name;
    q.startOn = Checked(dialog, IDC_SCH_START_ON);
    q.startMinute = PickerMinute(Item(dialog, IDC_SCH_START_TIME), q.startMinute);
    uint32_t ticked = 0;
    for (int day = 0; day < kDays; ++day)
        if (Checked(dialog, IDC_SCH_DAY_FIRST + day)) ticked |= 1u << day;
    q.days = DaysFromChoice(Checked(dialog, IDC_SCH_DAILY), ticked);
    q.stopOn = Checked(dialog, IDC_SCH_STOP_ON);
    q.stopMinute = PickerMinute(Item(dialog, IDC_SCH_STOP_TIME), q.stopMinute);
    q.maxActive = MaxActiveFromText(DialogItemText(dialog, IDC_SCH_MAX_ACTIVE), q.maxActive);
    const int after = ComboBox_GetCurSel(Item(dialog, IDC_SCH_AFTER));
    q.after = after < 0 ? 0 : after;
}

void SelectIndex(HWND dialog, Scheduler& s, int index) {
    if (s.work.empty()) return;
    if (index < 0 || index >= static_cast<int>(s.work.size())) index = 0;
    s.selected = index;
    LoadFields(dialog, s);
}

void SelectId(HWND dialog, Scheduler& s, int32_t id) {
    int index = 0;
    for (size_t i = 0; i < s.work.size(); ++i)
        if (s.work[i].id == id) index = static_cast<int>(i);
    SelectIndex(dialog, s, index);
}

// Stores the fields, writes back the edits, saves the list and reloads from the model.
void Apply(HWND dialog, Scheduler& s) {
    StoreFields(dialog, s);
    WriteBackQueueEdits(Manager(), s.base, s.work);
    (void)SaveList(Manager(), s.dataFolder, true);  // a failed save is retried by the next one
    const int index = s.selected;
    TakeFreshCopy(s);
    FillList(dialog, s);
    SelectIndex(dialog, s, index);
}

int32_t SelectedId(const Scheduler& s) {
    if (s.selected < 0 || s.selected >= static_cast<int>(s.work.size())) return 0;
    return s.work[static_cast<size_t>(s.selected)].id;
}

void OnNewQueue(HWND dialog, Scheduler& s) {
    const std::optional<std::wstring> name = AskNewQueueName(dialog);
    if (!IsWindow(dialog)) return;  // an Exit took the dialog while the question was open
    if (!name) return;
    Apply(dialog, s);
    const int32_t id = AddQueue(Manager(), *name);
    (void)SaveList(Manager(), s.dataFolder, true);
    TakeFreshCopy(s);
    FillList(dialog, s);
    SelectId(dialog, s, id);
}

void OnDelete(HWND dialog, Scheduler& s) {
    const int32_t id = SelectedId(s);
    if (id == 0 || id == 1) return;
    const std::wstring question =
        FormatText(Translate(L"Delete the queue \"%s\"?\nIts files move to the default queue."),
                   s.work[static_cast<size_t>(s.selected)].name.c_str());
    const int answer = ShowMessageBox(dialog, question.c_str(), L"Scheduler", MB_OKCANCEL | MB_ICONQUESTION);
    if (!IsWindow(dialog) || answer != IDOK) return;
    RemoveQueue(Manager(), id);
    (void)SaveList(Manager(), s.dataFolder, true);
    TakeFreshCopy(s);  // edits not applied yet go with the old copy
    FillList(dialog, s);
    SelectIndex(dialog, s, 0);
}

void OnInit(HWND dialog, Scheduler& s) {
    LocalizeWindow(dialog);
    SetProgramIcons(dialog);
    for (int id : {IDC_SCH_START_TIME, IDC_SCH_STOP_TIME})
        SendMessageW(Item(dialog, id), DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"hh:mm tt"));
    HWND after = Item(dialog, IDC_SCH_AFTER);
    for (const wchar_t* text : {L"Do nothing", L"Exit Vonu", L"Turn off computer"})
        ComboBox_AddString(after, Translate(text));
    SendMessageW(Item(dialog, IDC_SCH_MAX_ACTIVE), EM_LIMITTEXT, 4, 0);
    SendMessageW(Item(dialog, IDC_SCH_NAME), EM_LIMITTEXT, 100, 0);
    TakeFreshCopy(s);
    FillList(dialog, s);
    SelectId(dialog, s, s.openOnId);
    SetTimer(dialog, kStatusTimer, 1000, nullptr);
}

void OnCommand(HWND dialog, Scheduler& s, int id, int code) {
    switch (id) {
        case IDC_SCH_QUEUES:
            if (code == LBN_SELCHANGE) {
                const int index = ListBox_GetCurSel(Item(dialog, IDC_SCH_QUEUES));
                if (index >= 0 && index != s.selected) {
                    StoreFields(dialog, s);
                    SelectIndex(dialog, s, index);
                }
            }
            return;
        case IDC_SCH_NEW:
            OnNewQueue(dialog, s);
            return;
        case IDC_SCH_DELETE:
            OnDelete(dialog, s);
            return;
        case IDC_SCH_START_NOW:
            Apply(dialog, s);
            StartQueue(Manager(), SelectedId(s));
            (void)SaveList(Manager(), s.dataFolder, true);
            RefreshStatus(dialog, s);
            return;
        case IDC_SCH_STOP:
            StopQueue(Manager(), SelectedId(s));  // unsaved edits stay in the working copy
            RefreshStatus(dialog, s);
            return;
        case IDC_SCH_APPLY:
            Apply(dialog, s);
            return;
        case IDCANCEL:  // "Close", Escape and the close box
            Apply(dialog, s);
            KillTimer(dialog, kStatusTimer);
            EndDialog(dialog, IDCANCEL);
            return;
    }
}

INT_PTR CALLBACK SchedulerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        OnInit(dialog, StateOf(dialog));
        return TRUE;
    }
    if (!GetWindowLongPtrW(dialog, DWLP_USER)) return FALSE;  // before WM_INITDIALOG
    switch (message) {
        case WM_TIMER:
            if (wParam == kStatusTimer) RefreshStatus(dialog, StateOf(dialog));
            return TRUE;
        case WM_COMMAND:
            OnCommand(dialog, StateOf(dialog), LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_DESTROY:
            KillTimer(dialog, kStatusTimer);
            return FALSE;
    }
    return FALSE;
}

}  // namespace

void ShowScheduler(HWND owner, const std::wstring& dataFolder, int32_t queueId) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
    Scheduler s;
    s.dataFolder = dataFolder;
    s.openOnId = queueId;
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SCHEDULER), owner, SchedulerProc,
                    reinterpret_cast<LPARAM>(&s));
}

}  // namespace vonu
