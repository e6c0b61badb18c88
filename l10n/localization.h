// The translation lookup. The program is written in English; with the Arabic-interface flag
// set (l10n/language.h) each text on its way to the screen is replaced by its Arabic row from
// the compiled-in table (l10n/translation_table.h). A text without a row stays English.
//
// User-interface thread only: the table map and the result cache have no lock. Worker
// threads keep English texts (a download's last error) and the windows translate them.
#pragma once

#include <string>

namespace vonu {

// The text itself when the flag is clear, the text is null, or it has no row. Otherwise the
// Arabic text, with every "&" mnemonic dropped and the text's leading and trailing spaces
// (U+0020) kept around it; the pointer stays valid until the process ends.
const wchar_t* Translate(const wchar_t* text);

// For composed messages (a download's last error, an engine sentence around a path, an FTP
// reply or an HTTP status): a whole-text translation first, then the known English starts
// ("Cannot write to disk: " + reason...) and, for "HTTP nnn..." texts, the known endings.
std::wstring TranslateMessageText(const std::wstring& text);

}  // namespace vonu
