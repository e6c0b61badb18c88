#include "ui/commands.h"

#include <shellapi.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "l10n/about_text.h"
#include "l10n/language.h"
#include "l10n/localization.h"
#include "ui/localize_window.h"
#include "ui/message_box.h"
#include "ui/resource.h"
#include "ui/shell_open.h"
#include "l10n/text_format.h"
#include "engine/speed_limiter.h"
#include "manager/control.h"
#include "model/categories.h"
#include "model/data_folder.h"
#include "model/download_manager.h"
#include "model/list_file.h"
#include "model/settings.h"
#include "ui/add_from_address.h"
#include "ui/browser_dialog.h"
#include "ui/category_dialog.h"
#include "ui/delete_dialog.h"
#include "ui/link_tools_hooks.h"
#include "ui/manager_tick_hook.h"
#include "ui/product_site.h"
#include "ui/progress_windows.h"
#include "ui/new_queue_dialog.h"
#include "ui/options_dialog.h"
#include "ui/properties_dialog.h"
#include "ui/scheduler_dialog.h"
#include "ui/toolbar.h"
#include "ui/update_offer.h"
#include "ui/updater_hooks.h"
#include "ui/view_nodes.h"
#include "ui/view_tree.h"

namespace vonu {
namespace {

constexpr wchar_t kTitle[] = L"Vonu Download Manager";

using Handler = void (*)(MainWindow&);
using Rule = bool (*)(const MainWindow&);

struct Command {
    Handler run = nullptr;   // null: its dialog is not in the program yet, so it stays disabled
    Rule enabled = nullptr;  // null: always available
};

bool Always(const MainWindow&) { return true; }

template <bool (*F)(const CommandContext&)>
bool ByRule(const MainWindow& w) {
    return F(w.Context());
}

std::vector<const DownloadSnapshot*> Selected(const MainWindow& w) { return w.Context().selected; }

// --- Tasks ---------------------------------------------------------------------------------

void AddLink(MainWindow& w) { AddNewDownload(w); }

void Exit(MainWindow& w) { CloseForExit(w); }

// The link tools (tools/) add downloads only through their dialogs; RunCommand refreshes
// the list after each.
void Batch(MainWindow& w) { LinkTools().batch(w.window); }
void BatchFromClipboard(MainWindow& w) { LinkTools().batchFromClipboard(w.window); }
void SiteGrabber(MainWindow& w) { LinkTools().siteGrabber(w.window); }
void ImportLinks(MainWindow& w) { LinkTools().importLinks(w.window); }
void ExportList(MainWindow& w) { LinkTools().exportList(w.window); }
bool LinkToolsAvailable(const MainWindow&) { return LinkToolsInstalled(); }

// --- File ----------------------------------------------------------------------------------

void Open(MainWindow& w) {
    auto s = Selected(w);
    if (s.size() != 1) return;
    const std::wstring path = s[0]->path;  // the box below runs ticks that renew the snapshot
    OpenFile(path, w.window);
}

void OpenWithChooser(MainWindow& w) {
    auto s = Selected(w);
    if (s.size() != 1) return;
    const std::wstring path = s[0]->path;
    OpenWith(w.window, path);
}

void OpenFolder(MainWindow& w) {
    auto s = Selected(w);
    if (s.size() != 1) return;
    const std::wstring path = s[0]->path;
    ShowInFolder(path);
}

void Resume(MainWindow& w) {
    const auto selected = Selected(w);
    for (const DownloadSnapshot* d : selected) {
        const auto state = d->state;
        if (state != DownloadState::Complete && state != DownloadState::Downloading)
            StartDownload(Manager(), d->id);
    }
    if (Manager().ShowProgress && selected.size() == 1) OpenProgressWindow(w, selected[0]->id);
}

void ShowProgress(MainWindow& w) {
    auto s = Selected(w);
    if (s.size() == 1) OpenProgressWindow(w, s[0]->id);
}

void Stop(MainWindow& w) {
    for (const DownloadSnapshot* d : Selected(w)) StopDownload(Manager(), d->id);
}

void Properties(MainWindow& w) {
    auto s = Selected(w);
    if (s.size() != 1) return;
    const int32_t id = s[0]->id;  // the dialog's loop runs ticks that renew the snapshot
    ShowFileProperties(w.window, id);
}

void Delete(MainWindow& w) {
    const auto selected = Selected(w);
    if (selected.empty()) return;
    const bool anyComplete = std::any_of(selected.begin(), selected.end(), [](const DownloadSnapshot* d) {
        return d->state == DownloadState::Complete;
    });
    std::vector<int32_t> ids;
    for (const DownloadSnapshot* d : selected) ids.push_back(d->id);
    const std::optional<bool> deleteFiles =
        AskDeleteDownloads(w.window, static_cast<int>(ids.size()), anyComplete);
    if (!deleteFiles) return;
    for (int32_t id : ids) {
        CloseProgressWindow(w, id);
        RemoveDownload(Manager(), id, *deleteFiles);
    }
}

// --- Downloads -----------------------------------------------------------------------------

void StopEveryDownload(MainWindow&) { StopAll(Manager()); }

void DeleteCompleted(MainWindow& w) {
    std::vector<int32_t> ids;
    for (const DownloadSnapshot& d : w.snapshot)
        if (d.state == DownloadState::Complete) ids.push_back(d.id);
    if (ids.empty()) return;
    const std::wstring question =
        FormatText(Translate(L"Remove %d completed downloads from the list?\nThe files stay on your disk."),
                   static_cast<int>(ids.size()));
    if (ShowMessageBox(w.window, question.c_str(), L"Clear Finished", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    for (int32_t id : ids) RemoveDownload(Manager(), id, false);
}

bool LimiterChecked(const DownloadManager& m) { return m.LimiterOn && m.SpeedLimitKB > 0; }

// The dialog runs a loop in which an Exit can free `w`; one modal dialog at a time.
void OpenOptions(MainWindow& w, OptionsPage page) {
    if (!IsWindowEnabled(w.window)) return;
    const HWND window = w.window;
    const OptionsOutcome outcome = ShowOptions(window, w.dataFolder, page);
    if (!outcome.restartNow || !MainWindowStillOpen(window, w)) return;
    if (StartProgramAgain()) CloseForExit(w);
}

void Options(MainWindow& w) { OpenOptions(w, OptionsPage::Connection); }

void ToggleLimiter(MainWindow& w) {
    DownloadManager& m = Manager();
    if (m.SpeedLimitKB <= 0) return OpenOptions(w, OptionsPage::Connection);  // a limit is set there first
    m.LimiterOn = !m.LimiterOn;
    SetLimiterRate(m);
    const WriteResult saved = SaveSettings(m, SettingsPath(w.dataFolder));
    if (!saved.ok) ShowMessageBox(w.window, saved.error.c_str(), kTitle, MB_OK | MB_ICONWARNING);
}

// --- Queues --------------------------------------------------------------------------------

void StartCommandQueue(MainWindow& w) { StartQueue(Manager(), CommandQueueId(w.currentNode)); }
void StopCommandQueue(MainWindow& w) { StopQueue(Manager(), CommandQueueId(w.currentNode)); }

// Both dialogs run a loop in which an Exit can free `w`; the tray menu reaches a window that
// another dialog has disabled, and one modal dialog at a time is enough.
void Scheduler(MainWindow& w) {
    if (!IsWindowEnabled(w.window)) return;
    const HWND window = w.window;
    ShowScheduler(window, w.dataFolder, CommandQueueId(w.currentNode));
    if (MainWindowStillOpen(window, w)) RebuildQueues(w);
}

void NewQueue(MainWindow& w) {
    if (!IsWindowEnabled(w.window)) return;
    const HWND window = w.window;
    const std::optional<std::wstring> name = AskNewQueueName(window);
    if (!name || !MainWindowStillOpen(window, w)) return;
    AddQueue(Manager(), *name);
    RebuildQueues(w);
}

void DeleteCurrentQueue(MainWindow& w) {
    if (!IsQueueNode(w.currentNode) || w.currentNode == kNodeDefaultQueue) return;
    if (ShowMessageBox(w.window, L"Delete this queue?\nIts files move to the default queue.", L"Delete queue",
                       MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    RemoveQueue(Manager(), w.currentNode - kNodeQueueBase);
    w.currentNode = kNodeQueues;
    RebuildQueues(w);
    SelectNode(w.tree, kNodeQueues);
}

void RemoveSelectedFromQueue(MainWindow& w) {
    for (const DownloadSnapshot* d : Selected(w))
        if (d->queueId != 0 && d->state != DownloadState::Downloading)
            RemoveFromQueue(Manager(), d->id);
}

// --- Categories (tree menu) ----------------------------------------------------------------

const Category* CurrentCategory(const MainWindow& w, const std::vector<Category>& categories) {
    if (!IsCategoryNode(w.currentNode)) return nullptr;
    const size_t index = static_cast<size_t>(w.currentNode - kNodeCategoryBase);
    if (index >= w.categoryNames.size()) return nullptr;
    for (const Category& c : categories)
        if (c.name == w.categoryNames[index]) return &c;
    return nullptr;
}

bool CanDeleteCategory(const MainWindow& w) {
    const std::vector<Category> categories = CopyCategories(Manager());
    const Category* c = CurrentCategory(w, categories);
    return c && !c->builtIn;
}

std::wstring BaseDirNow() {
    std::lock_guard guard(Manager().categoryLock);  // probe threads read it under this lock
    return Manager().BaseDir;
}

void ReplaceAndRebuild(MainWindow& w, std::vector<Category> categories) {
    const WriteResult saved = ReplaceCategories(Manager(), std::move(categories), w.dataFolder);
    RebuildCategories(w);
    if (!saved.ok) ShowMessageBox(w.window, saved.error.c_str(), kTitle, MB_OK | MB_ICONWARNING);
}

void AddCategory(MainWindow& w) {
    if (!IsWindowEnabled(w.window)) return;
    const HWND window = w.window;
    const std::vector<Category> categories = CopyCategories(Manager());
    const std::optional<Category> added = EditCategoryDialog(window, Category{}, true, categories, BaseDirNow());
    if (!added || !MainWindowStillOpen(window, w)) return;
    // The list may have changed while the dialog was open: append to a fresh copy.
    std::vector<Category> now = CopyCategories(Manager());
    now.push_back(*added);
    ReplaceAndRebuild(w, std::move(now));
}

bool CanEditCategory(const MainWindow& w) { return IsCategoryNode(w.currentNode); }

void EditCategory(MainWindow& w) {
    if (!IsWindowEnabled(w.window)) return;
    const HWND window = w.window;
    const std::vector<Category> categories = CopyCategories(Manager());
    const Category* current = CurrentCategory(w, categories);
    if (!current) return;
    const std::wstring oldName = current->name;
    const std::optional<Category> edited = EditCategoryDialog(window, *current, false, categories, BaseDirNow());
    if (!edited || !MainWindowStillOpen(window, w)) return;
    std::vector<Category> now = CopyCategories(Manager());
    auto record = std::find_if(now.begin(), now.end(), [&](const Category& c) { return c.name == oldName; });
    if (record == now.end()) return;  // deleted meanwhile
    *record = *edited;
    ReplaceAndRebuild(w, std::move(now));
    if (edited->name != oldName) RenameCategoryInDownloads(Manager(), oldName, edited->name);
}

void DeleteCategory(MainWindow& w) {
    std::vector<Category> categories = CopyCategories(Manager());
    const Category* c = CurrentCategory(w, categories);
    if (!c || c->builtIn) return;
    const std::wstring name = c->name;
    const std::wstring question = FormatText(
        Translate(L"Delete the category \"%s\"? Its downloads move to General, and no files are deleted."),
        name.c_str());
    if (ShowMessageBox(w.window, question.c_str(), L"Delete category", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    categories.erase(std::remove_if(categories.begin(), categories.end(),
                                    [&](const Category& k) { return k.name == name; }),
                     categories.end());
    RenameCategoryInDownloads(Manager(), name, kGeneralCategory);
    ReplaceAndRebuild(w, std::move(categories));
}

// --- Help and tray -------------------------------------------------------------------------

void SupportPage(MainWindow&) {
    const std::wstring address =
        std::wstring(kProductSite) + (IsArabicInterface() ? L"/support.html" : L"/en/support.html");
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CheckForUpdates(MainWindow& w) {
    StartUpdateCheck(w, true);  // does nothing while a check runs; the status pane says it runs
}

bool UpdatesAvailable(const MainWindow&) { return UpdaterInstalled(); }

void About(MainWindow& w) {
    const std::wstring text = std::wstring(Translate(kAboutText)) + L"\n\n" + kAboutCopyright;
    ShowMessageBox(w.window, text.c_str(), L"About Vonu", MB_OK | MB_ICONINFORMATION);
}

void BrowserIntegration(MainWindow& w) { ShowBrowserIntegration(w.window); }

void OpenVonu(MainWindow& w) { BringMainWindowForward(w); }
void SelectAllRows(MainWindow& w) { w.list.SelectAll(); }
void RunDefaultQueue(MainWindow&) { StartQueue(Manager(), 1); }
void PauseDefaultQueue(MainWindow&) { StopQueue(Manager(), 1); }

const std::unordered_map<int, Command>& Commands() {
    static const std::unordered_map<int, Command> table = {
        {ID_TASKS_ADD_DOWNLOAD, {AddLink, Always}},
        {ID_TASKS_BATCH, {Batch, LinkToolsAvailable}},
        {ID_TASKS_BATCH_CLIPBOARD, {BatchFromClipboard, LinkToolsAvailable}},
        {ID_TASKS_SITE_GRABBER, {SiteGrabber, LinkToolsAvailable}},
        {ID_TASKS_IMPORT, {ImportLinks, LinkToolsAvailable}},
        {ID_TASKS_EXPORT, {ExportList, LinkToolsAvailable}},
        {ID_APP_EXIT, {Exit, Always}},
        {ID_FILE_OPEN, {Open, ByRule<CanOpen>}},
        {ID_FILE_OPEN_WITH, {OpenWithChooser, ByRule<CanOpen>}},
        {ID_FILE_OPEN_FOLDER, {OpenFolder, ByRule<CanOpenFolder>}},
        {ID_FILE_RESUME, {Resume, ByRule<CanResume>}},
        {ID_FILE_STOP, {Stop, ByRule<CanStop>}},
        {ID_FILE_SHOW_PROGRESS, {ShowProgress, ByRule<CanShowProgress>}},
        {ID_FILE_PROPERTIES, {Properties, ByRule<CanShowProperties>}},
        {ID_FILE_DELETE, {Delete, ByRule<CanDelete>}},
        {ID_DOWNLOADS_STOP_ALL, {StopEveryDownload, ByRule<CanStopAll>}},
        {ID_DOWNLOADS_DELETE_COMPLETED, {DeleteCompleted, ByRule<CanDeleteCompleted>}},
        {ID_DOWNLOADS_ADD_CATEGORY, {AddCategory, Always}},
        {ID_DOWNLOADS_BROWSER, {BrowserIntegration, Always}},
        {ID_DOWNLOADS_LIMITER, {ToggleLimiter, Always}},
        {ID_DOWNLOADS_OPTIONS, {Options, Always}},
        {ID_QUEUES_START, {StartCommandQueue, ByRule<CanStartQueue>}},
        {ID_QUEUES_STOP, {StopCommandQueue, ByRule<CanStopQueue>}},
        {ID_QUEUES_SCHEDULER, {Scheduler, Always}},
        {ID_QUEUES_NEW, {NewQueue, Always}},
        {ID_QUEUES_DELETE, {DeleteCurrentQueue, ByRule<CanDeleteQueue>}},
        {ID_HELP_UPDATES, {CheckForUpdates, UpdatesAvailable}},
        {ID_HELP_SUPPORT, {SupportPage, Always}},
        {ID_HELP_ABOUT, {About, Always}},
        {ID_LIST_REMOVE_FROM_QUEUE, {RemoveSelectedFromQueue, ByRule<CanRemoveFromQueue>}},
        {ID_TREE_EDIT_CATEGORY, {EditCategory, CanEditCategory}},
        {ID_TREE_DELETE_CATEGORY, {DeleteCategory, CanDeleteCategory}},
        {ID_TRAY_OPEN, {OpenVonu, Always}},
        {ID_LIST_SELECT_ALL, {SelectAllRows, Always}},
        {ID_TRAY_RUN_DEFAULT_QUEUE, {RunDefaultQueue, Always}},
        {ID_TRAY_PAUSE_DEFAULT_QUEUE, {PauseDefaultQueue, Always}},
    };
    return table;
}

bool IsAddToQueue(int command) { return command > ID_ADD_TO_QUEUE_BASE && command <= ID_ADD_TO_QUEUE_LAST; }

void AddSelectedToQueue(MainWindow& w, int32_t queueId) {
    for (const DownloadSnapshot* d : Selected(w)) {
        const auto state = d->state;
        if (state != DownloadState::Complete && state != DownloadState::Downloading)
            MoveToQueue(Manager(), d->id, queueId);
    }
}

HMENU ListMenu(const MainWindow& w) {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, ID_FILE_OPEN, L"&Open");
    AppendMenuW(menu, MF_STRING, ID_FILE_OPEN_WITH, L"Open &with...");
    AppendMenuW(menu, MF_STRING, ID_FILE_OPEN_FOLDER, L"Open &folder");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, ID_FILE_RESUME, L"&Resume download");
    AppendMenuW(menu, MF_STRING, ID_FILE_STOP, L"&Stop download");
    AppendMenuW(menu, MF_STRING, ID_FILE_SHOW_PROGRESS, L"Show &progress");
    AppendMenuW(menu, MF_STRING, ID_FILE_PROPERTIES, L"P&roperties");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    HMENU queues = CreatePopupMenu();
    for (const DownloadQueue& q : w.queues)
        if (q.id >= 1 && q.id <= 100)
            AppendMenuW(queues, MF_STRING, ID_ADD_TO_QUEUE_BASE + q.id, q.name.c_str());
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(queues), L"Add to &queue");
    AppendMenuW(menu, MF_STRING, ID_LIST_REMOVE_FROM_QUEUE, L"Remove from q&ueue");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, ID_FILE_DELETE, L"&Delete");
    SetMenuDefaultItem(menu, ID_FILE_PROPERTIES, FALSE);
    return menu;
}

// With a gate, the gate is open for as long as the menu shows (ui/tray_icon.h).
void Track(MainWindow& w, HMENU menu, POINT screen, TrayMenuGate* gate = nullptr) {
    LocalizeMenu(menu);
    UpdateMenuItems(w, menu);
    UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON;
    if (IsArabicInterface()) flags |= TPM_LAYOUTRTL;
    if (gate) gate->open = true;
    // The menu's loop runs ticks and messages: an Exit from outside can free `w` meanwhile.
    const HWND window = w.window;
    const int chosen = TrackPopupMenu(menu, flags, screen.x, screen.y, 0, window, nullptr);
    DestroyMenu(menu);
    if (!MainWindowStillOpen(window, w)) return;
    if (gate) *gate = {false, GetTickCount64()};
    PostMessageW(w.window, WM_NULL, 0, 0);
    if (chosen) RunCommand(w, chosen);
}

}  // namespace

bool CommandEnabled(const MainWindow& w, int command) {
    if (IsAddToQueue(command)) return CanAddToQueue(w.Context());
    auto found = Commands().find(command);
    if (found == Commands().end() || !found->second.run) return false;
    return !found->second.enabled || found->second.enabled(w);
}

void RunCommand(MainWindow& w, int command) {
    if (!CommandEnabled(w, command)) return;
    // A command's dialog runs a message loop in which an Exit (from the tray menu or the setup
    // program) can destroy the window, and with it `w`: only the handle is looked at after.
    const HWND window = w.window;
    if (IsAddToQueue(command))
        AddSelectedToQueue(w, command - ID_ADD_TO_QUEUE_BASE);
    else
        Commands().at(command).run(w);
    if (command == ID_APP_EXIT || !IsWindow(window) || MainWindowOf(window) != &w) return;
    (void)SaveListIfAsked(Manager(), w.dataFolder);  // downloads it started are on disk at once
    RunManagerTick(Manager());
    RefreshList(w);
}

void UpdateMenuItems(const MainWindow& w, HMENU menu) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const UINT id = GetMenuItemID(menu, i);
        if (id == 0 || id == static_cast<UINT>(-1)) {
            // A submenu ("Add to queue") follows the rule of its items.
            if (HMENU sub = GetSubMenu(menu, i)) {
                UpdateMenuItems(w, sub);
                const bool any = CanAddToQueue(w.Context()) && GetMenuItemCount(sub) > 0;
                EnableMenuItem(menu, i, MF_BYPOSITION | (any ? MF_ENABLED : MF_GRAYED));
            }
            continue;
        }
        EnableMenuItem(menu, id,
                       MF_BYCOMMAND | (CommandEnabled(w, static_cast<int>(id)) ? MF_ENABLED : MF_GRAYED));
        if (id == ID_DOWNLOADS_LIMITER)
            CheckMenuItem(menu, id, MF_BYCOMMAND | (LimiterChecked(Manager()) ? MF_CHECKED : MF_UNCHECKED));
    }
}

void UpdateToolbarButtons(const MainWindow& w) {
    // One context for all buttons: the rules read the same selection and snapshot.
    const CommandContext c = w.Context();
    const std::pair<int, bool> states[] = {
        {ID_FILE_RESUME, CanResume(c)},
        {ID_FILE_STOP, CanStop(c)},
        {ID_DOWNLOADS_STOP_ALL, CanStopAll(c)},
        {ID_FILE_DELETE, CanDelete(c)},
        {ID_DOWNLOADS_DELETE_COMPLETED, CanDeleteCompleted(c)},
        {ID_QUEUES_START, CanStartQueue(c)},
        {ID_QUEUES_STOP, CanStopQueue(c)},
    };
    for (const auto& [command, enabled] : states) SetToolbarButtonEnabled(w.toolbar, command, enabled);
    // Always available once their dialogs are in the program; until then greyed.
    for (int command :
         {ID_TASKS_ADD_DOWNLOAD, ID_DOWNLOADS_OPTIONS, ID_QUEUES_SCHEDULER, ID_TASKS_SITE_GRABBER})
        SetToolbarButtonEnabled(w.toolbar, command, CommandEnabled(w, command));
}

void ShowListMenu(MainWindow& w, POINT screen) { Track(w, ListMenu(w), screen); }

void ShowTreeMenu(MainWindow& w, POINT screen) {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, ID_DOWNLOADS_ADD_CATEGORY, L"Add category...");
    if (IsCategoryNode(w.currentNode)) {
        AppendMenuW(menu, MF_STRING, ID_TREE_EDIT_CATEGORY, L"Edit category...");
        AppendMenuW(menu, MF_STRING, ID_TREE_DELETE_CATEGORY, L"Delete category");
    }
    Track(w, menu, screen);
}

void ShowTrayMenu(MainWindow& w) {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, ID_TRAY_OPEN, L"Open Vonu");
    AppendMenuW(menu, MF_STRING, ID_TASKS_ADD_DOWNLOAD, L"Add new download...");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    if (Manager().IsQueueRunning(1))
        AppendMenuW(menu, MF_STRING, ID_TRAY_PAUSE_DEFAULT_QUEUE, L"Pause default queue");
    else
        AppendMenuW(menu, MF_STRING, ID_TRAY_RUN_DEFAULT_QUEUE, L"Run default queue");
    AppendMenuW(menu, MF_STRING, ID_DOWNLOADS_STOP_ALL, L"Stop all downloads");
    AppendMenuW(menu, MF_STRING, ID_DOWNLOADS_LIMITER, L"Speed limiter");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, ID_APP_EXIT, L"Exit");
    SetMenuDefaultItem(menu, ID_TRAY_OPEN, FALSE);
    SetForegroundWindow(w.window);
    POINT cursor;
    GetCursorPos(&cursor);
    Track(w, menu, cursor, &w.trayMenu);
}

}  // namespace vonu
