// The site grabber's crawl against a small site on the loopback nginx: a loop, a chain
// deeper than the depth limit, another site (the same server reached as "localhost", which
// counts as a different site), 500 page links of which 400 are visited, hostile links, and
// Stop during a page that trickles in.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "engine/http_session.h"
#include "model/download_manager.h"
#include "model/text_encoding.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_servers.h"
#include "tools/site_crawl.h"

namespace vonu {
namespace {

using test::Servers;

TEST(SiteHelpers, SiteExtensionAndTypes) {
    EXPECT_EQ(SiteOf(L"https://WWW.Example.com:8080/a?b#c"), L"example.com:8080");
    EXPECT_EQ(SiteOf(L"http://h?q"), L"h");
    EXPECT_EQ(SiteOf(L"no scheme"), L"");
    EXPECT_EQ(SiteOf(L"a:"), L"");
    const struct {
        std::wstring address, extension;
    } cases[] = {
        {L"http://h/a/B.ZIP?x=1.exe#y.pdf", L"zip"}, {L"http://h/a.b/c", L""}, {L"http://host.example.org", L"org"},
        {L"http://h/", L""},                         {L"http://h/a.", L""},   {L"http://h/page.HTML", L"html"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExtensionOf(c.address), c.extension) << c.address;
    EXPECT_EQ(WantedTypes(L"zip, . pdf ZIP"), (std::set<std::wstring>{L"zip", L"pdf"}));
    EXPECT_TRUE(WantedTypes(L" ,. ").empty());
}

TEST(SiteHelpers, LinkValues) {
    const std::wstring base = L"http://h/dir/page.html";
    EXPECT_EQ(LinkAddress(base, "a.zip?x=1&amp;amp;y=2"), L"http://h/dir/a.zip?x=1&y=2");
    EXPECT_EQ(LinkAddress(base, " \tb\r\n.zip "), L"http://h/dir/b.zip");
    EXPECT_EQ(LinkAddress(base, "../../../up.zip"), L"http://h/up.zip");
    EXPECT_EQ(LinkAddress(base, "//cdn.example/x.zip"), L"http://cdn.example/x.zip");
    for (const char* refused : {"JavaScript:go()", "mailto:a@b.zip", "DATA:image/png,x", "tel:1", "ftp://h/a.zip", "   "})
        EXPECT_EQ(LinkAddress(base, refused), L"") << refused;
    EXPECT_EQ(LinkAddress(base, "caf\xC3\xA9.zip"), L"http://h/dir/caf\x00E9.zip");
    EXPECT_FALSE(LinkAddress(base, "\xFF\xFE.zip").empty());  // not UTF-8: replaced, not a crash
}

class SiteCrawl : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Servers().ok) << Servers().error;
        if (!HttpSession()) OpenHttpSession();
        tag_ = test::UniqueTag();
        folder_ = Servers().files + L"\\" + tag_;
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    }
    void Page(const std::wstring& name, const std::string& html) { test::WriteBytes(folder_ + L"\\" + name, html); }
    std::wstring Url(const std::wstring& name) { return test::NginxUrl(L"/files/" + tag_ + L"/" + name); }
    // The same server under another name: another site to the crawl.
    std::string OtherSite(const std::string& name) {
        return "http://localhost:" + std::to_string(Servers().http) + "/files/" + WideToUtf8(tag_) + "/" + name;
    }
    std::shared_ptr<SearchState> Crawl(const std::wstring& start, int depth, std::set<std::wstring> types = {L"zip"}) {
        auto state = std::make_shared<SearchState>();
        RunCrawl(manager_, *state, {start, depth, true, std::move(types)});
        return state;
    }
    static std::vector<std::wstring> Files(const SearchState& s) {
        std::vector<std::wstring> files;
        for (const CrawlResult& r : s.results) files.push_back(r.file);
        return files;
    }

    DownloadManager manager_;
    std::wstring tag_, folder_;
};

TEST_F(SiteCrawl, FindsTheSitesFilesAndStaysOnIt) {
    const std::string image = "data:image/png;base64," + std::string(10 * 1024, 'Q');
    Page(L"index.html",
         "<html><a href=\"a.html\">a</a> <A HREF = 'A.ZIP#x'>A</A> <a href='deep1.html'>deep</a>\n"
         "<a href=\"javascript:get('x.zip')\">j</a> <a href='MAILTO:me@x.zip'>m</a>\n"
         "<img src=\"" + image + "\"> <img srcset=\"set.zip 1x\">\n"
         "<a href=\"f.zip?a=1&amp;amp;b=2\">f</a> <a href='" + OtherSite("ext.html") + "'>ext</a>\n"
         "<a href='" + OtherSite("far.zip") + "'>far</a> <a href=\"../../../up.zip\">up</a>\n"
         "<a href=\" pad\r\nded.zip \">pad</a> <a href='bin.html'>bin</a></html>");
    Page(L"a.html", "<a href='b.html'>b</a><a href='a.zip'>a</a>");
    Page(L"b.html", "<a href='a.html'>back</a><a href='b.zip'>b</a><a href='A.ZIP'>again</a>");
    for (int n = 1; n <= 4; ++n)
        Page(L"deep" + std::to_wstring(n) + L".html", "<a href='deep" + std::to_string(n + 1) +
                                                          ".html'>next</a><a href='deep" + std::to_string(n) +
                                                          ".zip'>f</a>");
    Page(L"ext.html", "<a href='extonly.zip'>x</a>");
    std::string binary;
    for (int i = 0; i < 300000; ++i) binary += static_cast<char>((i * 131 + i / 7) & 0xFF);
    Page(L"bin.html", binary);

    auto s = Crawl(Url(L"index.html"), 3);
    EXPECT_TRUE(s->done);
    EXPECT_EQ(s->error, L"");
    EXPECT_EQ(s->pages, 7);  // index, a, deep1, bin, b, deep2, deep3: deep4 is one level too deep
    const std::wstring up = test::NginxUrl(L"/up.zip");
    const std::vector<std::wstring> want = {
        Url(L"A.ZIP"),   Url(L"f.zip?a=1&b=2"), Utf8ToWide(OtherSite("far.zip")), up, Url(L"padded.zip"),
        Url(L"a.zip"),   Url(L"deep1.zip"),     Url(L"b.zip"),                    Url(L"deep2.zip"),
        Url(L"deep3.zip")};
    EXPECT_EQ(Files(*s), want);
    ASSERT_FALSE(s->results.empty());
    EXPECT_EQ(s->results[0].page, Url(L"index.html"));  // the first page that linked it

    auto only = Crawl(Url(L"index.html"), 0);
    EXPECT_EQ(only->pages, 1);
    EXPECT_EQ(Files(*only), std::vector<std::wstring>(want.begin(), want.begin() + 5));
}

TEST_F(SiteCrawl, VisitsAtMostFourHundredPages) {
    std::string many;
    for (int n = 0; n < 500; ++n) {
        many += "<a href='p" + std::to_string(n) + ".html'>p</a>\n";
        Page(L"p" + std::to_wstring(n) + L".html", "<a href='p" + std::to_string(n) + ".zip'>f</a>");
    }
    Page(L"many.html", many);
    auto s = Crawl(Url(L"many.html"), 1);
    EXPECT_EQ(s->pages, 400);
    ASSERT_EQ(s->results.size(), 399u);
    EXPECT_EQ(s->results.back().file, Url(L"p398.zip"));
}

TEST_F(SiteCrawl, KeepsAtMostFiveThousandFiles) {
    std::string page;
    for (int n = 0; n < 6000; ++n) page += "<a href='f" + std::to_string(n) + ".zip'>f</a>";
    Page(L"files.html", page);
    auto s = Crawl(Url(L"files.html"), 0);
    ASSERT_EQ(s->results.size(), kCrawlMostResults);
    EXPECT_EQ(s->results.back().file, Url(L"f4999.zip"));
}

TEST_F(SiteCrawl, StartPageFailuresAndCaps) {
    auto loop = Crawl(test::FaultUrl(L"/loop?tag=" + tag_), 1);
    EXPECT_TRUE(loop->done);
    EXPECT_EQ(loop->pages, 0);
    EXPECT_NE(loop->error, L"");

    auto missing = Crawl(Url(L"missing.html"), 1);
    EXPECT_EQ(missing->pages, 0);
    EXPECT_NE(missing->error, L"");

    // A body without end is read to the page cap and then looked at (it is no page).
    auto endless = Crawl(test::FaultUrl(L"/endless?tag=" + tag_), 1);
    EXPECT_EQ(endless->pages, 1);
    EXPECT_EQ(endless->error, L"");
}

TEST_F(SiteCrawl, StopEndsAPageBeingRead) {
    auto state = std::make_shared<SearchState>();
    ASSERT_TRUE(StartCrawl(manager_, state,
                           {test::FaultUrl(L"/trickle?chunk=8192&pause=20&tag=" + tag_), 1, true, {L"zip"}}));
    Sleep(300);
    EXPECT_FALSE(state->done);
    const auto asked = std::chrono::steady_clock::now();
    StopSearch(manager_, *state);
    EXPECT_TRUE(test::WaitUntilTrue(3000, [&] { return state->done.load(); }));
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - asked);
    std::printf("the crawl ended %lld ms after Stop\n", static_cast<long long>(took.count()));
    EndCrawls(manager_);
}

}  // namespace
}  // namespace vonu
