#include "engine/probe.h"

#include <windows.h>
#include <winhttp.h>

#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "engine/ftp_probe.h"
#include "engine/http_request.h"
#include "engine/naming.h"
#include "engine/playlist.h"
#include "engine/url.h"
#include "model/categories.h"
#include "model/decimal.h"
#include "model/hosts.h"
#include "model/text_case.h"
#include "model/download_manager.h"

namespace vonu {

namespace {

int64_t FileTimeNow() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

// The decimal digits at `from` as a number; -1 when there are none or they overflow.
int64_t LeadingNumber(const std::wstring& text, size_t from) { return DigitsAt(text, from).value_or(-1); }

// A name whose extension is missing or longer than 5 characters is a poor guess.
bool PoorName(const std::wstring& name) {
    size_t dot = name.rfind(L'.');
    return name.empty() || dot == std::wstring::npos || name.size() - dot > 6;
}

}  // namespace

int32_t AddDownload(const std::wstring& address, const DownloadOptions& options) {
    auto item = std::make_shared<DownloadItem>();
    DownloadManager& m = Manager();
    item->url = address;
    item->referrer = options.referrer;
    item->cookie = options.cookie;
    item->userAgent = options.userAgent;
    item->added = FileTimeNow();
    item->fileName = SanitizeFileName(options.fileName.empty() ? NameFromAddress(address) : options.fileName);
    item->video = IsPlaylistAddress(address);
    item->category = CategoryForFileName(m, item->fileName);
    item->state = DownloadState::Stopped;
    item->probing.exchange(true);
    const std::wstring wanted = FolderForCategory(m, item->category) + L"\\" + item->fileName;
    // The item joins the list in the same hold of the lock that found its path free.
    (void)UniquePath(m, wanted, 0, [&](const std::wstring& path) {
        item->id = m.nextDownloadId++;
        item->connections = static_cast<int32_t>(m.MaxConn);
        item->path = path;
        m.downloads.push_back(item);
        m.listDirty = true;
        m.listSaveNow = true;
    });
    std::lock_guard guard(m.lock);
    try {
        item->probe = std::thread([item, &m] { (void)ProbeDownload(m, *item); });
    } catch (const std::system_error& e) {
        // Without this the item would show "Connecting" for ever; a start probes it again.
        item->probing.exchange(false);
        item->lastError = L"Cannot check the file: the system refused a new thread (" +
                          std::to_wstring(e.code().value()) + L").";
    }
    return item->id;
}

void StoreProbeFindings(DownloadManager& m, DownloadItem& item, const ProbeFindings& found) {
    std::wstring wanted;
    {
        std::lock_guard guard(m.lock);
        item.size = found.size;
        item.resumable = found.resumable;
        item.probed = true;
        item.lastError.clear();
        m.listDirty = true;
        const std::wstring category = found.category.empty() ? CategoryForFileName(m, found.name) : found.category;
        if (item.userPath || (EqualsNoCase(found.name, item.fileName) && category == item.category)) return;
        item.fileName = found.name;
        item.category = category;
        wanted = FolderForCategory(m, category) + L"\\" + found.name;
    }
    (void)UniquePath(m, wanted, item.id, [&](const std::wstring& path) {
        if (!item.userPath) item.path = path;
    });
}

bool ProbeDownload(DownloadManager& m, DownloadItem& item) {
    std::wstring address;
    bool video = false;
    {
        std::lock_guard guard(m.lock);
        address = item.url;
        video = item.video;
    }
    if (video) return ProbePlaylist(m, item);
    if (IsFtpAddress(address)) {
        item.probing.exchange(true);
        std::wstring error;
        const bool ok = ProbeFtp(m, item, error);
        {
            std::lock_guard guard(m.lock);
            if (!ok && !item.cancel.load()) item.lastError = error;
            m.listDirty = true;
        }
        item.probing.exchange(false);
        return ok;
    }

    item.probing.exchange(true);
    int64_t size = -1;
    bool resumable = false;
    std::wstring name, error;
    RequestRecord record;
    DWORD status = 0;
    const bool ok = SendGetFollowingRedirects(m, item, address, 0, 0, record, status, error);
    if (ok) {
        if (status == 206) {
            std::wstring range = HeaderText(record, WINHTTP_QUERY_CONTENT_RANGE);
            size_t slash = range.find(L'/');
            if (slash != std::wstring::npos) {
                size = LeadingNumber(range, slash + 1);
                resumable = size >= 0;
            }
        } else if (status == 200) {
            std::wstring length = HeaderText(record, WINHTTP_QUERY_CONTENT_LENGTH);
            size = LeadingNumber(length, 0);
        }
        if (LowerAscii(HeaderText(record, WINHTTP_QUERY_CONTENT_TYPE)).find(L"mpegurl") != std::wstring::npos) {
            std::lock_guard guard(m.lock);
            item.video = true;
        }
        name = NameFromContentDisposition(HeaderText(record, WINHTTP_QUERY_CONTENT_DISPOSITION));
        if (name.empty()) {
            std::wstring final = FinalAddress(record);
            name = NameFromAddress(final.empty() ? address : final);
        }
        {
            std::lock_guard guard(m.lock);
            if (PoorName(name) && item.fileName.find(L'.') != std::wstring::npos) name = item.fileName;
        }
        name = SanitizeFileName(name);
    }
    ReleaseRequest(record);

    bool nowVideo = false;
    {
        std::lock_guard guard(m.lock);
        nowVideo = item.video;
    }
    if (ok && nowVideo) {
        item.probing.exchange(false);
        return ProbePlaylist(m, item);
    }

    if (ok) {
        StoreProbeFindings(m, item, {size, resumable, name, {}});
    } else {
        std::lock_guard guard(m.lock);
        if (!item.cancel.load()) item.lastError = error;
        m.listDirty = true;
    }
    item.probing.exchange(false);
    return ok;
}

}  // namespace vonu
