// The interface language. The Arabic-interface flag is chosen once at start-up, before any
// window exists, and only read afterwards (translation lookup, mirroring, formats).
#pragma once

#include <windows.h>

#include <string>

namespace vonu {

// "ar" -> Arabic, "en" -> English, anything else: Arabic when the user's UI language is.
bool ChooseArabicInterface(const std::wstring& languageSetting, LANGID userUiLanguage);

bool IsArabicInterface();
void SetArabicInterface(bool arabic);

}  // namespace vonu
