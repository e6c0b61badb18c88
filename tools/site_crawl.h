// The site grabber's crawl: breadth first from a start page, to a depth of 0-3 links,
// optionally staying on the start page's site, visiting at most 400 pages and keeping at
// most 5,000 files of the wanted types. One thread per search; it blocks in the network
// calls without any lock. The dialog polls the search state; whichever of the two lets go
// last frees it (shared ownership). Every crawl thread is joined at program exit
// (EndCrawls), so none outlives the manager or the HTTP session it uses.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/download_item.h"
#include "model/download_manager.h"

namespace vonu {

inline constexpr size_t kCrawlPageCap = 3 * 1024 * 1024;  // bytes read of one page
inline constexpr size_t kCrawlMostPages = 400;             // visited page addresses
inline constexpr size_t kCrawlMostResults = 5000;

struct CrawlResult {
    std::wstring file;  // the file's address
    std::wstring page;  // the page it was found on: the referrer of its download
};

struct SearchState {
    std::atomic<bool> stop{false};  // set by the dialog; read before each page and after each link
    std::atomic<bool> done{false};  // set by the crawl as it ends
    std::mutex lock;                // guards the three fields below
    int pages = 0;                  // fetched successfully
    std::wstring error;             // the start page's failure
    std::vector<CrawlResult> results;
    // The fetches run as this item's requests: Stop closes them, so a page being read ends
    // at once instead of at its end.
    DownloadItem fetcher;
};

struct CrawlRequest {
    std::wstring startPage;
    int depth = 1;      // 0-3
    bool stay = true;   // follow only pages on the start page's site
    std::set<std::wstring> types;  // wanted extensions, lower case
};

// The host of an address, lower-cased, without a leading "www."; empty without "://" or
// for a text shorter than 3 characters.
std::wstring SiteOf(std::wstring_view address);

// The lower-cased text after the last "." of the address cut before "?" or "#", when that
// "." comes after the last "/"; empty otherwise. A bare host gives its top-level domain.
std::wstring ExtensionOf(std::wstring_view address);

// The types as typed: "," and "." count as spaces; distinct lower-case words.
std::set<std::wstring> WantedTypes(std::wstring_view typed);

// A link value found in a page, made an address to look at: "&amp;" undone (repeatedly),
// script, mail, data and telephone links refused (empty), resolved against the base; empty
// unless it is then an http or https address.
std::wstring LinkAddress(const std::wstring& base, std::string_view value);

// Runs the crawl on the calling thread until it is done or stopped.
void RunCrawl(DownloadManager& m, SearchState& state, const CrawlRequest& request);

// Stops the search (its thread ends at its next check, and a request in flight is closed).
void StopSearch(DownloadManager& m, SearchState& state);

// Starts the crawl on a thread of its own, kept in a process-wide list. False when the
// system refused the thread (the state is then done, with the sentence as its error).
bool StartCrawl(DownloadManager& m, std::shared_ptr<SearchState> state, CrawlRequest request);

// At exit: stops every search and joins every crawl thread.
void EndCrawls(DownloadManager& m);

}  // namespace vonu
