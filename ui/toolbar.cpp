#include "ui/toolbar.h"

#include <windowsx.h>
#include <objidl.h>
#include <gdiplus.h>

#include <string>
#include <vector>

#include "l10n/localization.h"
#include "ui/gdi_handles.h"
#include "ui/screen_scale.h"
#include "ui/icon_painter.h"
#include "ui/toolbar_layout.h"
#include "ui/ui_scale.h"

namespace vonu {
namespace {

constexpr wchar_t kClass[] = L"VonuToolbar";

const COLORREF kBackground = RGB(247, 247, 248);
const COLORREF kBorder = RGB(225, 225, 229);
const COLORREF kHover = RGB(236, 237, 239);
const COLORREF kPressed = RGB(226, 227, 230);
const COLORREF kCaption = RGB(52, 56, 61);
const COLORREF kCaptionDisabled = RGB(182, 186, 191);

struct Entry {
    int command = 0;
    std::wstring caption;
    int icon = 0;
    bool enabled = true;
    bool separator = false;
    RECT rect{};
};

struct Toolbar {
    HWND window = nullptr;
    HFONT font = nullptr;
    std::vector<Entry> entries;
    int hot = -1;
    int pressed = -1;
    bool tracking = false;
};

Toolbar* Get(HWND w) { return reinterpret_cast<Toolbar*>(GetWindowLongPtrW(w, GWLP_USERDATA)); }

bool RightToLeft(HWND w) { return (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0; }

Gdiplus::Color ToColor(COLORREF c) { return Gdiplus::Color(GetRValue(c), GetGValue(c), GetBValue(c)); }

void LayOut(Toolbar& t) {
    const WindowDc windowDc(t.window);
    const HDC dc = windowDc.get();
    HGDIOBJ old = SelectObject(dc, t.font);
    std::vector<ToolbarSlot> slots;
    for (const Entry& e : t.entries) {
        ToolbarSlot s;
        s.separator = e.separator;
        if (!e.separator) {
            RECT r{};
            DrawTextW(dc, e.caption.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
            s.captionWidth = r.right - r.left;
        }
        slots.push_back(s);
    }
    SelectObject(dc, old);
    const std::vector<RECT> rects = LayOutToolbar(slots, ScreenScale());
    for (size_t i = 0; i < rects.size(); ++i) t.entries[i].rect = rects[i];
}

int HitTest(const Toolbar& t, POINT p) {
    for (size_t i = 0; i < t.entries.size(); ++i)
        if (!t.entries[i].separator && PtInRect(&t.entries[i].rect, p)) return static_cast<int>(i);
    return -1;
}

void InvalidateEntry(const Toolbar& t, int index) {
    if (index < 0 || index >= static_cast<int>(t.entries.size())) return;
    InvalidateRect(t.window, &t.entries[index].rect, FALSE);  // the window's DC mirrors it
}

void FillRoundedRect(Gdiplus::Graphics& g, const RECT& r, COLORREF colour, float radius) {
    Gdiplus::GraphicsPath path;
    const float x = static_cast<float>(r.left), y = static_cast<float>(r.top);
    const float w = static_cast<float>(r.right - r.left) - 1, h = static_cast<float>(r.bottom - r.top) - 1;
    const float d = 2 * radius;
    path.AddArc(x, y, d, d, 180, 90);
    path.AddArc(x + w - d, y, d, d, 270, 90);
    path.AddArc(x + w - d, y + h - d, d, d, 0, 90);
    path.AddArc(x, y + h - d, d, d, 90, 90);
    path.CloseFigure();
    Gdiplus::SolidBrush brush(ToColor(colour));
    g.FillPath(&brush, &path);
}

// Draws everything on an unmirrored memory surface, then copies it to the window whole.
void Paint(Toolbar& t, HDC target) {
    RECT client;
    GetClientRect(t.window, &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0) return;
    const bool rtl = RightToLeft(t.window);
    const MemoryDc memory(CreateCompatibleDC(target));
    const BitmapHandle bitmap(CreateCompatibleBitmap(target, width, height));
    const HDC mem = memory.get();
    HGDIOBJ oldBitmap = SelectObject(mem, bitmap.get());

    FillRect(mem, &client, BrushHandle(CreateSolidBrush(kBackground)).get());
    const BrushHandle border(CreateSolidBrush(kBorder));
    RECT bottom{0, height - 1, width, height};
    FillRect(mem, &bottom, border.get());

    std::vector<RECT> drawn;
    for (const Entry& e : t.entries) drawn.push_back(rtl ? MirroredRect(e.rect, width) : e.rect);
    {
        Gdiplus::Graphics g(mem);
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        for (size_t i = 0; i < t.entries.size(); ++i) {
            const Entry& e = t.entries[i];
            const RECT& r = drawn[i];
            if (e.separator) {
                FillRect(mem, &r, border.get());
                continue;
            }
            COLORREF under = kBackground;
            if (e.enabled && t.hot == static_cast<int>(i)) {
                under = t.pressed == static_cast<int>(i) ? kPressed : kHover;
                FillRoundedRect(g, r, under, 6.0f * static_cast<float>(ScreenScale()));
            }
            const float side = 30.0f * static_cast<float>(ScreenScale());
            const float left = static_cast<float>(r.left) + (static_cast<float>(r.right - r.left) - side) / 2;
            const float top = static_cast<float>(r.top + Px(7));
            PaintIcon(g, e.icon, left, top, side, e.enabled, ToColor(under));
        }
    }

    HGDIOBJ oldFont = SelectObject(mem, t.font);
    SetBkMode(mem, TRANSPARENT);
    for (size_t i = 0; i < t.entries.size(); ++i) {
        const Entry& e = t.entries[i];
        if (e.separator) continue;
        RECT band = drawn[i];
        band.top = drawn[i].top + Px(7) + Px(30) + Px(5);
        SetTextColor(mem, e.enabled ? kCaption : kCaptionDisabled);
        UINT flags = DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_TOP;
        if (rtl) flags |= DT_RTLREADING;
        DrawTextW(mem, e.caption.c_str(), -1, &band, flags);
    }
    SelectObject(mem, oldFont);

    BitBlt(target, 0, 0, width, height, mem, 0, 0, SRCCOPY | (rtl ? NOMIRRORBITMAP : 0));
    SelectObject(mem, oldBitmap);
}

void OnMouseMove(Toolbar& t, POINT p) {
    if (!t.tracking) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, t.window, 0};
        t.tracking = TrackMouseEvent(&track) != FALSE;
    }
    const int hit = HitTest(t, p);
    if (hit != t.hot) {
        InvalidateEntry(t, t.hot);
        t.hot = hit;
        InvalidateEntry(t, t.hot);
    }
}

void OnMouseLeave(Toolbar& t) {
    t.tracking = false;
    InvalidateEntry(t, t.hot);
    t.hot = -1;
}

void OnButtonDown(Toolbar& t, POINT p) {
    t.pressed = HitTest(t, p);
    if (t.pressed >= 0) {
        SetCapture(t.window);
        InvalidateEntry(t, t.pressed);
    }
}

void OnButtonUp(Toolbar& t, POINT p) {
    // Taken before the capture goes: releasing it sends WM_CAPTURECHANGED, which forgets it.
    const int was = t.pressed;
    t.pressed = -1;
    if (GetCapture() == t.window) ReleaseCapture();
    const int hit = HitTest(t, p);
    InvalidateEntry(t, was);
    if (hit >= 0 && hit == was && t.entries[hit].enabled)
        SendMessageW(GetParent(t.window), WM_COMMAND, MAKEWPARAM(t.entries[hit].command, 0), 0);
}

POINT PointOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

LRESULT CALLBACK ToolbarProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    Toolbar* t = Get(w);
    if (!t) return DefWindowProcW(w, message, wParam, lParam);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(w, &ps);
            Paint(*t, dc);
            EndPaint(w, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            LayOut(*t);
            InvalidateRect(w, nullptr, FALSE);
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(*t, PointOf(lParam));
            return 0;
        case WM_MOUSELEAVE:
            OnMouseLeave(*t);
            return 0;
        case WM_LBUTTONDOWN:
            OnButtonDown(*t, PointOf(lParam));
            return 0;
        case WM_LBUTTONUP:
            OnButtonUp(*t, PointOf(lParam));
            return 0;
        case WM_CAPTURECHANGED:
            if (t->pressed >= 0 && reinterpret_cast<HWND>(lParam) != w) {
                InvalidateEntry(*t, t->pressed);
                t->pressed = -1;
            }
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(w, GWLP_USERDATA, 0);
            delete t;
            return 0;
    }
    return DefWindowProcW(w, message, wParam, lParam);
}

Entry* FindButton(Toolbar& t, int command) {
    for (Entry& e : t.entries)
        if (!e.separator && e.command == command) return &e;
    return nullptr;
}

}  // namespace

HWND CreateToolbar(HWND parent, HINSTANCE instance, HFONT captionFont) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ToolbarProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    HWND w = CreateWindowExW(0, kClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0,
                             Px(kToolbarHeight), parent, nullptr, instance, nullptr);
    if (!w) return nullptr;
    auto* t = new Toolbar;
    t->window = w;
    t->font = captionFont;
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(t));
    return w;
}

void AddToolbarButton(HWND toolbar, int command, const wchar_t* caption, int iconCode) {
    Toolbar* t = Get(toolbar);
    if (!t) return;
    Entry e;
    e.command = command;
    e.caption = Translate(caption);
    e.icon = iconCode;
    t->entries.push_back(e);
    LayOut(*t);
}

void AddToolbarSeparator(HWND toolbar) {
    Toolbar* t = Get(toolbar);
    if (!t) return;
    Entry e;
    e.separator = true;
    t->entries.push_back(e);
    LayOut(*t);
}

void SetToolbarButtonEnabled(HWND toolbar, int command, bool enabled) {
    Toolbar* t = Get(toolbar);
    if (!t) return;
    Entry* e = FindButton(*t, command);
    if (!e || e->enabled == enabled) return;
    e->enabled = enabled;
    InvalidateRect(toolbar, &e->rect, FALSE);
}

bool ToolbarButtonEnabled(HWND toolbar, int command) {
    Toolbar* t = Get(toolbar);
    Entry* e = t ? FindButton(*t, command) : nullptr;
    return e && e->enabled;
}

}  // namespace vonu
