// The INI files the program rewrites whole (list.ini, categories.ini, logins.ini): read in
// one pass into memory, and the line form they are written in.
//
// Reading follows the profile functions' rules where the program's own files meet them:
// UTF-16LE after an FF FE mark (UTF-8 after EF BB BF, else the ANSI code page), lines end
// at CR, LF or both, "[name]" starts a section, "key=value" lines have key and value
// trimmed of spaces and tabs, keys and section names compare without case, the first of
// two equal keys wins. Lines that are neither (and ";" comments) are skipped, and the keys
// under a header without its "]" belong to no section. Unlike the profile functions it
// parses the file once, not once per key: list.ini holds tens of thousands of keys.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace vonu {

// Names, keys and values are views into the file's text, which the read result owns.
struct IniSection {
    std::wstring_view name;
    std::vector<std::pair<std::wstring_view, std::wstring_view>> entries;  // in file order

    // The first value of the key (compared without case), or nothing when it is absent.
    std::optional<std::wstring_view> Find(std::wstring_view key) const;
    // The value, or empty when absent.
    std::wstring Get(std::wstring_view key) const;
};

struct IniReadResult {
    bool ok = false;
    bool missing = false;   // the file does not exist (ok is false too)
    bool utf16 = false;     // it began with the UTF-16LE byte-order mark FF FE
    std::wstring error;     // one English sentence when !ok
    std::shared_ptr<const std::wstring> text;  // what the sections point into
    std::vector<IniSection> sections;  // in file order; equal names are kept apart
};

// The whole file, refused past maxFileBytes. A value longer than maxValueChars is dropped
// as if its key were absent: cut short it would be a different value (an address, a byte
// position) and load as something the user never had.
[[nodiscard]] IniReadResult ReadIniFile(const std::wstring& path, size_t maxValueChars,
                                        size_t maxFileBytes = 256u * 1024 * 1024);

// The first section of that name (compared without case), or null.
const IniSection* FindSection(const std::vector<IniSection>& sections, std::wstring_view name);

// Appends "key=value" and CR LF; every CR, LF and NUL inside the value becomes a space, so
// a value can never break its line or start a section of its own.
void AppendIniLine(std::wstring& out, std::wstring_view key, std::wstring_view value);

}  // namespace vonu
