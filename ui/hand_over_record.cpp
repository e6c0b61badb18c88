#include "ui/hand_over_record.h"

#include <array>

namespace vonu {

std::wstring HandOverRecordText(const HandOver& h) {
    std::wstring text;
    text.reserve(h.address.size() + h.referrer.size() + h.fileName.size() + h.cookie.size() +
                 h.userAgent.size() + 4);
    for (const std::wstring* field : {&h.address, &h.referrer, &h.fileName, &h.cookie, &h.userAgent}) {
        if (field != &h.address) text += kHandOverSeparator;
        text += *field;
    }
    return text;
}

std::optional<HandOver> ReadHandOverRecord(const COPYDATASTRUCT* record) {
    if (!record || record->dwData != kHandOverId) return std::nullopt;
    if (record->cbData < 2 || record->cbData > kMaxHandOverBytes || !record->lpData) return std::nullopt;
    const auto* units = static_cast<const wchar_t*>(record->lpData);
    std::wstring_view text(units, record->cbData / 2);
    text = text.substr(0, text.find(L'\0'));

    std::array<std::wstring, 5> fields;
    size_t index = 0;
    for (;;) {
        const size_t end = text.find(kHandOverSeparator);
        fields[index] = std::wstring(text.substr(0, end));
        if (end == std::wstring_view::npos || ++index == fields.size()) break;
        text.remove_prefix(end + 1);
    }
    return HandOver{std::move(fields[0]), std::move(fields[1]), std::move(fields[2]), std::move(fields[3]),
                    std::move(fields[4])};
}

}  // namespace vonu
