#include "l10n/language.h"

#include <atomic>

namespace vonu {
namespace {
std::atomic<bool> g_arabic{false};
}

bool ChooseArabicInterface(const std::wstring& languageSetting, LANGID userUiLanguage) {
    if (languageSetting == L"ar") return true;
    if (languageSetting == L"en") return false;
    return PRIMARYLANGID(userUiLanguage) == LANG_ARABIC;
}

bool IsArabicInterface() { return g_arabic.load(std::memory_order_relaxed); }
void SetArabicInterface(bool arabic) { g_arabic.store(arabic, std::memory_order_relaxed); }

}  // namespace vonu
