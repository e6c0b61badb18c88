// The Scheduler, New queue and the end-of-queue actions in the real Vonu.exe, driven from a
// second process as a user would: a queue made, scheduled and given an end action in the
// Scheduler is there when the dialog opens again and in list.ini after exit; a one-time start
// that fires while the dialog is open stays fired; "Exit Vonu" ends the program once the
// queue's last download is done; "Turn off computer" asks with one countdown, which Cancel,
// Escape and the close box cancel and "Turn off now" answers (with the shutdown request's
// stand-in in the program, support/shutdown_standin.cpp); an Exit from outside while any of
// these dialogs is open ends the program cleanly; one right click on the tray icon shows one
// menu.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "l10n/language.h"
#include "l10n/localization.h"
#include "model/data_folder.h"
#include "model/text_encoding.h"
#include "ui/resource.h"
#include "ui/system_shutdown.h"
#include "ui/tray_icon.h"
#include "tests/support/process.h"
#include "tests/support/remote_controls.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/sample_list.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_servers.h"
#include "tests/support/window_helpers.h"

namespace vonu {
namespace {

using namespace test;

std::string Narrow(const std::wstring& text) { return WideToUtf8(text); }

std::wstring FileText(const std::wstring& path) {
    const std::string bytes = ReadBytes(path);
    if (bytes.size() < 2) return {};
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
}

// The "key=value" lines of one section of an INI text; "(absent)" for a missing key.
std::wstring IniValue(const std::wstring& text, const std::wstring& section, const std::wstring& key) {
    size_t at = text.find(L"[" + section + L"]\r\n");
    if (at == std::wstring::npos) return L"(no section)";
    const size_t end = text.find(L"\r\n\r\n", at);
    const std::wstring body = text.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
    const size_t line = body.find(L"\r\n" + key + L"=");
    if (line == std::wstring::npos) return L"(absent)";
    const size_t from = line + 2 + key.size() + 1;
    return body.substr(from, body.find(L"\r\n", from) - from);
}

int NowMinute() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t.wHour * 60 + t.wMinute;
}

// A schedule set to "now" must not cross into the next minute before the tick sees it.
void WaitForEarlyInTheMinute() {
    SYSTEMTIME t;
    for (GetLocalTime(&t); t.wSecond >= 45; GetLocalTime(&t)) Sleep(200);
}

std::wstring Queue(int id, const std::wstring& name, const std::wstring& more = L"") {
    return L"[Q" + std::to_wstring(id) + L"]\r\nName=" + name + L"\r\nMaxActive=3\r\n" + more + L"\r\n";
}

class QueuesTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(MainWindows().empty()) << "another Vonu is running in the test prefix"; }
    void TearDown() override {
        Stop();
        ClearVonuData();
        SetEnvironmentVariableW(L"VONU_SHUTDOWN_RECORD", nullptr);
    }

    void Start(const std::wstring& listText, int rows, const std::wstring& language = L"en",
               const std::wstring& exe = VonuExePath()) {
        SeedVonuData(listText, L"Language=" + language + L"\r\nShowProgress=0\r\nShowComplete=0\r\nBaseDir=" +
                                   base_.path() + L"\r\n");
        vonu_ = StartProgram(exe, L"");
        ASSERT_TRUE(vonu_.started());
        VonuWindow v;
        const bool up = WaitForVonuWindow(vonu_.id(), rows, &v);
        window_ = v.main, list_ = v.list, tree_ = v.tree;
        ASSERT_TRUE(up);
    }
    // The stand-in build, recording a turn-off request into the test's folder.
    void StartStandIn(const std::wstring& listText, int rows) {
        SetEnvironmentVariableW(L"VONU_SHUTDOWN_RECORD", record_.c_str());
        Start(listText, rows, L"en", TurnOffStandInPath());
    }
    void Stop() {
        if (!vonu_.started()) return;
        CancelOpenDialogs(vonu_.id(), 5);
        EXPECT_TRUE(ExitVonu(vonu_, window_));
        vonu_ = Process();
        window_ = nullptr;
    }
    // The program ends by itself within the time, with exit code 0.
    void ExpectEnds(DWORD milliseconds, const char* why) {
        DWORD code = 1;
        ASSERT_TRUE(vonu_.WaitExit(milliseconds, &code)) << why;
        EXPECT_EQ(code, 0u);
        vonu_ = Process();
        window_ = nullptr;
    }
    // Posts the Exit command as the setup program does.
    void ExitFromOutside() {
        PostMessageW(window_, WM_COMMAND, ID_APP_EXIT, 0);
        ExpectEnds(15000, "the program ends");
    }

    HWND Dialog(const std::wstring& title, DWORD ms = 10000) {
        return WaitForProcessDialog(vonu_.id(), Translate(title.c_str()), ms);
    }
    HWND OpenScheduler() {
        PostMessageW(window_, WM_COMMAND, ID_QUEUES_SCHEDULER, 0);
        return Dialog(L"Scheduler");
    }
    std::vector<HWND> Countdowns() { return TopWindows(vonu_.id(), L"#32770", Translate(L"Turn off computer")); }

    // Selects a queue of the Scheduler's list as a click does.
    static void SelectQueue(HWND scheduler, int index) {
        HWND list = GetDlgItem(scheduler, IDC_SCH_QUEUES);
        SendMessageW(list, LB_SETCURSEL, index, 0);
        SendMessageW(scheduler, WM_COMMAND, MAKEWPARAM(IDC_SCH_QUEUES, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
    static bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
    static int ComboSelection(HWND dialog, int id) {
        return static_cast<int>(SendMessageW(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0));
    }
    static int ListSelection(HWND dialog) {
        return static_cast<int>(SendMessageW(GetDlgItem(dialog, IDC_SCH_QUEUES), LB_GETCURSEL, 0, 0));
    }
    static int ListCount(HWND dialog) {
        return static_cast<int>(SendMessageW(GetDlgItem(dialog, IDC_SCH_QUEUES), LB_GETCOUNT, 0, 0));
    }
    // Escape as the user presses it: to the focused control, which the dialog's loop turns
    // into IDCANCEL.
    static void PressEscape(HWND dialog) {
        HWND focus = FocusedControl(dialog);
        PostMessageW(focus ? focus : dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(focus ? focus : dialog, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    }
    void SelectQueueNode(const std::wstring& name) {
        HTREEITEM queues = TreeRoots(tree_).at(3);
        for (HTREEITEM c : TreeChildren(tree_, queues))
            if (TreeItemText(tree_, c) == name) TreeSelect(tree_, c);
        Sleep(400);
    }
    std::vector<std::wstring> QueueNodes() {
        std::vector<std::wstring> names;
        for (HTREEITEM c : TreeChildren(tree_, TreeRoots(tree_).at(3))) names.push_back(TreeItemText(tree_, c));
        return names;
    }
    std::wstring SavedList() { return FileText(ListPath(DataFolder())); }

    TempFolder base_;
    const std::wstring record_ = base_.File(L"shutdown-request.txt");
    Process vonu_;
    HWND window_ = nullptr, list_ = nullptr, tree_ = nullptr;
};

// Bad input on the way: a blank new queue name, 25, 0 and letters for the files at a time, a
// daily schedule without a ticked day; then Delete of a second new queue.
TEST_F(QueuesTest, SchedulerEditsReachTheModelAndSurviveARestart) {
    ASSERT_NO_FATAL_FAILURE(Start(L"", 0));
    HWND scheduler = OpenScheduler();
    ASSERT_NE(scheduler, nullptr);
    EXPECT_EQ(ListCount(scheduler), 1);
    EXPECT_EQ(ItemText(scheduler, IDC_SCH_NAME), L"Default queue");
    EXPECT_FALSE(Enabled(scheduler, IDC_SCH_NAME)) << "the default queue keeps its name";
    EXPECT_FALSE(Enabled(scheduler, IDC_SCH_DELETE));
    EXPECT_TRUE(WaitUntil(3000, [&] { return ItemText(scheduler, IDC_SCH_STATUS) == L"Stopped.  0 waiting, 0 downloading"; }))
        << Narrow(ItemText(scheduler, IDC_SCH_STATUS));
    EXPECT_TRUE(Enabled(scheduler, IDC_SCH_START_NOW));
    EXPECT_FALSE(Enabled(scheduler, IDC_SCH_STOP));

    ClickItem(scheduler, IDC_SCH_NEW);
    HWND named = Dialog(L"New queue");
    ASSERT_NE(named, nullptr);
    SetItemText(named, IDC_NQ_NAME, L"   ");
    ClickItem(named, IDOK);
    Sleep(500);
    EXPECT_TRUE(IsWindowVisible(named)) << "a blank name keeps the dialog open";
    EXPECT_EQ(FocusedControl(named), GetDlgItem(named, IDC_NQ_NAME));
    SetItemText(named, IDC_NQ_NAME, L"  Night  ");
    ClickItem(named, IDOK);
    ASSERT_TRUE(WaitDialogGone(named));
    ASSERT_TRUE(WaitUntil(3000, [&] { return ListCount(scheduler) == 2; }));
    EXPECT_EQ(ListSelection(scheduler), 1) << "the new queue is selected";
    EXPECT_EQ(ItemText(scheduler, IDC_SCH_NAME), L"Night");
    EXPECT_TRUE(Enabled(scheduler, IDC_SCH_NAME));

    EXPECT_EQ(TimePickerMinute(GetDlgItem(scheduler, IDC_SCH_START_TIME)), 120) << "2:00 AM without a start time";
    EXPECT_EQ(TimePickerMinute(GetDlgItem(scheduler, IDC_SCH_STOP_TIME)), 480);
    EXPECT_TRUE(ItemChecked(scheduler, IDC_SCH_ONCE));
    ClickItem(scheduler, IDC_SCH_START_ON);
    ASSERT_TRUE(SetTimePickerMinute(GetDlgItem(scheduler, IDC_SCH_START_TIME), 23 * 60 + 30));
    ClickItem(scheduler, IDC_SCH_DAILY);
    ClickItem(scheduler, IDC_SCH_STOP_ON);
    ASSERT_TRUE(SetTimePickerMinute(GetDlgItem(scheduler, IDC_SCH_STOP_TIME), 6 * 60 + 15));
    SetItemText(scheduler, IDC_SCH_MAX_ACTIVE, L"25");
    SelectComboEntry(scheduler, IDC_SCH_AFTER, 1);
    ClickItem(scheduler, IDC_SCH_APPLY);
    ASSERT_TRUE(WaitUntil(3000, [&] { return ItemText(scheduler, IDC_SCH_MAX_ACTIVE) == L"10"; }))
        << Narrow(ItemText(scheduler, IDC_SCH_MAX_ACTIVE));
    for (int day = 0; day < 7; ++day) EXPECT_TRUE(ItemChecked(scheduler, IDC_SCH_DAY_FIRST + day)) << day;
    const std::pair<const wchar_t*, const wchar_t*> entries[] = {{L"0", L"1"}, {L"abc", L"1"}, {L"", L"1"}, {L"4", L"4"}};
    for (const auto& [typed, shown] : entries) {
        SCOPED_TRACE(Narrow(typed));
        SetItemText(scheduler, IDC_SCH_MAX_ACTIVE, typed);
        ClickItem(scheduler, IDC_SCH_APPLY);
        EXPECT_TRUE(WaitUntil(3000, [&] { return ItemText(scheduler, IDC_SCH_MAX_ACTIVE) == shown; }))
            << Narrow(ItemText(scheduler, IDC_SCH_MAX_ACTIVE));
    }

    ClickItem(scheduler, IDC_SCH_NEW);
    named = Dialog(L"New queue");
    ASSERT_NE(named, nullptr);
    SetItemText(named, IDC_NQ_NAME, L"Spare");
    ClickItem(named, IDOK);
    ASSERT_TRUE(WaitUntil(3000, [&] { return ListCount(scheduler) == 3; }));
    EXPECT_EQ(ItemText(scheduler, IDC_SCH_NAME), L"Spare");
    ClickItem(scheduler, IDC_SCH_DELETE);
    HWND question = nullptr;  // titled "Scheduler" like the dialog it asks for
    ASSERT_TRUE(WaitUntil(5000, [&] {
        for (HWND w : TopWindows(vonu_.id(), L"#32770", L"Scheduler"))
            if (w != scheduler) question = w;
        return question != nullptr;
    }));
    EXPECT_EQ(MessageBoxText(question), L"Delete the queue \"Spare\"?\nIts files move to the default queue.");
    ClickItem(question, IDOK);
    ASSERT_TRUE(WaitUntil(3000, [&] { return ListCount(scheduler) == 2; }));
    EXPECT_EQ(ListSelection(scheduler), 0);

    PressEscape(scheduler);  // closing in any way applies
    ASSERT_TRUE(WaitDialogGone(scheduler));
    ASSERT_TRUE(WaitUntil(3000, [&] { return QueueNodes().size() == 2; }));
    EXPECT_EQ(QueueNodes().back().rfind(L"Night", 0), 0u) << Narrow(QueueNodes().back());

    SelectQueueNode(QueueNodes().back());
    scheduler = OpenScheduler();
    ASSERT_NE(scheduler, nullptr);
    EXPECT_EQ(ListSelection(scheduler), 1) << "opened on the selected queue node";
    EXPECT_EQ(ItemText(scheduler, IDC_SCH_NAME), L"Night");
    EXPECT_TRUE(ItemChecked(scheduler, IDC_SCH_START_ON));
    EXPECT_EQ(TimePickerMinute(GetDlgItem(scheduler, IDC_SCH_START_TIME)), 23 * 60 + 30);
    EXPECT_TRUE(ItemChecked(scheduler, IDC_SCH_DAILY));
    EXPECT_TRUE(ItemChecked(scheduler, IDC_SCH_STOP_ON));
    EXPECT_EQ(TimePickerMinute(GetDlgItem(scheduler, IDC_SCH_STOP_TIME)), 6 * 60 + 15);
    EXPECT_EQ(ItemText(scheduler, IDC_SCH_MAX_ACTIVE), L"4");
    EXPECT_EQ(ComboSelection(scheduler, IDC_SCH_AFTER), 1);
    ClickItem(scheduler, IDCANCEL);
    ASSERT_TRUE(WaitDialogGone(scheduler));

    DWORD code = 1;
    ASSERT_TRUE(ExitVonu(vonu_, window_, &code));
    EXPECT_EQ(code, 0u);
    vonu_ = Process();
    const std::wstring saved = SavedList();
    const std::pair<const wchar_t*, const wchar_t*> expected[] = {
        {L"Name", L"Night"}, {L"StartOn", L"1"}, {L"StartMin", L"1410"}, {L"Days", L"127"}, {L"StopOn", L"1"},
        {L"StopMin", L"375"}, {L"MaxActive", L"4"}, {L"After", L"1"}};
    for (const auto& [key, value] : expected) EXPECT_EQ(IniValue(saved, L"Q2", key), value) << Narrow(key);
    EXPECT_EQ(IniValue(saved, L"Q3", L"Name"), L"(no section)") << "the deleted queue is gone";
    EXPECT_EQ(IniValue(saved, L"Q1", L"Name"), L"Default queue");

    // And after a restart.
    vonu_ = StartVonu(L"");
    ASSERT_TRUE(vonu_.started());
    VonuWindow v;
    ASSERT_TRUE(WaitForVonuWindow(vonu_.id(), 0, &v));
    window_ = v.main, list_ = v.list, tree_ = v.tree;
    EXPECT_EQ(QueueNodes().size(), 2u);
}

// The tick clears a one-time start when it fires; Close must not write the copy the dialog
// took before that back, or the queue fires a second time. The queue has no downloads and
// "Turn off computer" (the stand-in build), so each firing shows as one countdown.
TEST_F(QueuesTest, OneTimeStartThatFiresWhileTheSchedulerIsOpenIsNotRestoredByClose) {
    ASSERT_NO_FATAL_FAILURE(StartStandIn(Queue(1, L"Default queue") + Queue(2, L"Night", L"After=2\r\n"), 0));
    SelectQueueNode(QueueNodes().back());
    HWND scheduler = OpenScheduler();
    ASSERT_NE(scheduler, nullptr);
    ASSERT_EQ(ItemText(scheduler, IDC_SCH_NAME), L"Night");
    WaitForEarlyInTheMinute();
    const int minute = NowMinute();
    ClickItem(scheduler, IDC_SCH_START_ON);
    ASSERT_TRUE(SetTimePickerMinute(GetDlgItem(scheduler, IDC_SCH_START_TIME), minute));
    ClickItem(scheduler, IDC_SCH_ONCE);
    ClickItem(scheduler, IDC_SCH_APPLY);  // a schedule whose minute is now: the next tick fires it
    ASSERT_TRUE(WaitUntil(5000, [&] { return !Countdowns().empty(); })) << "the start fired";
    ClickItem(Countdowns().front(), IDCANCEL);
    ASSERT_TRUE(WaitUntil(3000, [&] { return Countdowns().empty(); }));
    ClickItem(scheduler, IDCANCEL);
    ASSERT_TRUE(WaitDialogGone(scheduler));
    Sleep(1500);
    EXPECT_TRUE(Countdowns().empty()) << "Close brought the fired start back, and it fired again";

    scheduler = OpenScheduler();
    ASSERT_NE(scheduler, nullptr);
    EXPECT_EQ(ItemText(scheduler, IDC_SCH_NAME), L"Night");
    EXPECT_FALSE(ItemChecked(scheduler, IDC_SCH_START_ON));
    EXPECT_EQ(TimePickerMinute(GetDlgItem(scheduler, IDC_SCH_START_TIME)), minute) << "the stored minute stays shown";
    ClickItem(scheduler, IDCANCEL);
    ASSERT_TRUE(WaitDialogGone(scheduler));
    DWORD code = 1;
    ASSERT_TRUE(ExitVonu(vonu_, window_, &code));
    vonu_ = Process();
    EXPECT_EQ(IniValue(SavedList(), L"Q2", L"StartOn"), L"0");
    EXPECT_EQ(GetFileAttributesW(record_.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The queue's download, started by the queue, completes: the program ends by itself.
TEST_F(QueuesTest, ExitEndActionEndsTheProgramWhenTheQueuesLastDownloadCompletes) {
    ASSERT_TRUE(Servers().ok) << Narrow(Servers().error);
    const std::wstring target = base_.File(L"small.bin");
    const std::wstring list = L"[D1]\r\nUrl=" + NginxUrl(L"/files/small.bin") + L"\r\nFile=small.bin\r\nPath=" +
                              target + L"\r\nCat=General\r\nState=0\r\nQueue=1\r\nConn=2\r\n\r\n" +
                              Queue(1, L"Default queue", L"After=1\r\n");
    ASSERT_NO_FATAL_FAILURE(Start(list, 1));
    PostMessageW(window_, WM_COMMAND, ID_QUEUES_START, 0);
    ASSERT_NO_FATAL_FAILURE(ExpectEnds(30000, "the queue's end action ends the program"));
    EXPECT_EQ(IniValue(SavedList(), L"D1", L"State"), L"3") << "saved as Complete";
    EXPECT_EQ(ReadBytes(target).size(), 1000u);
}

// Two queues without downloads fire in the same tick, both with "Turn off computer": one
// countdown. Escape, the close box and Cancel keep the program running; "Turn off now" stops
// and saves everything, then makes the request, then the program ends.
TEST_F(QueuesTest, TurnOffAsksOnceAndOnlyTurnsOffWhenAnswered) {
    ASSERT_TRUE(Servers().ok) << Narrow(Servers().error);
    WaitForEarlyInTheMinute();
    const std::wstring now = std::to_wstring(NowMinute());
    const std::wstring schedule = L"StartOn=1\r\nStartMin=" + now + L"\r\nDays=0\r\nAfter=2\r\n";
    const std::wstring list = L"[D1]\r\nUrl=" + FaultUrl(L"/trickle?chunk=2048&pause=100") +
                              L"\r\nFile=endless.bin\r\nPath=" + base_.File(L"endless.bin") +
                              L"\r\nCat=General\r\nState=2\r\nConn=1\r\n\r\n" + Queue(1, L"Default queue") +
                              Queue(2, L"Night", schedule) + Queue(3, L"Late", schedule);
    ASSERT_NO_FATAL_FAILURE(StartStandIn(list, 1));

    ASSERT_TRUE(WaitUntil(5000, [&] { return !Countdowns().empty(); })) << "the countdown opens";
    Sleep(1500);  // the ticks inside its loop must not open another
    ASSERT_EQ(Countdowns().size(), 1u);
    HWND countdown = Countdowns().front();
    EXPECT_TRUE(GetWindowLongPtrW(countdown, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(FocusedControl(countdown), GetDlgItem(countdown, IDCANCEL)) << "Cancel is the default";
    const std::wstring text = ItemText(countdown, IDC_TURN_OFF_TEXT);
    EXPECT_TRUE(text.rfind(L"The queue is done. The computer will turn off in 2", 0) == 0) << Narrow(text);
    EXPECT_NE(text.find(L"seconds.\nSave your work, or press Cancel to keep it on."), std::wstring::npos);
    PressEscape(countdown);
    ASSERT_TRUE(WaitDialogGone(countdown));
    Sleep(1000);
    EXPECT_TRUE(Countdowns().empty()) << "the second queue of the same tick asks no more";
    EXPECT_TRUE(IsWindow(window_));

    // Again through the Scheduler's Start now on the empty queue, answered in the other ways.
    auto startNight = [&] {
        HWND scheduler = OpenScheduler();
        ASSERT_NE(scheduler, nullptr);
        SelectQueue(scheduler, 1);
        ClickItem(scheduler, IDC_SCH_START_NOW);
        ClickItem(scheduler, IDCANCEL);
        ASSERT_TRUE(WaitDialogGone(scheduler));
        ASSERT_TRUE(WaitUntil(5000, [&] { return !Countdowns().empty(); }));
    };
    ASSERT_NO_FATAL_FAILURE(startNight());
    PostMessageW(Countdowns().front(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntil(3000, [&] { return Countdowns().empty(); })) << "the close box cancels";
    ASSERT_NO_FATAL_FAILURE(startNight());
    ClickItem(Countdowns().front(), IDCANCEL);
    ASSERT_TRUE(WaitUntil(3000, [&] { return Countdowns().empty(); }));
    Sleep(500);
    EXPECT_TRUE(IsWindow(window_)) << "still running";
    EXPECT_EQ(GetFileAttributesW(record_.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing was asked of Windows";

    ListViewSelect(list_, {0});
    PostMessageW(window_, WM_COMMAND, ID_FILE_RESUME, 0);
    ASSERT_TRUE(WaitUntil(5000, [&] { return ListViewText(list_, 0, 2) != L"Stopped"; }));
    Sleep(1000);
    ASSERT_NO_FATAL_FAILURE(startNight());
    ClickItem(Countdowns().front(), IDC_TURN_OFF_NOW);
    ASSERT_NO_FATAL_FAILURE(ExpectEnds(20000, "the program ends after the request"));
    const std::string request = ReadBytes(record_);
    EXPECT_EQ(request, "flags=" + std::to_string(EWX_SHUTDOWN | EWX_POWEROFF) +
                           " reason=" + std::to_string(SHTDN_REASON_FLAG_PLANNED) + "\r\n");
    const std::wstring atRequest = FileText(record_ + L".list.ini");
    EXPECT_EQ(IniValue(atRequest, L"D1", L"State"), L"2") << "stopped and saved before the request";
    EXPECT_EQ(IniValue(SavedList(), L"D1", L"State"), L"2");
}

// The main window state is freed by an Exit while a dialog's loop runs; the program must end
// cleanly from each new dialog (and from New queue opened inside the Scheduler).
TEST_F(QueuesTest, ExitFromOutsideWhileEachNewDialogIsOpenEndsCleanly) {
    const struct {
        const char* name;
        int command;
        const wchar_t* title;
        bool nested;
    } dialogs[] = {{"scheduler", ID_QUEUES_SCHEDULER, L"Scheduler", false},
                   {"new queue", ID_QUEUES_NEW, L"New queue", false},
                   {"new queue in the scheduler", ID_QUEUES_SCHEDULER, L"New queue", true}};
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.name);
        ASSERT_NO_FATAL_FAILURE(Start(L"", 0));
        PostMessageW(window_, WM_COMMAND, d.command, 0);
        if (d.nested) {
            HWND scheduler = Dialog(L"Scheduler");
            ASSERT_NE(scheduler, nullptr);
            ClickItem(scheduler, IDC_SCH_NEW);
        }
        ASSERT_NE(Dialog(d.title), nullptr);
        ASSERT_NO_FATAL_FAILURE(ExitFromOutside());
        EXPECT_EQ(IniValue(SavedList(), L"Q1", L"Name"), L"Default queue") << "the list was saved";
    }

    WaitForEarlyInTheMinute();
    const std::wstring schedule = L"StartOn=1\r\nStartMin=" + std::to_wstring(NowMinute()) + L"\r\nAfter=2\r\n";
    ASSERT_NO_FATAL_FAILURE(StartStandIn(Queue(1, L"Default queue") + Queue(2, L"Night", schedule), 0));
    ASSERT_TRUE(WaitUntil(5000, [&] { return !Countdowns().empty(); }));
    ASSERT_NO_FATAL_FAILURE(ExitFromOutside());
    EXPECT_EQ(GetFileAttributesW(record_.c_str()), INVALID_FILE_ATTRIBUTES) << "an Exit is no turn-off";
}

// With the shell's version-4 behaviour one right click may bring both the button-up and the
// context-menu event, the second possibly only after the first one's menu closed.
TEST_F(QueuesTest, OneRightClickOnTheTrayIconShowsOneMenu) {
    ASSERT_NO_FATAL_FAILURE(Start(L"", 0));
    auto menus = [&] { return TopWindows(vonu_.id(), L"#32768"); };
    auto closeMenu = [&] {
        PostMessageW(window_, WM_KEYDOWN, VK_ESCAPE, 0);
        return WaitUntil(3000, [&] { return menus().empty(); });
    };
    PostMessageW(window_, kTrayMessage, 0, MAKELPARAM(WM_RBUTTONUP, 1));
    PostMessageW(window_, kTrayMessage, 0, MAKELPARAM(WM_CONTEXTMENU, 1));
    ASSERT_TRUE(WaitUntil(3000, [&] { return !menus().empty(); })) << "the tray menu opens";
    Sleep(700);
    EXPECT_EQ(menus().size(), 1u);
    ASSERT_TRUE(closeMenu());
    PostMessageW(window_, kTrayMessage, 0, MAKELPARAM(WM_CONTEXTMENU, 1));  // the late twin
    Sleep(300);
    EXPECT_TRUE(menus().empty()) << "the same click's second event shows no second menu";
    ASSERT_TRUE(closeMenu());
    Sleep(kTrayMenuTwinMs);
    PostMessageW(window_, kTrayMessage, 0, MAKELPARAM(WM_CONTEXTMENU, 1));  // a new click
    EXPECT_TRUE(WaitUntil(3000, [&] { return !menus().empty(); })) << "the next click has its menu";
    EXPECT_TRUE(closeMenu());
}

// The default queue's name is shown translated and never written back as its new name.
TEST_F(QueuesTest, ArabicSchedulerShowsTheDefaultQueueTranslatedAndKeepsItsName) {
    ASSERT_NO_FATAL_FAILURE(Start(Queue(1, L"Default queue") + Queue(2, L"Night"), 0, L"ar"));
    SetArabicInterface(true);  // this process looks the expected texts up in the same table
    HWND scheduler = OpenScheduler();
    ASSERT_NE(scheduler, nullptr);
    EXPECT_TRUE(GetWindowLongPtrW(scheduler, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    EXPECT_EQ(ItemText(scheduler, IDC_SCH_NAME), Translate(L"Default queue"));
    EXPECT_NE(ItemText(scheduler, IDC_SCH_NAME), L"Default queue");
    EXPECT_FALSE(Enabled(scheduler, IDC_SCH_NAME));
    EXPECT_EQ(ItemText(scheduler, IDC_SCH_APPLY), Translate(L"Apply"));
    EXPECT_EQ(ItemText(scheduler, IDC_SCH_AFTER), Translate(L"Do nothing"));
    SelectQueue(scheduler, 1);
    EXPECT_EQ(ItemText(scheduler, IDC_SCH_NAME), L"Night");
    SelectQueue(scheduler, 0);
    ClickItem(scheduler, IDCANCEL);
    ASSERT_TRUE(WaitDialogGone(scheduler));
    SetArabicInterface(false);
    DWORD code = 1;
    ASSERT_TRUE(ExitVonu(vonu_, window_, &code));
    vonu_ = Process();
    EXPECT_EQ(IniValue(SavedList(), L"Q1", L"Name"), L"Default queue");
    EXPECT_EQ(IniValue(SavedList(), L"Q2", L"Name"), L"Night");
}

}  // namespace
}  // namespace vonu
