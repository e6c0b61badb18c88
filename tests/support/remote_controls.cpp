#include "tests/support/remote_controls.h"

#include "tests/support/process.h"

namespace vonu::test {
namespace {

// A block of memory in the process that owns a window, freed at scope end.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_)
            address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    char* at(size_t offset) const { return static_cast<char*>(address_) + offset; }
    bool Write(size_t offset, const void* data, size_t n) const {
        return address_ && offset + n <= size_ && WriteProcessMemory(process_, at(offset), data, n, nullptr);
    }
    bool Read(size_t offset, void* data, size_t n) const {
        return address_ && offset + n <= size_ && ReadProcessMemory(process_, at(offset), data, n, nullptr);
    }
    std::wstring ReadText(size_t offset, size_t chars) const {
        std::wstring text(chars, L'\0');
        if (!Read(offset, text.data(), chars * sizeof(wchar_t))) return {};
        text.resize(wcsnlen(text.c_str(), chars));
        return text;
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    size_t size_ = 0;
};

constexpr size_t kTextChars = 1024;
constexpr size_t kTextOffset = 512;  // the record first, the text after it

}  // namespace

HWND ChildOfClass(HWND parent, const wchar_t* className) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64] = {};
        GetClassNameW(child, name, 64);
        if (_wcsicmp(name, className) == 0) return child;
    }
    return nullptr;
}

HWND DescendantWithId(HWND parent, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (GetDlgCtrlID(child) != s->id) return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int TimePickerMinute(HWND picker) {
    RemoteBuffer buffer(picker, sizeof(SYSTEMTIME));
    if (SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(buffer.at(0))) != GDT_VALID) return -1;
    SYSTEMTIME t{};
    if (!buffer.Read(0, &t, sizeof t)) return -1;
    return t.wHour * 60 + t.wMinute;
}

bool SetTimePickerMinute(HWND picker, int minute) {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    t.wHour = static_cast<WORD>(minute / 60);
    t.wMinute = static_cast<WORD>(minute % 60);
    t.wSecond = 0;
    t.wMilliseconds = 0;
    RemoteBuffer buffer(picker, sizeof t);
    return buffer.Write(0, &t, sizeof t) &&
           SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(buffer.at(0))) != 0;
}

int ListViewRowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring ListViewText(HWND list, int row, int column) {
    RemoteBuffer buffer(list, kTextOffset + kTextChars * sizeof(wchar_t));
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(buffer.at(kTextOffset));
    item.cchTextMax = kTextChars;
    if (!buffer.Write(0, &item, sizeof item)) return L"(unreadable)";
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(buffer.at(0)));
    return buffer.ReadText(kTextOffset, kTextChars);
}

std::vector<std::vector<std::wstring>> ListViewRows(HWND list, int columns) {
    std::vector<std::vector<std::wstring>> rows;
    const int count = ListViewRowCount(list);
    for (int r = 0; r < count; ++r) {
        std::vector<std::wstring> cells;
        for (int c = 0; c < columns; ++c) cells.push_back(ListViewText(list, r, c));
        rows.push_back(cells);
    }
    return rows;
}

void ListViewSelect(HWND list, const std::vector<int>& rows) {
    RemoteBuffer buffer(list, sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    buffer.Write(0, &item, sizeof item);
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(buffer.at(0)));
    bool first = true;
    for (int row : rows) {
        item.state = LVIS_SELECTED | (first ? LVIS_FOCUSED : 0);
        first = false;
        buffer.Write(0, &item, sizeof item);
        SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(buffer.at(0)));
    }
}

std::wstring ListViewHeaderText(HWND list, int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    RemoteBuffer buffer(header, kTextOffset + kTextChars * sizeof(wchar_t));
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = reinterpret_cast<wchar_t*>(buffer.at(kTextOffset));
    item.cchTextMax = kTextChars;
    if (!buffer.Write(0, &item, sizeof item)) return L"(unreadable)";
    SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(buffer.at(0)));
    return buffer.ReadText(kTextOffset, kTextChars);
}

std::wstring StatusBarText(HWND bar, int pane) {
    RemoteBuffer buffer(bar, kTextChars * sizeof(wchar_t));
    const LRESULT info = SendMessageW(bar, SB_GETTEXTLENGTHW, pane, 0);
    if (LOWORD(info) >= kTextChars) return L"(too long)";
    SendMessageW(bar, SB_GETTEXTW, pane, reinterpret_cast<LPARAM>(buffer.at(0)));
    return buffer.ReadText(0, kTextChars);
}

bool ClickTab(HWND tabs, int index) {
    RemoteBuffer remote(tabs, sizeof(RECT));
    RECT r{};
    if (!SendMessageW(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote.at(0))) ||
        !remote.Read(0, &r, sizeof r))
        return false;
    const LPARAM point = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(tabs, WM_LBUTTONUP, 0, point);
    return true;
}

std::vector<HTREEITEM> TreeRoots(HWND tree) {
    std::vector<HTREEITEM> items;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (; item; item = reinterpret_cast<HTREEITEM>(
                     SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
        items.push_back(item);
    return items;
}

std::vector<HTREEITEM> TreeChildren(HWND tree, HTREEITEM parent) {
    std::vector<HTREEITEM> items;
    auto item = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
    for (; item; item = reinterpret_cast<HTREEITEM>(
                     SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
        items.push_back(item);
    return items;
}

std::wstring TreeItemText(HWND tree, HTREEITEM handle) {
    RemoteBuffer buffer(tree, kTextOffset + kTextChars * sizeof(wchar_t));
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = handle;
    item.pszText = reinterpret_cast<wchar_t*>(buffer.at(kTextOffset));
    item.cchTextMax = kTextChars;
    if (!buffer.Write(0, &item, sizeof item)) return L"(unreadable)";
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(buffer.at(0)));
    return buffer.ReadText(kTextOffset, kTextChars);
}

void TreeSelect(HWND tree, HTREEITEM item) {
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

bool WaitForVonuWindow(DWORD pid, int rows, VonuWindow* out) {
    *out = VonuWindow{};
    out->main = WaitForMainWindow(pid, 30000);
    if (!out->main) return false;
    const bool shown = WaitUntil(10000, [&] {
        out->list = ChildOfClass(out->main, L"SysListView32");
        out->tree = ChildOfClass(out->main, L"SysTreeView32");
        out->status = ChildOfClass(out->main, L"msctls_statusbar32");
        return out->list && out->tree && out->status && IsWindowVisible(out->main);
    });
    return shown && (rows < 0 || WaitUntil(10000, [&] { return ListViewRowCount(out->list) == rows; }));
}

std::vector<ShownBalloon> ShownBalloons() {
    std::vector<HWND> tips;
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            wchar_t name[64] = {};
            GetClassNameW(w, name, 64);
            if (_wcsicmp(name, TOOLTIPS_CLASSW) == 0 && IsWindowVisible(w) &&
                (GetWindowLongPtrW(w, GWL_STYLE) & TTS_BALLOON))
                reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tips));
    std::vector<ShownBalloon> shown;
    for (HWND tip : tips) {
        // WM_GETTEXT of a tooltip is the text it shows; the system carries it across processes,
        // so nothing is written into the shell's memory.
        wchar_t text[512] = {};
        DWORD_PTR copied = 0;
        if (SendMessageTimeoutW(tip, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                                &copied))
            shown.push_back({std::wstring(text, wcsnlen(text, 512))});
    }
    return shown;
}

}  // namespace vonu::test
