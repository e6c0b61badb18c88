// Decimal numbers in text that comes from outside: HTTP headers, FTP replies, playlists, INI
// files, file names. One digit reader with two overflow rules, named by what the number is:
//  - sizes, positions and ids (DigitsAt, DigitsOnly): a value past 63 bits is no number at
//    all, since a size that wrapped or was guessed would join the wrong bytes;
//  - stored values a person may have edited (SignedWhole, SignedLeading): a value past 63
//    bits saturates, and the field's clamp decides what it becomes.
// Also the value of one hexadecimal digit, for %XX escapes and keys. No locale, no
// exceptions, any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vonu {

// At least one ASCII digit at text[i]: their value, with i moved past them. Nothing when
// there is no digit there or the value does not fit in 63 bits; i is then unchanged.
std::optional<int64_t> DigitsAt(std::wstring_view text, size_t& i);

// The whole text is ASCII digits (no sign, no blanks) whose value fits in 63 bits.
std::optional<int64_t> DigitsOnly(std::wstring_view text);

// An optional sign, then digits to the end of the text; saturates at +/- INT64_MAX.
std::optional<int64_t> SignedWhole(std::wstring_view text);

// Optional blanks and sign, then at least one digit; whatever follows the digits is ignored;
// saturates at +/- INT64_MAX. How the profile functions read a number, without their wrap.
std::optional<int64_t> SignedLeading(std::wstring_view text);

// 0-15 for 0-9, a-f and A-F; -1 for any other character.
int HexDigitValue(wchar_t c);

}  // namespace vonu
