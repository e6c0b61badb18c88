#include "ui/main_window_layout.h"

#include <algorithm>

#include "ui/gdi_handles.h"
#include "ui/screen_scale.h"
#include "ui/toolbar_layout.h"
#include "ui/ui_scale.h"

namespace vonu {
namespace {

struct Bands {
    int top = 0;     // toolbar bottom
    int bottom = 0;  // status bar top
    int width = 0;
};

Bands BandsOf(const MainWindow& w) {
    RECT client;
    GetClientRect(w.window, &client);
    RECT status{};
    if (w.status.window()) GetWindowRect(w.status.window(), &status);
    Bands b;
    b.top = Px(kToolbarHeight);
    b.bottom = std::max(b.top, static_cast<int>(client.bottom - (status.bottom - status.top)));
    b.width = client.right;
    return b;
}

}  // namespace

int ClampTreeWidth(int wanted, int clientWidth, double scale) {
    return std::max(static_cast<int>(140 * scale), std::min(wanted, clientWidth / 2));
}

void LayOutMainWindow(MainWindow& w) {
    if (w.status.window()) SendMessageW(w.status.window(), WM_SIZE, 0, 0);
    const Bands b = BandsOf(w);
    w.treeWidth = ClampTreeWidth(w.treeWidth, b.width, ScreenScale());
    const int height = b.bottom - b.top;
    const int gap = Px(5);
    HDWP batch = BeginDeferWindowPos(3);
    if (w.toolbar)
        batch =
            DeferWindowPos(batch, w.toolbar, nullptr, 0, 0, b.width, b.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (w.tree)
        batch = DeferWindowPos(batch, w.tree, nullptr, 0, b.top, w.treeWidth, height,
                               SWP_NOZORDER | SWP_NOACTIVATE);
    if (w.list.window())
        batch =
            DeferWindowPos(batch, w.list.window(), nullptr, w.treeWidth + gap, b.top,
                           std::max(0, b.width - w.treeWidth - gap), height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (batch) EndDeferWindowPos(batch);
    RECT splitter{w.treeWidth, b.top, w.treeWidth + gap, b.bottom};
    InvalidateRect(w.window, &splitter, TRUE);
}

void PaintMainWindow(MainWindow& w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w.window, &ps);
    FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const Bands b = BandsOf(w);
    const int x = w.treeWidth + Px(5) / 2;
    RECT line{x, b.top, x + 1, b.bottom};
    const BrushHandle brush(CreateSolidBrush(RGB(225, 225, 229)));
    FillRect(dc, &line, brush.get());
    EndPaint(w.window, &ps);
}

bool OverSplitter(const MainWindow& w, POINT p) {
    const Bands b = BandsOf(w);
    return p.x >= w.treeWidth && p.x < w.treeWidth + Px(5) && p.y >= b.top && p.y < b.bottom;
}

void BeginSplitterDrag(MainWindow& w) {
    w.splitterDragging = true;
    SetCapture(w.window);
}

void DragSplitter(MainWindow& w, int x) {
    if (!w.splitterDragging) return;
    w.treeWidth = x;
    LayOutMainWindow(w);
    InvalidateRect(w.window, nullptr, TRUE);
}

void EndSplitterDrag(MainWindow& w) {
    if (!w.splitterDragging) return;
    w.splitterDragging = false;
    if (GetCapture() == w.window) ReleaseCapture();
}

}  // namespace vonu
