// The native messaging channel as the host reads and writes it: one frame is a 4-byte
// little-endian length and that many bytes of UTF-8 JSON. The request reader is a small one,
// not a JSON parser: it looks up keys and decodes string values on the raw bytes.
//
// A key counts only where its quoted name is followed, after optional blanks, by a colon, so
// a value that happens to read "ping" or "ua" is never taken for a key.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vonu {

inline constexpr uint32_t kMaxNativeMessageBytes = 0x400000;  // 4 MiB, the browsers' own cap

// Reads exactly one frame, continuing after short reads. Nothing when the input fails or
// ends before the frame is whole, or the length is 0 or above kMaxNativeMessageBytes.
std::optional<std::string> ReadNativeMessage(HANDLE input);
// Writes the frame in one piece; false when the write fails.
bool WriteNativeMessage(HANDLE output, std::string_view text);

// The extension's ping: a message of at least 6 bytes with the key "ping".
bool IsPingRequest(std::string_view text);

// The string value of the first occurrence of the key (the first double quote after its
// colon, up to the next unescaped one or the end of the text), decoded: \b \f \n \r \t,
// \uXXXX as one UTF-16 unit, any other escaped character as itself; a \u without four hex
// digits gives nothing and what follows is read as plain text; a backslash as the last byte
// ends the value. U+0000 and U+001F (the hand-over record's end and separator) become
// spaces. Invalid UTF-8 becomes U+FFFD. Empty when the key or its value is missing.
std::wstring JsonStringField(std::string_view text, std::string_view key);

}  // namespace vonu
