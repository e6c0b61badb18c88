// The input rules of the Options dialog and of the category, site login and connections per
// server dialogs, without their windows: what a typed number, folder, name, host or list of
// file types is taken as, and what is refused. Pure functions of their arguments; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/download_types.h"

namespace vonu {

// "Max. connections per download": the drop-down's entries, and the one shown for a stored
// value (a value not in the list shows 8).
inline constexpr int kConnectionChoices[] = {1, 2, 4, 8, 12, 16, 24, 32};
int ConnectionChoiceIndex(uint32_t maxConn);

// The language drop-down at opening: Arabic when the stored choice is "ar", or when there is
// no "en" choice and the interface runs in Arabic (the system's language chose it).
bool ArabicChosenAtOpening(std::wstring_view storedLanguage, bool arabicInterface);

// A number box as typed. Only ASCII digits with blanks around count as a whole number:
// "", "abc", "1.5", "-1", "+3" and "1,000" are NotInteger. A whole number too long for
// 64 bits is OutOfRange, like any other value outside lo ... hi.
enum class NumberVerdict { Ok, NotInteger, OutOfRange };
struct NumberCheck {
    NumberVerdict verdict = NumberVerdict::Ok;
    int64_t value = 0;  // when Ok
};
NumberCheck CheckNumber(std::wstring_view typed, int64_t lo, int64_t hi);
// "Enter an integer between %1 and %2." with the limits, from the (translated) format.
std::wstring RangeMessage(std::wstring_view format, int64_t lo, int64_t hi);

// A folder the program may create files in: a full path from a drive root ("C:\...") or a
// share ("\\server\share..."), no reserved character, and no part that is empty, "." or "..",
// ends with a dot or a space, or is a device name (CON, NUL, COM1 ...): each of those would
// put the files somewhere else than the text says. Trailing backslashes are allowed.
bool IsUsableFolder(std::wstring_view folder);
inline constexpr wchar_t kBadFolderMessage[] = L"Enter a full folder path, for example C:\\Downloads";
// The folder without trailing backslashes, except a drive root keeps its one ("C:\").
std::wstring WithoutTrailingSlash(std::wstring_view folder);

// A category name that is one folder name under BaseDir: not empty, none of \ / : * ? " < > |
// nor a control character, not "." or "..", no trailing dot or space, not a device name.
bool IsUsableCategoryName(std::wstring_view name);

// File types as typed: ",", "." and ";" become spaces, lower case, single spaces between.
std::wstring NormalizeFileTypes(std::wstring_view typed);

// The folder a category uses when it has none of its own.
std::wstring DefaultCategoryFolder(std::wstring_view baseDir, std::wstring_view name);
// What the category stores for the folder typed: empty when it equals the default (ignoring
// case and a trailing backslash), so the category keeps following BaseDir.
std::wstring StoredCategoryFolder(std::wstring_view typed, std::wstring_view baseDir, std::wstring_view name);

// A site or server as typed, cut to the host part a host pattern matches: blanks trimmed,
// everything up to "://" and from the first "/", "?" or "#" dropped, a user part ("name@")
// and a port dropped (a bracketed IPv6 literal keeps its brackets, not its port). "*." stays.
std::wstring HostPart(std::wstring_view typed);

// A server host that would break the stored "host=limit;host=limit" list.
bool HostBreaksLimitList(std::wstring_view host);

// "Add" of the Connections per server dialog: the limit typed (0 when not a number) limited to
// 1 ... 32; an existing row of the same host (ignoring case) gets it, otherwise a row is
// appended. Returns the row's index.
size_t AddServerLimit(std::vector<ServerLimit>& limits, const std::wstring& host, std::wstring_view typedLimit);

}  // namespace vonu
