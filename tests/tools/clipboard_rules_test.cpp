// What a copied text offers: the link test against the built-in categories' file types,
// and one address against several in a longer text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/categories.h"
#include "model/download_manager.h"
#include "tools/clipboard_rules.h"

namespace vonu {
namespace {

class ClipboardRules : public testing::Test {
protected:
    void SetUp() override { m_.categories = BuiltInCategories(); }
    ClipboardOffer Offer(const std::wstring& text, const std::vector<std::wstring>& listed = {}) {
        std::vector<DownloadSnapshot> snapshot(listed.size());
        for (size_t i = 0; i < listed.size(); ++i) snapshot[i].url = listed[i];
        return ClipboardOfferFor(m_, text, snapshot);
    }
    DownloadManager m_;
};

TEST_F(ClipboardRules, LinkTest) {
    const struct {
        std::wstring text;
        bool download;
    } cases[] = {
        {L"HTTPS://EXAMPLE.COM/SETUP.EXE", true},
        {L"http://example.com/files/a.zip?x=1#y", true},
        {L"http://example.com/page", false},
        {L"http://example.com/", false},
        {L"http://example.com/notes.unknowntype", false},
        {L"ftp://example.com/notes.unknowntype", true},
        {L"FTP://example.com/folder", false},
        {L"https://example.com/a b.zip", false},
        {L"https://example.com/a\tb.zip", false},
        {L"www.example.com/a.zip", false},
        {L"mailto:someone@example.zip", false},
    };
    for (const auto& c : cases) EXPECT_EQ(LinkTest(m_, c.text), c.download) << c.text.c_str();
}

TEST_F(ClipboardRules, OneAddressOrSeveral) {
    const std::wstring a = L"https://example.com/a.zip", b = L"http://example.com/b.pdf";
    EXPECT_EQ(Offer(a).single, a);
    EXPECT_TRUE(Offer(a, {a}).Empty()) << "already in the list";
    EXPECT_TRUE(Offer(L"http://example.com/page").Empty());
    EXPECT_TRUE(Offer(L"Get " + a + L" today").Empty()) << "one address in a sentence is not offered";
    const ClipboardOffer both = Offer(L"Get " + a + L", then " + b + L".\r\nAgain " + a + L" and http://example.com/x");
    EXPECT_TRUE(both.single.empty());
    EXPECT_EQ(both.links, (std::vector<std::wstring>{a, b}));
    // A list offers its addresses even when some are in the download list: the batch list
    // shows those unticked.
    EXPECT_EQ(Offer(a + L"\n" + b, {a}).links, (std::vector<std::wstring>{a, b}));
}

}  // namespace
}  // namespace vonu
