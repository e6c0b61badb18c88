#include "app/self_check.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "model/unique_handle.h"

namespace vonu {
namespace {

// Reads `size` bytes at `offset`; false if the file is shorter.
bool ReadAt(HANDLE file, uint64_t offset, void* out, DWORD size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD got = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, out, size, &got, nullptr) &&
           got == size;
}

}  // namespace

ImageCheck CheckExecutableImage(const std::wstring& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {false, L"The program file cannot be opened."};
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return {false, L"The program file cannot be read."};
    const uint64_t fileSize = static_cast<uint64_t>(size.QuadPart);
    const ImageCheck damaged{false, L"The program file is damaged. Please install Vonu again."};

    IMAGE_DOS_HEADER dos{};
    if (!ReadAt(file.get(), 0, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return damaged;
    if (dos.e_lfanew <= 0 || static_cast<uint64_t>(dos.e_lfanew) + sizeof(IMAGE_NT_HEADERS64) > fileSize)
        return damaged;
    IMAGE_NT_HEADERS64 nt{};
    if (!ReadAt(file.get(), static_cast<uint64_t>(dos.e_lfanew), &nt, sizeof nt)) return damaged;
    if (nt.Signature != IMAGE_NT_SIGNATURE || nt.FileHeader.Machine != IMAGE_FILE_MACHINE_AMD64 ||
        nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC ||
        !(nt.FileHeader.Characteristics & IMAGE_FILE_EXECUTABLE_IMAGE))
        return damaged;
    const WORD sections = nt.FileHeader.NumberOfSections;
    if (sections == 0 || sections > 96 || nt.OptionalHeader.SizeOfImage == 0) return damaged;
    if (nt.OptionalHeader.SizeOfHeaders > fileSize) return damaged;

    const uint64_t tableAt = static_cast<uint64_t>(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                             nt.FileHeader.SizeOfOptionalHeader;
    std::vector<IMAGE_SECTION_HEADER> table(sections);
    if (!ReadAt(file.get(), tableAt, table.data(), static_cast<DWORD>(sections * sizeof(IMAGE_SECTION_HEADER))))
        return damaged;
    for (const IMAGE_SECTION_HEADER& s : table) {
        if (s.SizeOfRawData == 0) continue;  // uninitialised data (.bss) has no bytes in the file
        if (static_cast<uint64_t>(s.PointerToRawData) + s.SizeOfRawData > fileSize) return damaged;
        if (static_cast<uint64_t>(s.VirtualAddress) + s.Misc.VirtualSize > nt.OptionalHeader.SizeOfImage)
            return damaged;
    }
    return {true, {}};
}

}  // namespace vonu
