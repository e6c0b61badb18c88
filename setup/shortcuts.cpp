#include "setup/shortcuts.h"

#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "model/data_folder.h"
#include "model/text_case.h"

namespace vonu {
namespace {

constexpr wchar_t kEnglishName[] = L"Vonu.lnk";
constexpr wchar_t kArabicName[] = L"ڤونو.lnk";

template <typename T>
struct ComPtr {
    T* p = nullptr;
    ~ComPtr() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
};

std::wstring PlaceFolder(ShortcutPlace place) {
    return KnownFolderPath(place == ShortcutPlace::Desktop ? FOLDERID_Desktop : FOLDERID_Programs);
}

}  // namespace

std::vector<std::wstring> ShortcutPaths(ShortcutPlace place) {
    const std::wstring folder = PlaceFolder(place);
    if (folder.empty()) return {};
    return {folder + L"\\" + kEnglishName, folder + L"\\" + kArabicName};
}

std::wstring ShortcutTarget(const std::wstring& linkPath) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link.p))))
        return {};
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)))) return {};
    if (FAILED(file->Load(linkPath.c_str(), STGM_READ))) return {};
    wchar_t target[MAX_PATH] = {};
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) return {};
    return target;
}

void DeleteShortcutsInto(const std::wstring& folder) {
    for (ShortcutPlace place : {ShortcutPlace::Desktop, ShortcutPlace::Programs})
        for (const std::wstring& path : ShortcutPaths(place)) {
            if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
            if (PathIsInFolder(ShortcutTarget(path), folder)) DeleteFileW(path.c_str());
        }
}

bool CreateShortcut(ShortcutPlace place, const std::wstring& folder, bool arabic) {
    const std::wstring placeFolder = PlaceFolder(place);
    if (placeFolder.empty()) return false;
    const std::wstring program = folder + L"\\Vonu.exe";
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link.p))))
        return false;
    link->SetPath(program.c_str());
    link->SetArguments(L"");
    link->SetWorkingDirectory(folder.c_str());
    link->SetIconLocation(program.c_str(), 0);
    link->SetDescription(arabic ? L"ڤونو - مدير التحميل" : L"Vonu Download Manager");
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)))) return false;
    const std::wstring path = placeFolder + L"\\" + (arabic ? kArabicName : kEnglishName);
    SHCreateDirectoryExW(nullptr, placeFolder.c_str(), nullptr);
    return SUCCEEDED(file->Save(path.c_str(), TRUE));
}

}  // namespace vonu
