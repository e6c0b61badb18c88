// The link tools on big input: the links of a 16 MiB web page (the linear scanner and the
// making of addresses, with a 100 KB inline image among them), the addresses in 16 MiB of
// text, the batch list's 10,000 rows in a real list view, and, given the test servers'
// nginx, the crawl of a 400-page site on it. Goal: each of the first three under one second
// under Wine. Run by `make bench` (scripts/bench.sh); prints one line per figure.
//   links_bench.exe [NGINX_PORT FILES_FOLDER]
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "engine/http_session.h"
#include "model/download_manager.h"
#include "tools/checked_list.h"
#include "tools/link_extraction.h"
#include "tools/link_scanner.h"
#include "tools/site_crawl.h"

using namespace vonu;
using bench::NowMs;

namespace {

constexpr double kGoalMs = 1000;

bool Report(const char* what, double ms, size_t count, bool goal = true) {
    std::printf("%-52s %8.1f ms  (%zu)%s\n", what, ms, count, goal && ms >= kGoalMs ? "  MISSED the 1 s goal" : "");
    return !goal || ms < kGoalMs;
}

std::string BigPage() {
    std::string page = "<html><body><img src=\"data:image/png;base64," + std::string(100 * 1024, 'Q') + "\">";
    for (int i = 0; page.size() < kLinkFileCap; ++i)
        page += "<p>Some text of the page " + std::to_string(i) + " <a href=\"files/part" + std::to_string(i) +
                ".zip?x=1&amp;y=2\">part</a> <img SRC = 'img/" + std::to_string(i) + ".png'></p>\n";
    page.resize(kLinkFileCap);
    return page;
}

bool PageLinks() {
    const std::string page = BigPage();
    const double start = NowMs();
    size_t found = 0;
    ScanPageLinks(page, [&](std::string_view value) {
        if (!LinkAddress(L"https://example.com/dir/index.html", value).empty()) ++found;
        return true;
    });
    return Report("links of a 16 MiB page, made addresses", NowMs() - start, found);
}

bool TextLinks() {
    std::wstring text;
    for (int i = 0; text.size() * 2 < kLinkFileCap; ++i)
        text += L"See https://example.com/files/part" + std::to_wstring(i) + L".zip, or (ftp://mirror/" +
                std::to_wstring(i) + L".iso).\r\n";
    const double start = NowMs();
    const size_t found = ExtractLinks(text).size();
    return Report("addresses in 16 MiB of text", NowMs() - start, found);
}

bool BatchRows() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | WS_VISIBLE | LVS_REPORT, 0, 0, 800, 600, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!list) return Report("batch list: no list view", 0, 0);
    std::vector<std::wstring> files, addresses;
    for (int i = 1; i <= 10000; ++i) {
        addresses.push_back(L"https://downloads.example.org/photos/img_" + std::to_wstring(i) + L".jpg");
        files.push_back(BatchFileText(addresses.back()));
    }
    CheckedList rows;
    rows.Attach(list);
    const double start = NowMs();
    rows.Append(files, addresses, std::vector<bool>(files.size(), true));
    bench::PumpMessages();
    const double filled = NowMs() - start;
    // The ticks are counted from the list's change notifications, which go to its parent;
    // without a parent here, the count comes from Select all.
    const double tickStart = NowMs();
    rows.TickAll(false);
    const size_t ticked = rows.TickedAddresses().size();
    const double untick = NowMs() - tickStart;
    DestroyWindow(list);
    const bool ok = Report("batch list: 10,000 rows added, ticked", filled, static_cast<size_t>(rows.Rows()));
    return Report("batch list: Select none and read the ticks", untick, ticked) && ok;
}

bool Crawl(int port, const std::wstring& files) {
    const std::wstring folder = files + L"\\links-bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    auto write = [&](const std::wstring& name, const std::string& text) {
        HANDLE f = CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD wrote = 0;
        if (f != INVALID_HANDLE_VALUE) WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr);
        if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    };
    std::string index;
    for (int n = 0; n < 500; ++n) {
        index += "<a href='p" + std::to_string(n) + ".html'>page</a>\n";
        write(L"p" + std::to_wstring(n) + L".html",
              "<html><a href='p" + std::to_string(n) + ".zip'>f</a><a href='index.html'>up</a></html>");
    }
    write(L"index.html", index);
    OpenHttpSession();
    DownloadManager m;
    SearchState state;
    const std::wstring start = L"http://127.0.0.1:" + std::to_wstring(port) + L"/files/links-bench/index.html";
    const double began = NowMs();
    RunCrawl(m, state, {start, 1, true, {L"zip"}});
    const double took = NowMs() - began;
    CloseHttpSession();
    std::printf("%-52s %8.1f ms  (%d pages, %zu files)\n", "crawl of a 400-page site on the loopback nginx", took,
                state.pages, state.results.size());
    return state.pages == 400;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    bool ok = PageLinks();
    ok = TextLinks() && ok;
    ok = BatchRows() && ok;
    if (argc == 3) ok = Crawl(_wtoi(argv[1]), argv[2]) && ok;
    return ok ? 0 : 1;
}
