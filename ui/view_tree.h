// The main window's tree of views: "All Downloads" with one child per category,
// "Incomplete", "Completed" and "Queues" with one child per queue. Each item's lParam is its
// node id (ui/view_nodes.h). User-interface thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "model/download_types.h"

namespace vonu {

// The tree with its five painted icons and the four root nodes (no children yet).
HWND CreateViewTree(HWND parent, HINSTANCE instance, HFONT font, HIMAGELIST* images);

int NodeIdOf(HWND tree, HTREEITEM item);
HTREEITEM FindNode(HWND tree, int nodeId);  // roots and their children
HTREEITEM RootNode(HWND tree, int nodeId);

// Rebuilds the children of "All Downloads": indexes 1 .. n-1 and then index 0 (the general
// category) last. Keeps a selected category selected by its name, or selects "All Downloads"
// when it is gone. `selectedNode` is the current node; returns the node to make current.
int RebuildCategoryNodes(HWND tree, const std::vector<std::wstring>& oldNames,
                         const std::vector<std::wstring>& newNames, int selectedNode);

// Rebuilds the children of "Queues" in model order; a selected queue stays selected, or
// "Queues" is selected when it is gone. Returns the node to make current.
int RebuildQueueNodes(HWND tree, const std::vector<DownloadQueue>& queues, int selectedNode);

// Queue labels: the translated name, plus "  (running)" while the queue runs; only labels
// that differ are rewritten.
void UpdateQueueLabels(HWND tree, const std::vector<DownloadQueue>& queues);

void SelectNode(HWND tree, int nodeId);

}  // namespace vonu
