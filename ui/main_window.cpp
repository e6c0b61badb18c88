#include "ui/main_window.h"

#include <windowsx.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "l10n/localization.h"
#include "l10n/text_format.h"
#include "ui/localize_window.h"
#include "ui/resource.h"
#include "ui/main_window_search.h"
#include "manager/control.h"
#include "model/categories.h"
#include "model/data_folder.h"
#include "model/download_manager.h"
#include "model/version.h"
#include "ui/clipboard_watcher.h"
#include "ui/commands.h"
#include "ui/drop_target.h"
#include "ui/hand_overs.h"
#include "ui/icon_painter.h"
#include "ui/main_window_layout.h"
#include "ui/main_window_state.h"
#include "ui/modeless_dialogs.h"
#include "ui/progress_windows.h"
#include "ui/toolbar.h"
#include "ui/tray_icon.h"
#include "ui/ui_scale.h"
#include "ui/update_dialog.h"
#include "ui/update_offer.h"
#include "ui/view_nodes.h"
#include "ui/view_tree.h"
#include "ui/window_tick.h"

namespace vonu {

CommandContext MainWindow::Context() const {
    CommandContext c;
    const std::vector<int32_t> ids = list.SelectedIds();
    if (!ids.empty()) {
        const std::unordered_set<int32_t> wanted(ids.begin(), ids.end());
        for (const DownloadSnapshot& d : snapshot)
            if (wanted.count(d.id)) c.selected.push_back(&d);
    }
    c.all = &snapshot;
    c.queues = queues;
    c.node = currentNode;
    return c;
}

MainWindow* MainWindowOf(HWND window) {
    return reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void RefreshList(MainWindow& w) {
    DownloadManager& m = Manager();
    m.SnapshotAllInto(w.snapshot);
    w.queues = m.CopyQueues();
    std::vector<const DownloadSnapshot*> visible;
    visible.reserve(w.snapshot.size());
    for (const DownloadSnapshot& d : w.snapshot)
        if (ShownUnderNode(w.currentNode, d, w.categoryNames)) visible.push_back(&d);
    w.list.Update(visible);
    StatusTexts texts = MakeStatusTexts(w.snapshot, w.queues, m.LimiterOn, m.SpeedLimitKB);
    if (w.updateCheckBusy && w.updateCheckAsked) texts[0] = Translate(L"Checking for updates...");
    w.status.Show(texts);
    UpdateQueueLabels(w.tree, w.queues);
    if (w.trayIconPresent) {
        // The shell takes a few milliseconds per change, and the speed in the tip changes every
        // tick: a changed tip goes at most once a second, except the idle one, at once.
        const std::wstring tip = TrayTipText(w.snapshot).substr(0, 127);
        const ULONGLONG now = GetTickCount64();
        const bool idle = tip == Translate(L"Vonu Download Manager");
        if (tip != w.lastTooltip && (idle || now - w.lastTooltipSent >= 1000)) {
            SetTrayTip(w.window, tip);
            w.lastTooltip = tip;
            w.lastTooltipSent = now;
        }
    }
    UpdateToolbarButtons(w);
}

void RebuildCategories(MainWindow& w) {
    const std::vector<std::wstring> old = w.categoryNames;
    w.categoryNames = CategoryNames(Manager());
    w.currentNode = RebuildCategoryNodes(w.tree, old, w.categoryNames, w.currentNode);
}

void RebuildQueues(MainWindow& w) {
    w.queues = Manager().CopyQueues();
    w.currentNode = RebuildQueueNodes(w.tree, w.queues, w.currentNode);
}

void BringMainWindowForward(MainWindow& w) { BringForward(w.window); }

void CloseForExit(MainWindow& w) {
    w.exiting = true;
    PostMessageW(w.window, WM_CLOSE, 0, 0);
}

bool MainWindowStillOpen(HWND window, const MainWindow& w) { return IsWindow(window) && MainWindowOf(window) == &w; }

void ShowMainWindowBalloon(MainWindow& w, const std::wstring& title, const std::wstring& text) {
    if (w.trayIconPresent) ShowTrayBalloon(w.window, title, text);
}

namespace {

constexpr wchar_t kClassName[] = L"VonuMainFrame";

// Every queue stops, every download is cancelled and its threads joined, and the list is
// saved. Runs once: at close, when Windows ends the session, or before turning it off.
void ShutDownModel(MainWindow& w) {
    if (w.shutDown) return;
    w.shutDown = true;
    KillTimer(w.window, kTickTimer);
    w.listSaver.reset();
    if (w.unconfirmedDownload) RemoveDownload(Manager(), std::exchange(w.unconfirmedDownload, 0), false);
    (void)StopEverything(Manager(), w.dataFolder);
}

HFONT MessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

void AddToolbarButtons(HWND toolbar) {
    AddToolbarButton(toolbar, ID_TASKS_ADD_DOWNLOAD, L"Add Link", kIconAddLink);
    AddToolbarButton(toolbar, ID_FILE_RESUME, L"Resume", kIconResume);
    AddToolbarButton(toolbar, ID_FILE_STOP, L"Stop", kIconStop);
    AddToolbarButton(toolbar, ID_DOWNLOADS_STOP_ALL, L"Stop All", kIconStopAll);
    AddToolbarSeparator(toolbar);
    AddToolbarButton(toolbar, ID_FILE_DELETE, L"Delete", kIconDelete);
    AddToolbarButton(toolbar, ID_DOWNLOADS_DELETE_COMPLETED, L"Clear Finished", kIconClearFinished);
    AddToolbarSeparator(toolbar);
    AddToolbarButton(toolbar, ID_DOWNLOADS_OPTIONS, L"Options", kIconOptions);
    AddToolbarButton(toolbar, ID_QUEUES_SCHEDULER, L"Scheduler", kIconScheduler);
    AddToolbarButton(toolbar, ID_TASKS_SITE_GRABBER, L"Find Files", kIconFindFiles);
    AddToolbarSeparator(toolbar);
    AddToolbarButton(toolbar, ID_QUEUES_START, L"Run Queue", kIconRunQueue);
    AddToolbarButton(toolbar, ID_QUEUES_STOP, L"Pause Queue", kIconPauseQueue);
}

// --- Message handlers: one per message ----------------------------------------------------

LRESULT OnCreate(MainWindow& w, WPARAM, LPARAM) {
    HWND window = w.window;
    SetWindowTextW(window, Translate(L"Vonu Download Manager"));
    if (HMENU menu = GetMenu(window)) {
        LocalizeMenu(menu);
        DrawMenuBar(window);
    }
    w.font.reset(MessageFont());
    const HFONT font = w.font.get();
    w.treeWidth = Px(200);
    w.toolbar = CreateToolbar(window, w.instance, font);
    if (!w.toolbar) return -1;
    AddToolbarButtons(w.toolbar);
    HIMAGELIST treeImages = nullptr;
    w.tree = CreateViewTree(window, w.instance, font, &treeImages);
    w.treeImages.reset(treeImages);
    if (!w.tree || !w.list.Create(window, w.instance, font) || !w.status.Create(window, w.instance, font))
        return -1;

    RebuildCategories(w);
    RebuildQueues(w);
    TreeView_SelectItem(w.tree, TreeView_GetRoot(w.tree));
    w.currentNode = kNodeAll;

    w.smallIcon.reset(static_cast<HICON>(LoadImageW(w.instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    w.trayIconPresent = AddTrayIcon(window, w.smallIcon.get());
    w.lastTooltip = Translate(L"Vonu Download Manager");

    LayOutMainWindow(w);
    RefreshList(w);
    SetTimer(window, kTickTimer, kTickMilliseconds, nullptr);
    SetTimer(window, kUpdateStartTimer, kUpdateStartMilliseconds, nullptr);
    SetTimer(window, kUpdateHourTimer, kUpdateHourMilliseconds, nullptr);
    StartClipboardWatch(w);
    RegisterDropTargets(w);
    // Last, so whoever finds the window by it (a second start, the browser host, the setup
    // program) finds it whole.
    SetPropW(window, kMainWindowProperty, reinterpret_cast<HANDLE>(1));
    return 0;
}

LRESULT OnSize(MainWindow& w, WPARAM, LPARAM) {
    LayOutMainWindow(w);
    return 0;
}

LRESULT OnPaint(MainWindow& w, WPARAM, LPARAM) {
    PaintMainWindow(w);
    return 0;
}

LRESULT OnEraseBackground(MainWindow&, WPARAM, LPARAM) { return 1; }

LRESULT OnSetCursor(MainWindow& w, WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(wParam) == w.window && LOWORD(lParam) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(w.window, &p);
        if (OverSplitter(w, p)) {
            SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
            return TRUE;
        }
    }
    return DefWindowProcW(w.window, WM_SETCURSOR, wParam, lParam);
}

LRESULT OnLeftButtonDown(MainWindow& w, WPARAM, LPARAM lParam) {
    if (OverSplitter(w, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) BeginSplitterDrag(w);
    return 0;
}

LRESULT OnMouseMove(MainWindow& w, WPARAM, LPARAM lParam) {
    DragSplitter(w, GET_X_LPARAM(lParam));
    return 0;
}

LRESULT OnLeftButtonUp(MainWindow& w, WPARAM, LPARAM) {
    EndSplitterDrag(w);
    return 0;
}

LRESULT OnCaptureChanged(MainWindow& w, WPARAM, LPARAM) {
    w.splitterDragging = false;
    return 0;
}

LRESULT OnTimer(MainWindow& w, WPARAM wParam, LPARAM) {
    switch (wParam) {
        case kTickTimer:
            WindowTick(w);
            break;
        case kUpdateStartTimer:  // once, 20 s after start: the old instance has long gone
            KillTimer(w.window, kUpdateStartTimer);
            RemoveOldProgramFile();
            RunDailyUpdateCheck(w);
            break;
        case kUpdateHourTimer:
            RunDailyUpdateCheck(w);
            break;
        case kClipboardTimer:
            ExamineClipboard(w);
            break;
    }
    return 0;
}

LRESULT OnCommand(MainWindow& w, WPARAM wParam, LPARAM) {
    RunCommand(w, LOWORD(wParam));
    return 0;
}

LRESULT OnListNotify(MainWindow& w, NMHDR& header) {
    switch (header.code) {
        case LVN_GETDISPINFOW:
            w.list.FillDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(header));
            return 0;
        case LVN_KEYDOWN: {
            const WORD key = reinterpret_cast<NMLVKEYDOWN&>(header).wVKey;
            if (key == VK_DELETE)
                RunCommand(w, ID_FILE_DELETE);
            else if (key == 'A' && (GetKeyState(VK_CONTROL) & 0x8000))
                RunCommand(w, ID_LIST_SELECT_ALL);
            return 0;
        }
        case NM_RETURN:
        case NM_DBLCLK:
            if (w.list.SelectedIds().size() == 1) RunCommand(w, ID_FILE_PROPERTIES);
            return 0;
    }
    return 0;
}

LRESULT OnTreeNotify(MainWindow& w, NMHDR& header) {
    if (header.code != TVN_SELCHANGEDW || GetPropW(w.tree, L"VonuRebuilding")) return 0;
    const auto& change = reinterpret_cast<NMTREEVIEWW&>(header);
    w.currentNode = static_cast<int>(change.itemNew.lParam);
    w.list.Clear();
    RefreshList(w);
    return 0;
}

LRESULT OnNotify(MainWindow& w, WPARAM, LPARAM lParam) {
    auto& header = *reinterpret_cast<NMHDR*>(lParam);
    if (header.hwndFrom == w.list.window()) return OnListNotify(w, header);
    if (header.hwndFrom == w.tree) return OnTreeNotify(w, header);
    return 0;
}

POINT ContextPoint(HWND control, LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (lParam == -1) {  // from the keyboard: at the control's top left corner
        RECT r;
        GetWindowRect(control, &r);
        p = {r.left + Px(8), r.top + Px(8)};
    }
    return p;
}

LRESULT OnContextMenu(MainWindow& w, WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(wParam);
    if (from == w.list.window()) {
        ShowListMenu(w, ContextPoint(from, lParam));
    } else if (from == w.tree) {
        if (lParam != -1) {
            TVHITTESTINFO hit{};
            hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ScreenToClient(w.tree, &hit.pt);
            if (HTREEITEM item = TreeView_HitTest(w.tree, &hit)) TreeView_SelectItem(w.tree, item);
        }
        ShowTreeMenu(w, ContextPoint(from, lParam));
    }
    return 0;
}

LRESULT OnInitMenuPopup(MainWindow& w, WPARAM wParam, LPARAM) {
    UpdateMenuItems(w, reinterpret_cast<HMENU>(wParam));
    return 0;
}

LRESULT OnClose(MainWindow& w, WPARAM, LPARAM) {
    if (w.exiting || !Manager().MinToTray || !w.trayIconPresent) {
        // The update dialog's loop is running under this message: cancel its download and end
        // it first, and close once its loop has returned.
        if (EndUpdateDialogForExit()) {
            PostMessageW(w.window, WM_CLOSE, 0, 0);
            return 0;
        }
        CloseAllProgressWindows(w);
        ShutDownModel(w);
        DestroyWindow(w.window);
        return 0;
    }
    ShowWindow(w.window, SW_HIDE);
    if (!w.closeBalloonShown) {
        w.closeBalloonShown = true;
        ShowTrayBalloon(w.window, Translate(L"Vonu is still running"),
                        Translate(L"Downloads continue here. Right-click this icon to exit."));
    }
    return 0;
}

LRESULT OnQueryEndSession(MainWindow&, WPARAM, LPARAM) { return TRUE; }

LRESULT OnEndSession(MainWindow& w, WPARAM wParam, LPARAM) {
    if (wParam) {  // Windows may end the process as soon as this returns
        EndUpdateDialogForExit();
        ShutDownModel(w);
    }
    return 0;
}

LRESULT OnUpdateCheckAnswer(MainWindow& w, WPARAM wParam, LPARAM lParam) {
    if (std::unique_ptr<UpdateResult> result = TakePostedUpdateResult(lParam))
        HandleUpdateCheckAnswer(w, wParam != 0, std::move(result));  // may show the dialog: `w` last
    return 0;
}

LRESULT OnDestroy(MainWindow& w, WPARAM, LPARAM) {
    RemovePropW(w.window, kMainWindowProperty);
    StopClipboardWatch(w);
    RevokeDropTargets(w);
    if (w.trayIconPresent) DeleteTrayIcon(w.window);
    w.trayIconPresent = false;
    CloseAllProgressWindows(w);  // they call back into this window's state as they close
    CloseModelessDialogs();      // completion windows: a ticked box is saved as they go
    ShutDownModel(w);
    PostQuitMessage(0);
    return 0;
}

LRESULT OnTrayIcon(MainWindow& w, WPARAM, LPARAM lParam) {
    switch (LOWORD(lParam)) {
        case WM_LBUTTONDBLCLK:
        case NIN_SELECT:
        case NIN_KEYSELECT:
        case NIN_BALLOONUSERCLICK:
            BringMainWindowForward(w);
            break;
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU:
            if (w.trayMenu.MayOpen(GetTickCount64())) ShowTrayMenu(w);
            break;
    }
    return 0;
}

LRESULT OnCopyData(MainWindow& w, WPARAM, LPARAM lParam) {
    return ReceiveHandOver(w, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
}

LRESULT OnClipboardUpdate(MainWindow& w, WPARAM, LPARAM) {
    OnClipboardChanged(w);
    return 0;
}

LRESULT OnClipboardLinks(MainWindow& w, WPARAM, LPARAM) {
    OfferClipboardLinks(w);
    return 0;
}

LRESULT OnDrop(MainWindow& w, WPARAM, LPARAM) {
    TakeDroppedText(w);
    return 0;
}

LRESULT OnNextHandOver(MainWindow& w, WPARAM, LPARAM) {
    TakeNextHandOver(w);
    return 0;
}

using Handler = LRESULT (*)(MainWindow&, WPARAM, LPARAM);

const std::unordered_map<UINT, Handler>& Handlers() {
    static const std::unordered_map<UINT, Handler> table = {
        {WM_CREATE, OnCreate},
        {WM_SIZE, OnSize},
        {WM_PAINT, OnPaint},
        {WM_ERASEBKGND, OnEraseBackground},
        {WM_SETCURSOR, OnSetCursor},
        {WM_LBUTTONDOWN, OnLeftButtonDown},
        {WM_MOUSEMOVE, OnMouseMove},
        {WM_LBUTTONUP, OnLeftButtonUp},
        {WM_CAPTURECHANGED, OnCaptureChanged},
        {WM_TIMER, OnTimer},
        {WM_COMMAND, OnCommand},
        {WM_NOTIFY, OnNotify},
        {WM_CONTEXTMENU, OnContextMenu},
        {WM_INITMENUPOPUP, OnInitMenuPopup},
        {WM_CLOSE, OnClose},
        {WM_QUERYENDSESSION, OnQueryEndSession},
        {WM_ENDSESSION, OnEndSession},
        {WM_DESTROY, OnDestroy},
        {kTrayMessage, OnTrayIcon},
        {WM_COPYDATA, OnCopyData},
        {kNextHandOverMessage, OnNextHandOver},
        {kUpdateCheckMessage, OnUpdateCheckAnswer},
        {WM_CLIPBOARDUPDATE, OnClipboardUpdate},
        {kClipboardLinksMessage, OnClipboardLinks},
        {kDropMessage, OnDrop},
    };
    return table;
}

void FreeWindow(MainWindow* w) { delete w; }

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* w = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        w->window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
    }
    MainWindow* w = MainWindowOf(window);
    if (!w) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        FreeWindow(w);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == w->taskbarCreatedMessage && message != 0) {
        // Explorer restarted: the icon comes back with the default tip.
        w->trayIconPresent = AddTrayIcon(window, w->smallIcon.get());
        w->lastTooltip = Translate(L"Vonu Download Manager");
        return 0;
    }
    auto found = Handlers().find(message);
    if (found != Handlers().end()) return found->second(*w, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HWND CreateMainWindow(HINSTANCE instance) { return CreateMainWindow(instance, DataFolder()); }

HWND CreateMainWindow(HINSTANCE instance, const std::wstring& dataFolder) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    wc.hIconSm =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINFRAME);
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;

    auto* state = new MainWindow;
    state->instance = instance;
    state->dataFolder = dataFolder;
    try {
        state->listSaver = std::make_unique<ListSaver>(Manager(), dataFolder);
    } catch (const std::system_error&) {
    }
    state->taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");

    RECT work{0, 0, 1280, 800};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = std::min(Px(1200), static_cast<int>((work.right - work.left) * 95 / 100));
    const int height = std::min(Px(680), static_cast<int>((work.bottom - work.top) * 95 / 100));
    wchar_t title[256] = {};
    LoadStringW(instance, IDR_MAINFRAME, title, 256);
    HWND window = CreateWindowExW(0, kClassName, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                  CW_USEDEFAULT, width, height, nullptr, nullptr, instance, state);
    // On failure WM_NCDESTROY has already freed the state.
    return window;
}

void ShutDownMainWindowModel(MainWindow& w) { ShutDownModel(w); }

void ShowUpdateInstalledBalloon(HWND mainWindow) {
    if (MainWindow* w = MainWindowOf(mainWindow))
        ShowMainWindowBalloon(*w, Translate(L"Update installed"),
                              FormatText(Translate(L"Vonu is now on version %s."), kVersion));
}

void RunWindowTick(HWND mainWindow) {
    if (MainWindow* w = MainWindowOf(mainWindow)) WindowTick(*w);
}

}  // namespace vonu
