#include "ui/save_path_check.h"

#include <windows.h>

#include <string_view>

#include "engine/http_errors.h"

namespace vonu {
namespace {

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// Where the folder walk starts: "C:\" or "\\server\share\"; 0 when the path is neither.
size_t RootLength(const std::wstring& path) {
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && path[2] == L'\\') return 3;
    if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\') {
        const size_t server = path.find(L'\\', 2);
        if (server == std::wstring::npos || server == 2) return 0;
        const size_t share = path.find(L'\\', server + 1);
        if (share == std::wstring::npos || share == server + 1) return 0;
        return share + 1;
    }
    return 0;
}

// Characters no Windows file or folder name may hold; "/" too, since a name with it would
// not be the one the user sees. The ":" after a drive letter is the only colon allowed.
bool IsReserved(wchar_t c, size_t index) {
    if (c < 32) return true;
    if (c == L':') return index != 1;
    return std::wstring_view(L"<>\"|?*/").find(c) != std::wstring_view::npos;
}

SavePathCheck Cannot(DWORD code) {
    return {SavePathVerdict::CannotCreate, L"Cannot create the file: " + ErrorTextFor(code)};
}

}  // namespace

SavePathCheck CheckSavePath(const std::wstring& path) {
    const size_t lastSlash = path.rfind(L'\\');
    if (path.size() <= 3 || lastSlash == std::wstring::npos) return {SavePathVerdict::ChooseAgain, {}};
    const size_t root = RootLength(path);
    if (root == 0 || lastSlash + 1 >= path.size()) return {SavePathVerdict::ChooseAgain, {}};
    for (size_t i = 0; i < path.size(); ++i)
        if (IsReserved(path[i], i)) return Cannot(ERROR_INVALID_NAME);
    // An empty part ("C:\a\\b.bin") is not a folder anyone meant.
    if (path.find(L"\\\\", root) != std::wstring::npos) return Cannot(ERROR_INVALID_NAME);

    const std::wstring rootPath = path.substr(0, root);
    if (GetFileAttributesW(rootPath.c_str()) == INVALID_FILE_ATTRIBUTES) return Cannot(GetLastError());
    for (size_t end = path.find(L'\\', root); end != std::wstring::npos && end <= lastSlash;
         end = path.find(L'\\', end + 1)) {
        const std::wstring folder = path.substr(0, end);
        const DWORD attributes = GetFileAttributesW(folder.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return Cannot(ERROR_DIRECTORY);
            continue;
        }
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return Cannot(GetLastError());
    }
    return {};
}

}  // namespace vonu
