#include "model/ini_file.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "model/text_case.h"
#include "model/text_encoding.h"
#include "model/unique_handle.h"
#include "model/win_error.h"

namespace vonu {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view Trim(std::wstring_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Keys are ASCII in practice: fold those here and leave the rest to the system.
bool KeyEquals(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x == y) continue;
        if (x >= 0x80 || y >= 0x80) return EqualsNoCase(a, b);
        if (x >= L'A' && x <= L'Z') x += 32;
        if (y >= L'A' && y <= L'Z') y += 32;
        if (x != y) return false;
    }
    return true;
}

// Every encoding but UTF-16LE with its mark, which the caller reads in place.
std::wstring Decode(std::string_view bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        std::wstring text((n - 2) / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<wchar_t>((b[2 + 2 * i] << 8) | b[3 + 2 * i]);
        return text;
    }
    if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return Utf8ToWide(bytes.substr(3));
    if (n == 0) return {};
    int chars = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(n), nullptr, 0);
    std::wstring text(chars > 0 ? chars : 0, L'\0');
    if (chars > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(n), text.data(), chars);
    return text;
}

}  // namespace

std::optional<std::wstring_view> IniSection::Find(std::wstring_view key) const {
    for (const auto& [k, v] : entries)
        if (KeyEquals(k, key)) return v;
    return std::nullopt;
}

std::wstring IniSection::Get(std::wstring_view key) const {
    auto v = Find(key);
    return v ? std::wstring(*v) : std::wstring();
}

IniReadResult ReadIniFile(const std::wstring& path, size_t maxValueChars, size_t maxFileBytes) {
    IniReadResult result;
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        DWORD e = GetLastError();
        result.missing = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;
        result.error = L"Cannot open " + path + L": " + SystemErrorText(e);
        return result;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        result.error = L"Cannot read " + path + L": " + SystemErrorText(GetLastError());
        return result;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > maxFileBytes) {
        result.error = path + L" is larger than " + std::to_wstring(maxFileBytes / (1024 * 1024)) +
                       L" MB and was not read.";
        return result;
    }
    // Read straight into UTF-16 storage: the program's own files are UTF-16LE with a mark
    // and are then parsed in place, without a second copy.
    const size_t byteCount = static_cast<size_t>(size.QuadPart);
    auto raw = std::make_shared<std::wstring>((byteCount + 1) / 2, L'\0');
    char* bytes = reinterpret_cast<char*>(raw->data());
    size_t got = 0;
    while (got < byteCount) {
        DWORD chunk = 0;
        DWORD want = static_cast<DWORD>(std::min<size_t>(byteCount - got, 1u << 30));
        if (!ReadFile(file.get(), bytes + got, want, &chunk, nullptr)) {
            result.error = L"Cannot read " + path + L": " + SystemErrorText(GetLastError());
            return result;
        }
        if (chunk == 0) break;  // the file shrank while we read it: parse what arrived
        got += chunk;
    }
    std::wstring_view all;
    if (got >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        all = std::wstring_view(*raw).substr(1, got / 2 - 1);  // a final odd byte (a cut file) is dropped
        result.text = raw;
        result.utf16 = true;
    } else {
        auto decoded = std::make_shared<const std::wstring>(Decode(std::string_view(bytes, got)));
        raw.reset();
        all = *decoded;
        result.text = decoded;
    }

    IniSection* current = nullptr;  // null before the first header and after a broken one
    size_t pos = 0;
    const wchar_t* chars = all.data();
    while (pos < all.size()) {
        size_t end = pos;
        while (end < all.size() && chars[end] != L'\n' && chars[end] != L'\r') ++end;
        std::wstring_view line = Trim(all.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == L';') continue;
        if (line.front() == L'[') {
            size_t close = line.find(L']');
            if (close == std::wstring_view::npos) {
                current = nullptr;
                continue;
            }
            const size_t expected = current ? current->entries.size() : 0;  // sections look alike
            result.sections.push_back({Trim(line.substr(1, close - 1)), {}});
            current = &result.sections.back();
            current->entries.reserve(expected);
            continue;
        }
        size_t eq = line.find(L'=');
        if (eq == std::wstring_view::npos || !current) continue;
        std::wstring_view key = Trim(line.substr(0, eq));
        std::wstring_view value = Trim(line.substr(eq + 1));
        if (key.empty() || value.size() > maxValueChars) continue;
        current->entries.emplace_back(key, value);
    }
    result.ok = true;
    return result;
}

const IniSection* FindSection(const std::vector<IniSection>& sections, std::wstring_view name) {
    for (const IniSection& s : sections)
        if (KeyEquals(s.name, name)) return &s;
    return nullptr;
}

void AppendIniLine(std::wstring& out, std::wstring_view key, std::wstring_view value) {
    out.append(key);
    out.push_back(L'=');
    const size_t start = out.size();
    out.append(value);
    for (size_t i = start; i < out.size(); ++i)
        if (out[i] == L'\r' || out[i] == L'\n' || out[i] == L'\0') out[i] = L' ';
    out.append(L"\r\n");
}

}  // namespace vonu
