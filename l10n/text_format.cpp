#include "l10n/text_format.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>

namespace vonu {
namespace {
constexpr int kMaxChars = 1 << 20;
}

std::wstring FormatText(const wchar_t* format, ...) {
    if (!format) return {};
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = _vscwprintf(format, measure);
    va_end(measure);
    std::wstring text;
    if (length > 0 && length <= kMaxChars) {
        text.resize(static_cast<size_t>(length) + 1);
        const int written = _vsnwprintf(text.data(), text.size(), format, args);
        text.resize(written >= 0 ? static_cast<size_t>(written) : 0);
    }
    va_end(args);
    return text;
}

}  // namespace vonu
