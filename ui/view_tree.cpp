#include "ui/view_tree.h"

#include <uxtheme.h>

#include "l10n/localization.h"
#include "ui/gdi_handles.h"
#include "ui/icon_painter.h"
#include "ui/ui_scale.h"
#include "ui/view_nodes.h"

namespace vonu {
namespace {

HTREEITEM Insert(HWND tree, HTREEITEM parent, const std::wstring& text, int nodeId, int image) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = nodeId;
    insert.item.iImage = insert.item.iSelectedImage = image;
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void DeleteChildren(HWND tree, HTREEITEM parent) {
    HTREEITEM child = TreeView_GetChild(tree, parent);
    while (child) {
        HTREEITEM next = TreeView_GetNextSibling(tree, child);
        TreeView_DeleteItem(tree, child);
        child = next;
    }
}

std::wstring ItemText(HWND tree, HTREEITEM item) {
    wchar_t text[512] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = 512;
    TreeView_GetItem(tree, &tv);
    return text;
}

void SetItemText(HWND tree, HTREEITEM item, const std::wstring& text) {
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = const_cast<wchar_t*>(text.c_str());
    TreeView_SetItem(tree, &tv);
}

// The selection changes while children are deleted and inserted; the window ignores those
// notifications until the rebuild is over and then selects the node itself.
struct QuietSelection {
    HWND tree;
    explicit QuietSelection(HWND t) : tree(t) {
        SetPropW(tree, L"VonuRebuilding", reinterpret_cast<HANDLE>(1));
    }
    ~QuietSelection() { RemovePropW(tree, L"VonuRebuilding"); }
};

}  // namespace

HWND CreateViewTree(HWND parent, HINSTANCE instance, HFONT font, HIMAGELIST* images) {
    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_FULLROWSELECT |
                                    TVS_TRACKSELECT | TVS_SHOWSELALWAYS | TVS_NOHSCROLL,
                                0, 0, 0, 0, parent, nullptr, instance, nullptr);
    if (!tree) return nullptr;
    SetWindowTheme(tree, L"Explorer", nullptr);
    TreeView_SetExtendedStyle(tree, TVS_EX_DOUBLEBUFFER, TVS_EX_DOUBLEBUFFER);
    SendMessageW(tree, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    TreeView_SetItemHeight(tree, Px(26));

    const int side = Px(16);
    HIMAGELIST list = ImageList_Create(side, side, ILC_COLOR32, 5, 0);
    for (int code : {kIconAllDownloads, kIconCategory, kIconIncomplete, kIconCompleted, kIconQueues}) {
        const BitmapHandle bitmap(IconBitmapOnWhite(code, side));
        ImageList_Add(list, bitmap.get(), nullptr);
    }
    TreeView_SetImageList(tree, list, TVSIL_NORMAL);
    *images = list;

    Insert(tree, TVI_ROOT, Translate(L"All Downloads"), kNodeAll, 0);
    Insert(tree, TVI_ROOT, Translate(L"Incomplete"), kNodeIncomplete, 2);
    Insert(tree, TVI_ROOT, Translate(L"Completed"), kNodeCompleted, 3);
    Insert(tree, TVI_ROOT, Translate(L"Queues"), kNodeQueues, 4);
    return tree;
}

int NodeIdOf(HWND tree, HTREEITEM item) {
    if (!item) return kNodeNone;
    TVITEMW tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    if (!TreeView_GetItem(tree, &tv)) return kNodeNone;
    return static_cast<int>(tv.lParam);
}

HTREEITEM RootNode(HWND tree, int nodeId) {
    for (HTREEITEM root = TreeView_GetRoot(tree); root; root = TreeView_GetNextSibling(tree, root))
        if (NodeIdOf(tree, root) == nodeId) return root;
    return nullptr;
}

HTREEITEM FindNode(HWND tree, int nodeId) {
    for (HTREEITEM root = TreeView_GetRoot(tree); root; root = TreeView_GetNextSibling(tree, root)) {
        if (NodeIdOf(tree, root) == nodeId) return root;
        for (HTREEITEM c = TreeView_GetChild(tree, root); c; c = TreeView_GetNextSibling(tree, c))
            if (NodeIdOf(tree, c) == nodeId) return c;
    }
    return nullptr;
}

void SelectNode(HWND tree, int nodeId) {
    if (HTREEITEM item = FindNode(tree, nodeId)) TreeView_SelectItem(tree, item);
}

int RebuildCategoryNodes(HWND tree, const std::vector<std::wstring>& oldNames,
                         const std::vector<std::wstring>& newNames, int selectedNode) {
    std::wstring remembered;
    bool hadCategory = false;
    if (IsCategoryNode(selectedNode)) {
        const size_t index = static_cast<size_t>(selectedNode - kNodeCategoryBase);
        hadCategory = true;
        if (index < oldNames.size()) remembered = oldNames[index];
    }
    HTREEITEM all = RootNode(tree, kNodeAll);
    int result = selectedNode;
    {
        QuietSelection quiet(tree);
        DeleteChildren(tree, all);
        const size_t n = newNames.size();
        for (size_t k = 0; k < n; ++k) {
            const size_t index = (k + 1 < n) ? k + 1 : 0;  // the general category goes last
            Insert(tree, all, Translate(newNames[index].c_str()), kNodeCategoryBase + static_cast<int>(index),
                   1);
        }
        TreeView_Expand(tree, all, TVE_EXPAND);
    }
    if (hadCategory) {
        result = kNodeAll;
        for (size_t i = 0; i < newNames.size(); ++i)
            if (!remembered.empty() && newNames[i] == remembered)
                result = kNodeCategoryBase + static_cast<int>(i);
        SelectNode(tree, result);
    }
    return result;
}

int RebuildQueueNodes(HWND tree, const std::vector<DownloadQueue>& queues, int selectedNode) {
    HTREEITEM root = RootNode(tree, kNodeQueues);
    int result = selectedNode;
    {
        QuietSelection quiet(tree);
        DeleteChildren(tree, root);
        for (const DownloadQueue& q : queues)
            Insert(tree, root, Translate(q.name.c_str()), kNodeQueueBase + q.id, 4);
        TreeView_Expand(tree, root, TVE_EXPAND);
    }
    if (IsQueueNode(selectedNode)) {
        result = FindNode(tree, selectedNode) ? selectedNode : kNodeQueues;
        SelectNode(tree, result);
    }
    return result;
}

void UpdateQueueLabels(HWND tree, const std::vector<DownloadQueue>& queues) {
    HTREEITEM root = RootNode(tree, kNodeQueues);
    for (HTREEITEM c = TreeView_GetChild(tree, root); c; c = TreeView_GetNextSibling(tree, c)) {
        const int id = NodeIdOf(tree, c) - kNodeQueueBase;
        for (const DownloadQueue& q : queues) {
            if (q.id != id) continue;
            std::wstring label = Translate(q.name.c_str());
            if (q.running) label += Translate(L"  (running)");
            if (ItemText(tree, c) != label) SetItemText(tree, c, label);
        }
    }
}

}  // namespace vonu
