#include "model/list_file.h"

#include <windows.h>

#include <climits>
#include <mutex>
#include <optional>
#include <unordered_set>

#include "model/data_folder.h"
#include "model/ini_file.h"
#include "model/segment_tiling.h"

namespace vonu {
namespace {

constexpr size_t kMaxValueChars = 262144;

void AppendNumber(std::wstring& out, int64_t v) {
    wchar_t buffer[24];
    wchar_t* end = buffer + 24;
    wchar_t* p = end;
    uint64_t u = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    do {
        *--p = static_cast<wchar_t>(L'0' + u % 10);
        u /= 10;
    } while (u);
    if (v < 0) *--p = L'-';
    out.append(p, end);
}

void AppendNumberLine(std::wstring& out, std::wstring_view key, int64_t v) {
    out.append(key);
    out.push_back(L'=');
    AppendNumber(out, v);
    out.append(L"\r\n");
}

void AppendBoolLine(std::wstring& out, std::wstring_view key, bool v) {
    out.append(key);
    out.append(v ? L"=1\r\n" : L"=0\r\n");
}

void AppendDownload(std::wstring& out, const DownloadItem& d) {
    out.append(L"[D");
    AppendNumber(out, d.id);
    out.append(L"]\r\n");
    AppendIniLine(out, L"Url", d.url);
    AppendIniLine(out, L"Referer", d.referrer);
    AppendIniLine(out, L"UA", d.userAgent);
    AppendIniLine(out, L"File", d.fileName);
    AppendIniLine(out, L"Path", d.path);
    AppendIniLine(out, L"Cat", d.category);
    AppendIniLine(out, L"Desc", d.description);
    AppendIniLine(out, L"Err", d.lastError);
    AppendNumberLine(out, L"Size", d.size);
    AppendBoolLine(out, L"Res", d.resumable);
    AppendBoolLine(out, L"Probed", d.probed);
    AppendBoolLine(out, L"UserPath", d.userPath);
    AppendBoolLine(out, L"Eof", d.endReached);
    AppendNumberLine(out, L"State", d.state);
    AppendNumberLine(out, L"Added", d.added);
    AppendNumberLine(out, L"Last", d.lastStart);
    AppendNumberLine(out, L"Conn", d.connections);
    AppendNumberLine(out, L"Queue", d.queueId);
    AppendBoolLine(out, L"Hls", d.video);
    AppendNumberLine(out, L"Parts", d.partCount);
    out.append(L"Segs=");
    for (const Segment& s : d.segments) {
        AppendNumber(out, s.start);
        out.push_back(L',');
        AppendNumber(out, s.end);
        out.push_back(L',');
        AppendNumber(out, s.next);
        out.push_back(L';');
    }
    out.append(L"\r\n\r\n");
}

void AppendQueue(std::wstring& out, const DownloadQueue& q) {
    out.append(L"[Q");
    AppendNumber(out, q.id);
    out.append(L"]\r\n");
    AppendIniLine(out, L"Name", q.name);
    AppendNumberLine(out, L"MaxActive", q.maxActive);
    AppendBoolLine(out, L"StartOn", q.startOn);
    AppendNumberLine(out, L"StartMin", q.startMinute);
    AppendNumberLine(out, L"Days", q.days);
    AppendBoolLine(out, L"StopOn", q.stopOn);
    AppendNumberLine(out, L"StopMin", q.stopMinute);
    AppendNumberLine(out, L"After", q.after);
    out.append(L"\r\n");
}

// A signed decimal number filling the whole text, saturated to 64 bits.
std::optional<int64_t> WholeNumber(std::wstring_view s) {
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == L'-' || s[i] == L'+')) negative = s[i++] == L'-';
    if (i == s.size()) return std::nullopt;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < L'0' || s[i] > L'9') return std::nullopt;
        int digit = s[i] - L'0';
        v = v > (INT64_MAX - digit) / 10 ? INT64_MAX : v * 10 + digit;
    }
    return negative ? -v : v;
}

int64_t Clamp(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : v > hi ? hi : v; }

// A number key: the stored value clamped into range, or the fallback when the key is absent
// or its value is not a number (a missing Size must stay "unknown", not become 0 bytes).
int64_t Number(const IniSection& s, std::wstring_view key, int64_t fallback, int64_t lo, int64_t hi) {
    auto v = s.Find(key);
    std::optional<int64_t> n = v ? WholeNumber(*v) : std::nullopt;
    return n ? Clamp(*n, lo, hi) : fallback;
}

bool Flag(const IniSection& s, std::wstring_view key) {
    auto v = s.Find(key);
    return v && *v == L"1";
}

// The id after the section's letter: decimal digits only, 1 to INT32_MAX - 1 (so the next
// id after it still fits).
int32_t SectionId(std::wstring_view name) {
    std::wstring_view digits = name.substr(1);
    if (digits.empty() || digits.size() > 10) return 0;
    int64_t v = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9') return 0;
        v = v * 10 + (c - L'0');
    }
    return v >= 1 && v < INT32_MAX ? static_cast<int32_t>(v) : 0;
}

// "start,end,next" with the range making sense: an entry that would send a connection to a
// negative offset or past its own end could corrupt the file, so it is dropped.
std::optional<Segment> ParseSegment(std::wstring_view piece) {
    size_t c1 = piece.find(L',');
    if (c1 == std::wstring_view::npos) return std::nullopt;
    size_t c2 = piece.find(L',', c1 + 1);
    if (c2 == std::wstring_view::npos) return std::nullopt;
    auto start = WholeNumber(piece.substr(0, c1));
    auto end = WholeNumber(piece.substr(c1 + 1, c2 - c1 - 1));
    auto next = WholeNumber(piece.substr(c2 + 1));
    if (!start || !end || !next) return std::nullopt;
    Segment s{*start, *end, *next};
    if (s.start < 0 || s.next < s.start || s.start == INT64_MAX || s.next == INT64_MAX) return std::nullopt;
    if (s.end != -1 && (s.end < s.start || s.end == INT64_MAX || s.next > s.end + 1)) return std::nullopt;
    return s;
}

std::vector<Segment> ParseSegments(std::wstring_view text) {
    std::vector<Segment> segments;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find(L';', pos);
        if (end == std::wstring_view::npos) end = text.size();
        if (auto s = ParseSegment(text.substr(pos, end - pos))) segments.push_back(*s);
        pos = end + 1;
    }
    return segments;
}

std::shared_ptr<DownloadItem> ReadDownload(const IniSection& s, int32_t id) {
    auto d = std::make_shared<DownloadItem>();
    d->id = id;
    d->url = s.Get(L"Url");
    d->fileName = s.Get(L"File");
    d->referrer = s.Get(L"Referer");
    d->userAgent = s.Get(L"UA");
    d->path = s.Get(L"Path");
    d->category = s.Get(L"Cat");
    d->description = s.Get(L"Desc");
    d->lastError = s.Get(L"Err");
    d->size = Number(s, L"Size", -1, -1, INT64_MAX);
    d->added = Number(s, L"Added", 0, INT64_MIN, INT64_MAX);
    d->lastStart = Number(s, L"Last", 0, INT64_MIN, INT64_MAX);
    d->resumable = Flag(s, L"Res");
    d->probed = Flag(s, L"Probed");
    d->userPath = Flag(s, L"UserPath");
    d->endReached = Flag(s, L"Eof");
    d->video = Flag(s, L"Hls");
    d->state = static_cast<int32_t>(Number(s, L"State", d->state, 0, 4));
    if (d->State() == DownloadState::Downloading) d->state = static_cast<int32_t>(DownloadState::Stopped);
    d->connections = static_cast<int32_t>(Number(s, L"Conn", d->connections, 1, 32));
    d->queueId = static_cast<int32_t>(Number(s, L"Queue", 0, 0, INT32_MAX));
    d->partCount = static_cast<int32_t>(Number(s, L"Parts", 0, 0, INT32_MAX));
    if (d->State() == DownloadState::Queued && d->queueId == 0) d->queueId = 1;
    d->segments = ParseSegments(s.Find(L"Segs").value_or(std::wstring_view()));
    // Saved progress that does not describe every byte once (a Segs line cut short, a range
    // past the size, overlapping ranges) would finish a file with holes in it, or ask for
    // ranges past the end for ever: such a download starts again from byte 0.
    if (!d->video && d->size > 0 && d->State() != DownloadState::Complete && !d->segments.empty() &&
        !SegmentsTile(d->segments, d->size))
        d->segments.clear();
    d->bytesAtStart = d->DownloadedBytes();
    return d;
}

void ReadQueue(const IniSection& s, DownloadQueue& q) {
    std::wstring name = s.Get(L"Name");
    if (name == L"Main download queue") name = kDefaultQueueName;
    if (!name.empty()) q.name = name;
    q.maxActive = static_cast<int32_t>(Number(s, L"MaxActive", q.maxActive, 1, 10));
    q.startOn = Flag(s, L"StartOn");
    q.stopOn = Flag(s, L"StopOn");
    q.startMinute = static_cast<int32_t>(Number(s, L"StartMin", q.startMinute, INT32_MIN, INT32_MAX));
    q.days = static_cast<uint32_t>(Number(s, L"Days", q.days, 0, UINT32_MAX));
    q.stopMinute = static_cast<int32_t>(Number(s, L"StopMin", q.stopMinute, INT32_MIN, INT32_MAX));
    // An action this program does not know is no action, never a shutdown.
    const int64_t after = Number(s, L"After", q.after, INT32_MIN, INT32_MAX);
    q.after = after >= 0 && after <= 2 ? static_cast<int32_t>(after) : 0;
}

DownloadQueue DefaultQueue(int32_t maxActive) {
    DownloadQueue q;
    q.id = 1;
    q.name = kDefaultQueueName;
    q.maxActive = maxActive;
    return q;
}

}  // namespace

std::wstring ListTextLocked(const DownloadManager& m) {
    // One allocation: the keys and numbers of a section take under 300 characters, a
    // segment under 64.
    size_t size = m.queues.size() * 160;
    for (const auto& d : m.downloads)
        size += 300 + d->segments.size() * 64 + d->url.size() + d->referrer.size() + d->userAgent.size() +
                d->fileName.size() + d->path.size() + d->category.size() + d->description.size() +
                d->lastError.size();
    for (const DownloadQueue& q : m.queues) size += q.name.size();
    std::wstring text;
    text.reserve(size);
    for (const auto& d : m.downloads) AppendDownload(text, *d);
    for (const DownloadQueue& q : m.queues) AppendQueue(text, q);
    return text;
}

WriteResult SaveList(DownloadManager& m, const std::wstring& dataFolder, bool force) {
    std::wstring text;
    {
        std::lock_guard guard(m.lock);
        if (!m.listDirty && !force) return {true, {}};
        m.listDirty = false;
        m.listSaveNow = false;
        text = ListTextLocked(m);
    }
    WriteResult result = WriteWholeFile(ListPath(dataFolder), text);
    if (!result.ok) {
        std::lock_guard guard(m.lock);
        m.listDirty = true;
    }
    return result;
}

WriteResult SaveListIfAsked(DownloadManager& m, const std::wstring& dataFolder) {
    {
        std::lock_guard guard(m.lock);
        if (!m.listSaveNow) return {true, {}};
    }
    return SaveList(m, dataFolder, true);
}

LoadListResult LoadList(DownloadManager& m, const std::wstring& dataFolder) {
    {
        std::lock_guard guard(m.lock);
        m.queues.clear();
        m.queues.push_back(DefaultQueue(static_cast<int32_t>(m.MaxActive)));
    }
    const std::wstring path = ListPath(dataFolder);
    IniReadResult file = ReadIniFile(path, kMaxValueChars);
    if (file.missing) return {};
    // The next save would replace the file with the empty list: keep a copy of it first.
    const auto unreadable = [&](const std::wstring& error) {
        const std::wstring copy = path + L".unreadable";
        const bool kept = CopyFileW(path.c_str(), copy.c_str(), FALSE);
        return LoadListResult{false, error + (kept ? L" A copy was kept as " + copy + L"." : std::wstring())};
    };
    if (!file.ok) return unreadable(file.error);
    // The program writes list.ini in UTF-16 with its mark, always with a queue section. Any
    // other file is not one of its lists (random bytes read as ANSI text would be taken for
    // an empty list and overwritten).
    if (!file.utf16) return unreadable(path + L" is not a download list: it is not UTF-16 text.");

    // The items are made outside the lock: nobody else can see them yet.
    struct Entry {
        const IniSection* section;
        int32_t id;
        bool queue;
        std::shared_ptr<DownloadItem> item;
    };
    std::vector<Entry> entries;
    entries.reserve(file.sections.size());
    for (const IniSection& s : file.sections) {
        if (s.name.size() < 2 || (s.name[0] != L'D' && s.name[0] != L'Q')) continue;
        const int32_t id = SectionId(s.name);
        if (id <= 0) continue;
        if (s.name[0] == L'Q') {
            entries.push_back({&s, id, true, nullptr});
            continue;
        }
        if (s.Find(L"Url").value_or(std::wstring_view()).empty()) continue;
        entries.push_back({&s, id, false, ReadDownload(s, id)});
    }

    if (entries.empty()) return unreadable(path + L" is not a download list: no download or queue could be read.");

    std::lock_guard guard(m.lock);
    std::unordered_set<int32_t> ids;
    for (const auto& d : m.downloads) ids.insert(d->id);
    for (Entry& e : entries) {
        if (e.queue) {
            DownloadQueue* q = m.FindQueueLocked(e.id);
            if (!q) {
                DownloadQueue fresh;
                fresh.id = e.id;
                m.queues.push_back(fresh);
                q = &m.queues.back();
            }
            ReadQueue(*e.section, *q);
            if (m.nextQueueId <= e.id) m.nextQueueId = e.id + 1;
            continue;
        }
        if (!ids.insert(e.id).second) continue;  // two sections for one id: the first counts
        if (m.nextDownloadId <= e.id) m.nextDownloadId = e.id + 1;
        m.downloads.push_back(std::move(e.item));
    }
    // A download of a queue that no longer exists waits in the default queue, as it would
    // had its queue been removed in this program.
    for (const auto& d : m.downloads)
        if (d->queueId != 0 && !m.FindQueueLocked(d->queueId)) d->queueId = 1;
    return {};
}

}  // namespace vonu
