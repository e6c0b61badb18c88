// "Add a download link": one edit box for an address. At opening it holds the clipboard's
// text when that looks like one address; OK accepts only an address that starts with
// http://, https:// or ftp:// (any letter case) and otherwise says so and stays open.
// Modal to `owner`; uses the IDD_ADDRESS resource. User-interface thread.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace vonu {

// The clipboard text that prefills the dialog: the trimmed text when it has an accepted
// scheme and no space or line break; else empty.
std::wstring AddressFromClipboardText(std::wstring_view clipboardText);

// The clipboard's Unicode text up to its first NUL (one attempt to open the clipboard, for
// `owner`); empty when there is none, the clipboard is busy (then *busy is set), or the text
// is longer than `most` characters.
std::wstring ClipboardUnicodeText(HWND owner, size_t most, bool* busy = nullptr);

// The trimmed, accepted address; nothing when cancelled.
std::optional<std::wstring> AskForAddress(HWND owner);

}  // namespace vonu
