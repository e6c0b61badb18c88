// The process-wide run-times the windows need, each ended exactly once: by ExitApp in the
// order it chooses, or at the latest when the session that holds them is destroyed.
// User-interface thread only (COM and OLE are per thread; GDI+ is started there).
#pragma once

#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <gdiplus.h>

namespace vonu {

// Both flavours count their own successful start and undo only that.
template <HRESULT (*StartFn)(), void (*EndFn)()>
class RuntimeScope {
public:
    RuntimeScope() = default;
    RuntimeScope(const RuntimeScope&) = delete;
    RuntimeScope& operator=(const RuntimeScope&) = delete;
    ~RuntimeScope() { End(); }
    void Start() {
        if (!started_) started_ = SUCCEEDED(StartFn());
    }
    void End() {
        if (started_) EndFn();
        started_ = false;
    }

private:
    bool started_ = false;
};

inline HRESULT StartComApartment() { return CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
inline HRESULT StartOle() { return OleInitialize(nullptr); }
inline void EndOle() { OleUninitialize(); }

using ComScope = RuntimeScope<StartComApartment, CoUninitialize>;
using OleScope = RuntimeScope<StartOle, EndOle>;

class GdiplusScope {
public:
    GdiplusScope() = default;
    GdiplusScope(const GdiplusScope&) = delete;
    GdiplusScope& operator=(const GdiplusScope&) = delete;
    ~GdiplusScope() { End(); }
    void Start() {
        Gdiplus::GdiplusStartupInput input;
        if (!token_ && Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
    }
    void End() {
        if (token_) Gdiplus::GdiplusShutdown(token_);
        token_ = 0;
    }

private:
    ULONG_PTR token_ = 0;
};

}  // namespace vonu
