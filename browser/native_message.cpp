#include "browser/native_message.h"

#include "model/text_encoding.h"
#include "ui/hand_over_record.h"

namespace vonu {
namespace {

bool ReadExactly(HANDLE input, char* data, uint32_t size) {
    while (size > 0) {
        DWORD got = 0;
        if (!ReadFile(input, data, size, &got, nullptr) || got == 0) return false;
        data += got;
        size -= got;
    }
    return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Where the key's colon is, or npos.
size_t FindKeyColon(std::string_view text, std::string_view key) {
    std::string quoted(1, '"');
    quoted.append(key).push_back('"');
    for (size_t at = text.find(quoted); at != std::string_view::npos; at = text.find(quoted, at + 1)) {
        size_t p = at + quoted.size();
        while (p < text.size() && IsBlank(text[p])) ++p;
        if (p < text.size() && text[p] == ':') return p;
    }
    return std::string_view::npos;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The four characters at `p` as a hexadecimal number, or -1 (too few, or not all hex).
int HexUnit(std::string_view text, size_t p) {
    if (text.size() - p < 4) return -1;
    int value = 0;
    for (size_t i = 0; i < 4; ++i) {
        const int digit = HexDigit(text[p + i]);
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace

std::optional<std::string> ReadNativeMessage(HANDLE input) {
    unsigned char prefix[4];
    if (!ReadExactly(input, reinterpret_cast<char*>(prefix), sizeof prefix)) return std::nullopt;
    const uint32_t length = static_cast<uint32_t>(prefix[0]) | static_cast<uint32_t>(prefix[1]) << 8 |
                            static_cast<uint32_t>(prefix[2]) << 16 | static_cast<uint32_t>(prefix[3]) << 24;
    if (length == 0 || length > kMaxNativeMessageBytes) return std::nullopt;
    std::string body(length, '\0');
    if (!ReadExactly(input, body.data(), length)) return std::nullopt;
    return body;
}

bool WriteNativeMessage(HANDLE output, std::string_view text) {
    const auto length = static_cast<uint32_t>(text.size());
    std::string frame(4, '\0');
    for (int i = 0; i < 4; ++i) frame[i] = static_cast<char>(length >> (8 * i) & 0xFF);
    frame += text;
    DWORD written = 0;
    return WriteFile(output, frame.data(), static_cast<DWORD>(frame.size()), &written, nullptr) &&
           written == frame.size();
}

bool IsPingRequest(std::string_view text) {
    return text.size() >= 6 && FindKeyColon(text, "ping") != std::string_view::npos;
}

std::wstring JsonStringField(std::string_view text, std::string_view key) {
    const size_t colon = FindKeyColon(text, key);
    if (colon == std::string_view::npos) return {};
    const size_t open = text.find('"', colon);
    if (open == std::string_view::npos) return {};

    std::wstring value;
    std::string run;  // plain bytes not converted yet
    auto flush = [&] {
        value += Utf8ToWide(run);
        run.clear();
    };
    for (size_t p = open + 1; p < text.size();) {
        const char c = text[p];
        if (c == '"') break;
        if (c != '\\') {
            run += c;
            ++p;
            continue;
        }
        if (p + 1 >= text.size()) break;  // a backslash as the last byte ends the value
        const char escaped = text[p + 1];
        const wchar_t control = escaped == 'b'   ? L'\b'
                                : escaped == 'f' ? L'\f'
                                : escaped == 'n' ? L'\n'
                                : escaped == 'r' ? L'\r'
                                : escaped == 't' ? L'\t'
                                                 : L'\0';
        if (control) {
            flush();
            value += control;
            p += 2;
        } else if (escaped == 'u') {
            flush();
            const int unit = HexUnit(text, p + 2);
            if (unit >= 0) value += static_cast<wchar_t>(unit);
            p += unit >= 0 ? 6 : 2;
        } else {
            // The character itself; a multi-byte one goes on with the plain bytes after it.
            run += escaped;
            p += 2;
        }
    }
    flush();
    for (wchar_t& c : value)
        if (c == L'\0' || c == kHandOverSeparator) c = L' ';
    return value;
}

}  // namespace vonu
