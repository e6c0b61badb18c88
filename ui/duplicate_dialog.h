// "This link is already in the list": what to do with an address the list already holds.
// Choice 0 adds it again under a new file name, 1 downloads it again and replaces the
// existing file, 2 shows (Complete) or resumes (otherwise) the existing download. The first
// choice is selected at opening for a Complete download, the third otherwise. Modal to
// `owner`; uses the IDD_DUPLICATE resource. User-interface thread.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vonu {

enum class DuplicateChoice { AddUnderNewName = 0, ReplaceExisting = 1, UseExisting = 2 };

// Nothing when cancelled.
std::optional<DuplicateChoice> AskAboutDuplicate(HWND owner, const std::wstring& fileName, bool complete);

}  // namespace vonu
