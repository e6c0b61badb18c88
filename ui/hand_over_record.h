// The hand-over record: how the native messaging host passes one browser download to the
// running main window. A WM_COPYDATA message whose data word is kHandOverId and whose data
// is UTF-16 text ended by a NUL: address, referrer, file name, cookie and user agent,
// separated by U+001F. The byte count includes the NUL; the receiver accepts 2 to
// kMaxHandOverBytes bytes. Shared by the sender (browser/native_host.h) and the receiver
// (ui/hand_overs.h).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vonu {

inline constexpr ULONG_PTR kHandOverId = 0x48415531;  // in memory the bytes 31 55 41 48
inline constexpr wchar_t kHandOverSeparator = L'\x1F';
inline constexpr DWORD kMaxHandOverBytes = 0x40000;
// Posted to the main window with both parameters zero: take the next pending hand-over.
inline constexpr UINT kNextHandOverMessage = WM_APP + 3;

struct HandOver {
    std::wstring address;
    std::wstring referrer;
    std::wstring fileName;
    std::wstring cookie;
    std::wstring userAgent;
};

// The five fields joined by the separator, without the NUL (send size() + 1 characters).
std::wstring HandOverRecordText(const HandOver& h);

// Nothing for a null record, another data word or a byte count out of range. Otherwise the
// text (byte count / 2 units, an odd last byte ignored, cut at its first NUL) split at every
// separator into exactly five fields: extra ones dropped, missing ones empty.
std::optional<HandOver> ReadHandOverRecord(const COPYDATASTRUCT* record);

}  // namespace vonu
