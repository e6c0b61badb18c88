// Opening a downloaded file through the shell: with its associated program, with the
// system's open-with chooser, or selected in its folder. User-interface thread, COM
// initialised (start-up does both).
#pragma once

#include <windows.h>

#include <string>

namespace vonu {

// ShellExecuteW "open". On failure tells the user, through the translated message box, that
// the file may have been moved or deleted; false then.
bool OpenFile(const std::wstring& path, HWND owner = nullptr);

// The system's open-with chooser, letting the user register the choice, and runs the file.
bool OpenWith(HWND owner, const std::wstring& path);

// What "show in folder" points at: the file itself, else its temporary file (path +
// ".vonu") while the download runs, else only the folder (everything before the last
// backslash) when neither exists.
struct FolderTarget {
    bool selectItem = false;  // true: open the folder with `path` selected; false: open `path`
    std::wstring path;
};
FolderTarget PickFolderTarget(const std::wstring& path);

// Opens the folder of the download with its file (or temporary file) selected.
bool ShowInFolder(const std::wstring& path);

}  // namespace vonu
