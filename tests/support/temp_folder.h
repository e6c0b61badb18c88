// A fresh folder under the temporary folder, removed with everything in it at scope end.
#pragma once

#include <string>
#include <string_view>

namespace vonu::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring File(std::wstring_view name) const { return path_ + L"\\" + std::wstring(name); }

private:
    std::wstring path_;
};

// Whole-file helpers for fixtures.
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, std::string_view bytes);
// UTF-16LE with a byte-order mark, as the program's INI files are.
void WriteUtf16File(const std::wstring& path, std::wstring_view text);
// The text of such a file; "(no byte-order mark)" for a missing file or one without the mark.
std::wstring Utf16FileText(const std::wstring& path);
bool FileExists(const std::wstring& path);
void RemoveTree(const std::wstring& path);

}  // namespace vonu::test
