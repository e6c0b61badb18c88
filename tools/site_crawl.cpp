#include "tools/site_crawl.h"

#include <deque>
#include <list>
#include <system_error>
#include <thread>
#include <unordered_set>

#include "engine/fetch.h"
#include "engine/http_request.h"
#include "engine/url.h"
#include "model/text_case.h"
#include "model/text_encoding.h"
#include "tools/link_scanner.h"

namespace vonu {
namespace {

bool IsPageKind(const std::wstring& extension) {
    static const std::set<std::wstring> kinds = {L"", L"html", L"htm", L"php", L"asp", L"aspx", L"jsp", L"shtml", L"cfm"};
    return kinds.count(extension) != 0;
}

bool IsPage(const std::wstring& contentType, std::string_view body) {
    const std::wstring type = LowerCase(contentType);
    if (type.size() > 3 && type.find(L"html") != std::wstring::npos) return true;
    return contentType.empty() && body.find('<') != std::string_view::npos;
}

void ReplaceAmpersands(std::wstring& link) {
    for (size_t at; (at = link.find(L"&amp;")) != std::wstring::npos;) link.erase(at + 1, 4);
}

// The crawl threads of this run of the program, with the state each works on, so exit can
// stop and join them. Finished ones are joined when the next crawl starts.
struct CrawlThread {
    std::shared_ptr<SearchState> state;
    std::thread thread;
};

std::mutex& ThreadsLock() {
    static std::mutex lock;
    return lock;
}

std::list<CrawlThread>& Threads() {
    static std::list<CrawlThread> threads;
    return threads;
}

void JoinFinishedLocked(std::list<CrawlThread>& threads) {
    for (auto it = threads.begin(); it != threads.end();) {
        if (it->state->done) {
            it->thread.join();
            it = threads.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace

std::wstring SiteOf(std::wstring_view address) {
    if (address.size() < 3) return {};
    const size_t scheme = address.find(L"://");
    if (scheme == std::wstring_view::npos) return {};
    std::wstring_view host = address.substr(scheme + 3);
    host = host.substr(0, host.find_first_of(L"/?#"));
    std::wstring site = LowerCase(host);
    if (site.starts_with(L"www.")) site.erase(0, 4);
    return site;
}

std::wstring ExtensionOf(std::wstring_view address) {
    const std::wstring_view cut = address.substr(0, address.find_first_of(L"?#"));
    const size_t dot = cut.rfind(L'.');
    if (dot == std::wstring_view::npos) return {};
    const size_t slash = cut.rfind(L'/');
    if (slash != std::wstring_view::npos && dot < slash) return {};
    return LowerCase(cut.substr(dot + 1));
}

std::set<std::wstring> WantedTypes(std::wstring_view typed) {
    std::set<std::wstring> types;
    std::wstring word;
    auto flush = [&] {
        if (!word.empty()) types.insert(LowerCase(word));
        word.clear();
    };
    for (wchar_t c : typed) {
        if (c == L' ' || c == L',' || c == L'.')
            flush();
        else
            word += c;
    }
    flush();
    return types;
}

std::wstring LinkAddress(const std::wstring& base, std::string_view value) {
    std::wstring link = Utf8ToWide(CleanLinkValue(value));
    ReplaceAmpersands(link);
    for (const wchar_t* refused : {L"javascript:", L"mailto:", L"data:", L"tel:"})
        if (StartsWithNoCase(link, refused)) return {};
    if (link.empty()) return {};
    std::wstring address = ResolveAddress(base, link);
    if (!address.starts_with(L"http://") && !address.starts_with(L"https://")) return {};
    return address;
}

void RunCrawl(DownloadManager& m, SearchState& state, const CrawlRequest& request) {
    const std::wstring startSite = SiteOf(request.startPage);
    std::deque<std::pair<std::wstring, int>> queue{{request.startPage, 0}};
    std::unordered_set<std::wstring> visited{request.startPage};
    std::unordered_set<std::wstring> found;
    size_t resultCount = 0;  // this thread is the only writer of the results
    while (!queue.empty() && !state.stop) {
        auto [page, depth] = std::move(queue.front());
        queue.pop_front();
        std::string body;
        std::wstring error, finalAddress, contentType;
        if (!FetchToMemory(m, state.fetcher, RequestHeaders{}, page, body, error, nullptr, &finalAddress,
                           &contentType, kCrawlPageCap)) {
            if (depth == 0) {
                std::lock_guard guard(state.lock);
                state.error = error;
            }
            continue;
        }
        {
            std::lock_guard guard(state.lock);
            ++state.pages;
        }
        if (!IsPage(contentType, body)) continue;
        const std::wstring base = finalAddress.empty() ? page : finalAddress;
        ScanPageLinks(body, [&](std::string_view value) {
            if (state.stop) return false;
            const std::wstring address = LinkAddress(base, value);
            if (address.empty()) return true;
            const std::wstring extension = ExtensionOf(address);
            if (request.types.count(extension)) {
                // Files from any site, whatever `stay` says; past the cap the crawl goes on
                // looking at pages but keeps no more.
                if (resultCount < kCrawlMostResults && found.insert(address).second) {
                    std::lock_guard guard(state.lock);
                    state.results.push_back({address, base});
                    ++resultCount;
                }
                return true;
            }
            if (depth < request.depth && IsPageKind(extension) && (!request.stay || SiteOf(address) == startSite) &&
                visited.size() < kCrawlMostPages && visited.insert(address).second)
                queue.emplace_back(address, depth + 1);
            return true;
        });
    }
    state.done = true;
}

void StopSearch(DownloadManager& m, SearchState& state) {
    state.stop = true;
    state.fetcher.cancel = true;
    CloseOpenRequests(m, state.fetcher);
}

bool StartCrawl(DownloadManager& m, std::shared_ptr<SearchState> state, CrawlRequest request) {
    std::lock_guard guard(ThreadsLock());
    auto& threads = Threads();
    JoinFinishedLocked(threads);
    try {
        std::thread thread([&m, state, request = std::move(request)] { RunCrawl(m, *state, request); });
        threads.push_back({std::move(state), std::move(thread)});
        return true;
    } catch (const std::system_error&) {
        std::lock_guard stateGuard(state->lock);
        state->error = L"The search could not start";
        state->done = true;
        return false;
    }
}

void EndCrawls(DownloadManager& m) {
    std::list<CrawlThread> threads;
    {
        std::lock_guard guard(ThreadsLock());
        threads.swap(Threads());
    }
    for (CrawlThread& t : threads) StopSearch(m, *t.state);
    // On Windows closing the requests ends a blocked read at once; under Wine a stalled
    // server can hold a read until the receive time-out.
    for (CrawlThread& t : threads) t.thread.join();
}

}  // namespace vonu
