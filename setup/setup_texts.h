// The setup program's own English-to-Arabic texts. Every text setup shows passes through
// SetupText; with the Arabic flag (l10n/language.h, chosen once before the first window)
// it becomes its Arabic row, and a text without a row stays English. The table is built on
// first use; the UI thread and the install thread may both look texts up (the install
// thread keeps English error texts and the wizard translates them).
#pragma once

#include <string>

namespace vonu {

inline constexpr wchar_t kSetupTitle[] = L"Vonu Setup";

// The Arabic row of `english` when the Arabic flag is set; otherwise, or without a row,
// `english` itself. The empty text is never translated: an empty static stays empty.
const wchar_t* SetupText(const wchar_t* english);
std::wstring SetupText(const std::wstring& english);

// The licence page's line above the licence, which is empty in English.
const wchar_t* LicenceIntro();
// The licence itself, in the interface language.
const wchar_t* LicenceText();

// "%s" in `format` (once) replaced by `value`.
std::wstring FillIn(const std::wstring& format, const std::wstring& value);

}  // namespace vonu
