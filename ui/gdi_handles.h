// RAII ownership of the GDI and shell objects the windows make for themselves: fonts,
// brushes and bitmaps (DeleteObject), memory device contexts (DeleteDC), icons (DestroyIcon)
// and image lists (ImageList_Destroy). User-interface thread only, as the objects are.
// Deselect an object from a device context before its owner goes out of scope.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "model/unique_handle.h"

namespace vonu {

template <typename H>
struct GdiObjectTraits {
    using Type = H;
    static H Invalid() { return nullptr; }
    static void Close(H h) { ::DeleteObject(h); }
};
struct MemoryDcTraits {
    using Type = HDC;
    static HDC Invalid() { return nullptr; }
    static void Close(HDC dc) { ::DeleteDC(dc); }
};
struct IconTraits {
    using Type = HICON;
    static HICON Invalid() { return nullptr; }
    static void Close(HICON icon) { ::DestroyIcon(icon); }
};
struct ImageListTraits {
    using Type = HIMAGELIST;
    static HIMAGELIST Invalid() { return nullptr; }
    static void Close(HIMAGELIST list) { ::ImageList_Destroy(list); }
};

using FontHandle = UniqueHandle<GdiObjectTraits<HFONT>>;
using BrushHandle = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using BitmapHandle = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using MemoryDc = UniqueHandle<MemoryDcTraits>;
using IconHandle = UniqueHandle<IconTraits>;
using ImageListHandle = UniqueHandle<ImageListTraits>;

// A window's device context from GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

}  // namespace vonu
