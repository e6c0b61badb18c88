// RAII ownership of a Windows handle with the close function that fits it.
#pragma once

#include <windows.h>

#include <utility>

namespace vonu {

// Traits: `using Type`, `static Type Invalid()`, `static void Close(Type)`.
template <typename Traits>
class UniqueHandle {
public:
    using H = typename Traits::Type;
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    H get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Invalid(); }
    H release() { return std::exchange(h_, Traits::Invalid()); }
    void reset(H h = Traits::Invalid()) {
        if (h_ != Traits::Invalid()) Traits::Close(h_);
        h_ = h;
    }

private:
    H h_ = Traits::Invalid();
};

// CreateFileW fails with INVALID_HANDLE_VALUE; most other kernel calls with null.
struct FileHandleTraits {
    using Type = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
// Handles that are null when there is none, closed by one function.
template <typename H, auto CloseFn>
struct NullHandleTraits {
    using Type = H;
    static H Invalid() { return nullptr; }
    static void Close(H h) { CloseFn(h); }
};
using KernelHandleTraits = NullHandleTraits<HANDLE, ::CloseHandle>;
using RegKeyTraits = NullHandleTraits<HKEY, ::RegCloseKey>;

// FindFirstFileW fails with INVALID_HANDLE_VALUE and is closed with FindClose.
struct FindHandleTraits {
    using Type = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::FindClose(h); }
};

using FileHandle = UniqueHandle<FileHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;

}  // namespace vonu
