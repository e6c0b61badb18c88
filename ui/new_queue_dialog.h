// "New queue": asks for a queue's name. OK takes the trimmed name; while it is empty the
// dialog stays open with the focus in the name box (no message). Modal to `owner`; uses the
// IDD_NEW_QUEUE resource. User-interface thread.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vonu {

// The trimmed name (never empty); nothing when cancelled or closed.
std::optional<std::wstring> AskNewQueueName(HWND owner);

}  // namespace vonu
