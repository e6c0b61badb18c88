// The files the setup program carries as RCDATA resources and writes into the install folder:
// Vonu.exe (resource 3000) and the browser extension's files (3001 on, in the order of
// browser/extension/files.txt, which the build turns into the resource script and the table
// behind CarriedFiles). Names are relative to the install folder.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vonu {

struct CarriedFile {
    int resource;
    const wchar_t* name;  // "Vonu.exe", "extension\manifest.json", ...
};

std::span<const CarriedFile> CarriedFiles();

inline constexpr wchar_t kUninstallerName[] = L"Uninstall.exe";
// Room the install steps keep for the temporary names beside each file (".new", ".old").
inline constexpr size_t kTemporarySuffixLength = 4;
// Space the installation takes beyond its carried files (the uninstaller, manifests).
inline constexpr uint64_t kExtraInstallBytes = 409600;

// The longest file name the installation writes, relative to the folder, with the room for
// its temporary suffix: what the folder check needs.
size_t LongestInstalledName();

// The bytes of one file to install.
struct FileToInstall {
    std::wstring name;
    std::string_view bytes;
};

// The carried files from the program's own resources (they stay mapped for the process's
// life). False with the first missing resource's name in *missing.
bool LoadCarriedFiles(HMODULE module, std::vector<FileToInstall>* out, std::wstring* missing);

// The sum of the files' sizes plus kExtraInstallBytes.
uint64_t TotalInstallSize(const std::vector<FileToInstall>& files);

// The names of the carried files, in their order.
std::vector<std::wstring> CarriedNames();

// The folders below the install folder that hold these files, deepest first
// ("extension\_locales\en", ..., "extension").
std::vector<std::wstring> SubfoldersOf(const std::vector<std::wstring>& names);

}  // namespace vonu
