// RAII ownership of the GDI and shell objects the windows make for themselves: fonts,
// brushes and bitmaps (DeleteObject), memory device contexts (DeleteDC), icons (DestroyIcon)
// and image lists (ImageList_Destroy). User-interface thread only, as the objects are.
// Deselect an object from a device context before its owner goes out of scope.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "model/unique_handle.h"

namespace vonu {

using FontHandle = UniqueHandle<NullHandleTraits<HFONT, ::DeleteObject>>;
using BrushHandle = UniqueHandle<NullHandleTraits<HBRUSH, ::DeleteObject>>;
using BitmapHandle = UniqueHandle<NullHandleTraits<HBITMAP, ::DeleteObject>>;
using MemoryDc = UniqueHandle<NullHandleTraits<HDC, ::DeleteDC>>;
using IconHandle = UniqueHandle<NullHandleTraits<HICON, ::DestroyIcon>>;
using ImageListHandle = UniqueHandle<NullHandleTraits<HIMAGELIST, ::ImageList_Destroy>>;

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
