#include "ui/shell_open.h"

#include <shellapi.h>
#include <shlobj.h>

#include "model/download_types.h"
#include "ui/message_box.h"

namespace vonu {
namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool ShellOpen(const std::wstring& target) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

}  // namespace

bool OpenFile(const std::wstring& path, HWND owner) {
    if (ShellOpen(path)) return true;
    ShowMessageBox(owner, L"Cannot open this file. It may have been moved or deleted.",
                   L"Vonu Download Manager", MB_OK | MB_ICONINFORMATION);
    return false;
}

bool OpenWith(HWND owner, const std::wstring& path) {
    OPENASINFO info{};
    info.pcszFile = path.c_str();
    info.pcszClass = nullptr;
    info.oaifInFlags = static_cast<OPEN_AS_INFO_FLAGS>(OAIF_ALLOW_REGISTRATION | OAIF_EXEC);
    return SUCCEEDED(SHOpenWithDialog(owner, &info));
}

FolderTarget PickFolderTarget(const std::wstring& path) {
    if (!path.empty()) {
        if (Exists(path)) return {true, path};
        if (Exists(path + kTempSuffix)) return {true, path + kTempSuffix};
    }
    const size_t slash = path.rfind(L'\\');
    return {false, slash == std::wstring::npos ? std::wstring() : path.substr(0, slash)};
}

bool ShowInFolder(const std::wstring& path) {
    const FolderTarget target = PickFolderTarget(path);
    if (!target.selectItem) return !target.path.empty() && ShellOpen(target.path);
    PIDLIST_ABSOLUTE item = ILCreateFromPathW(target.path.c_str());
    if (!item) return false;
    const HRESULT result = SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
    ILFree(item);
    return SUCCEEDED(result);
}

}  // namespace vonu
