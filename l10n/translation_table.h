// The compiled-in English -> Arabic table. Keys are the English texts exactly as the program
// passes them, without "&" mnemonic markers and without leading or trailing spaces; a text
// without a row stays English. The rows keep one fixed order: where a key occurs twice
// ("Category", "File types") both rows hold the same Arabic and the later one wins.
// Placeholders (%d, %s, %lld, %.1f%%...) appear in the Arabic in the same number, type and
// order as in the English, since the program formats either one with the same arguments.
#pragma once

#include <span>

namespace vonu {

struct TranslationPair {
    const wchar_t* english;
    const wchar_t* arabic;
};

std::span<const TranslationPair> TranslationTable();

}  // namespace vonu
