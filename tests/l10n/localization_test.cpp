#include <gtest/gtest.h>

#include <string>

#include "l10n/localization.h"
#include "l10n/translation_table.h"
#include "model/text_encoding.h"
#include "tests/support/language_scope.h"

namespace vonu {
namespace {

using test::LanguageScope;

std::string Show(std::wstring_view text) { return WideToUtf8(text); }

TEST(Translate, EnglishHandsBackTheSamePointerEvenForTableTexts) {
    LanguageScope english(false);
    for (const TranslationPair& pair : TranslationTable()) EXPECT_EQ(Translate(pair.english), pair.english);
    const wchar_t* withMnemonic = L"&Delete";
    EXPECT_EQ(Translate(withMnemonic), withMnemonic);
    EXPECT_EQ(Translate(nullptr), nullptr);
    const std::wstring message = L"Cannot write to disk: C:\\x";
    EXPECT_EQ(TranslateMessageText(message), message);
}

TEST(Translate, ArabicDropsMnemonicsAndKeepsSurroundingSpaces) {
    LanguageScope arabic(true);
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"&Delete", L"حذف"},
        {L" Stop ", L" إيقاف "},
        {L"P&roperties", L"الخصائص"},
        {L"Stop", L"إيقاف"},
        {L"  E&xit", L"  خروج"},
        {L"The update could not be downloaded: ", L"تعذر تحميل التحديث: "},
        {L"Sun", L"أحد"},
        {L"Remove %d completed downloads from the list?\nThe files stay on your disk.",
         L"هل تريد إزالة %d من التحميلات المكتملة من القائمة؟\nستبقى الملفات على القرص."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Show(c.in));
        ASSERT_NE(Translate(c.in), nullptr);
        EXPECT_EQ(std::wstring(Translate(c.in)), c.out);
    }
}

TEST(Translate, ArabicResultIsCachedAndStaysValid) {
    LanguageScope arabic(true);
    std::wstring first = L"&Options";
    const wchar_t* result = Translate(first.c_str());
    EXPECT_STREQ(result, L"الخيارات");
    // A different buffer with the same text finds the same cached result.
    std::wstring again = L"&Options";
    EXPECT_EQ(Translate(again.c_str()), result);
    first.assign(500, L'x');  // the caller's buffer is gone; the result is not
    EXPECT_STREQ(result, L"الخيارات");
}

TEST(Translate, UnknownOrBlankTextComesBackAsTheSamePointer) {
    LanguageScope arabic(true);
    for (const wchar_t* text :
         {L"&Not a table text", L"Deletes", L"delete", L"", L"   ", L"&", L"Stop\tCtrl+S"}) {
        SCOPED_TRACE(Show(text));
        EXPECT_EQ(Translate(text), text);
        EXPECT_EQ(Translate(text), text);  // still not cached as something else
    }
    EXPECT_EQ(Translate(nullptr), nullptr);
}

TEST(TranslateMessage, KnownPrefixesAndHttpSuffixes) {
    LanguageScope arabic(true);
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        // The whole text has a row.
        {L"Connection timed out", L"انتهت مهلة الاتصال"},
        // Prefixes: the rest (a path, a reason, a server reply) is kept as it is.
        {L"Cannot write to disk: D:\\Downloads\\big file.iso",
         L"تعذرت الكتابة على القرص: D:\\Downloads\\big file.iso"},
        {L"Cannot create the file: C:\\a.zip", L"تعذر إنشاء الملف: C:\\a.zip"},
        {L"Cannot open the file: C:\\a.zip", L"تعذر فتح الملف: C:\\a.zip"},
        {L"Cannot rename the finished file: Access is denied.",
         L"تعذرت إعادة تسمية الملف المكتمل: Access is denied."},
        {L"FTP server: 550 No such file", L"خادم FTP: 550 No such file"},
        {L"The server stopped accepting resume requests (HTTP 200)",
         L"توقف الخادم عن قبول طلبات الاستئناف (HTTP 200)"},
        // HTTP suffixes: the text before the suffix stays, anything after it is dropped.
        {L"HTTP 404: file not found on the server", L"HTTP 404: الملف غير موجود على الخادم"},
        {L"HTTP 403: access denied", L"HTTP 403: الوصول مرفوض"},
        {L"HTTP 416: requested range not available (bytes 10-20)", L"HTTP 416: الجزء المطلوب غير متاح"},
        {L"HTTP 503: server error", L"HTTP 503: خطأ في الخادم"},
        // Unknown HTTP status sentence, a suffix without the "HTTP " start, and plain unknown text.
        {L"HTTP 418: I'm a teapot", L"HTTP 418: I'm a teapot"},
        {L"Proxy said: access denied", L"Proxy said: access denied"},
        {L"Something else went wrong", L"Something else went wrong"},
        // The prefix must be at the start.
        {L"Error. Cannot write to disk: x", L"Error. Cannot write to disk: x"},
        {L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Show(c.in));
        EXPECT_EQ(TranslateMessageText(c.in), c.out);
    }
}

TEST(TranslateMessage, HttpSuffixEndsTheMessage) {
    LanguageScope arabic(true);
    // The first suffix found cuts the text; a known start further inside is not looked at.
    EXPECT_EQ(TranslateMessageText(L"HTTP 500: server error: Cannot write to disk: x"),
              L"HTTP 500: خطأ في الخادم");
}

}  // namespace
}  // namespace vonu
