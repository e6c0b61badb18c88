// Sets the process-wide Arabic-interface flag for one test and puts the old value back.
#pragma once

#include "l10n/language.h"

namespace vonu::test {

class LanguageScope {
public:
    explicit LanguageScope(bool arabic) : old_(IsArabicInterface()) { SetArabicInterface(arabic); }
    ~LanguageScope() { SetArabicInterface(old_); }
    LanguageScope(const LanguageScope&) = delete;
    LanguageScope& operator=(const LanguageScope&) = delete;

private:
    bool old_;
};

}  // namespace vonu::test
