#include "model/list_file.h"

#include <windows.h>

#include <climits>
#include <mutex>
#include <unordered_set>

#include "model/data_folder.h"
#include "model/decimal.h"
#include "model/ini_fields.h"
#include "model/ini_file.h"
#include "model/segment_tiling.h"

namespace vonu {
namespace {

constexpr size_t kMaxValueChars = 262144;

// The keys of a download section, in the order they are written. Not-a-number values and
// absent keys keep the fresh record's value, so a missing Size stays "unknown".
const IniField<DownloadRecord> kDownloadFields[] = {
    {L"Url", &DownloadRecord::url},
    {L"Referer", &DownloadRecord::referrer},
    {L"UA", &DownloadRecord::userAgent},
    {L"File", &DownloadRecord::fileName},
    {L"Path", &DownloadRecord::path},
    {L"Cat", &DownloadRecord::category},
    {L"Desc", &DownloadRecord::description},
    {L"Err", &DownloadRecord::lastError},
    {L"Size", &DownloadRecord::size, -1, INT64_MAX},
    {L"Res", &DownloadRecord::resumable},
    {L"Probed", &DownloadRecord::probed},
    {L"UserPath", &DownloadRecord::userPath},
    {L"Eof", &DownloadRecord::endReached},
    {L"State", &DownloadRecord::state, 0, 4},
    {L"Added", &DownloadRecord::added},
    {L"Last", &DownloadRecord::lastStart},
    {L"Conn", &DownloadRecord::connections, 1, 32},
    {L"Queue", &DownloadRecord::queueId, 0, INT32_MAX},
    {L"Hls", &DownloadRecord::video},
    {L"Parts", &DownloadRecord::partCount, 0, INT32_MAX},
    {L"Segs", &DownloadRecord::segments},
};

// The keys of a queue section, in the order they are written. A stored Q1 starts from the
// default queue, so its absent keys keep the default queue's values.
const IniField<DownloadQueue> kQueueFields[] = {
    {L"Name", &DownloadQueue::name},
    {L"MaxActive", &DownloadQueue::maxActive, 1, 10},
    {L"StartOn", &DownloadQueue::startOn},
    {L"StartMin", &DownloadQueue::startMinute, INT32_MIN, INT32_MAX},
    {L"Days", &DownloadQueue::days, 0, UINT32_MAX},
    {L"StopOn", &DownloadQueue::stopOn},
    {L"StopMin", &DownloadQueue::stopMinute, INT32_MIN, INT32_MAX},
    {L"After", &DownloadQueue::after, INT32_MIN, INT32_MAX},
};

void AppendDownload(std::wstring& out, const DownloadRecord& d) {
    out.append(L"[D");
    AppendDecimal(out, d.id);
    out.append(L"]\r\n");
    AppendIniFields(out, d, kDownloadFields);
    out.append(L"\r\n");
}

void AppendQueue(std::wstring& out, const DownloadQueue& q) {
    out.append(L"[Q");
    AppendDecimal(out, q.id);
    out.append(L"]\r\n");
    AppendIniFields(out, q, kQueueFields);
    out.append(L"\r\n");
}

// The characters of the record's text values, for reserving the file's text at once.
template <class R, size_t N>
size_t TextChars(const R& r, const IniField<R> (&table)[N]) {
    size_t n = 0;
    for (const IniField<R>& f : table)
        if (const auto* text = std::get_if<std::wstring R::*>(&f.member)) n += (r.**text).size();
    return n;
}

// The id after the section's letter: decimal digits only, 1 to INT32_MAX - 1 (so the next
// id after it still fits).
int32_t SectionId(std::wstring_view name) {
    const int64_t v = DigitsOnly(name.substr(1)).value_or(0);
    return v >= 1 && v < INT32_MAX ? static_cast<int32_t>(v) : 0;
}

std::shared_ptr<DownloadItem> ReadDownload(const IniSection& s, int32_t id) {
    auto d = std::make_shared<DownloadItem>();
    ReadIniFields(d->Record(), s, kDownloadFields);
    d->id = id;
    if (d->url.empty()) return nullptr;  // nothing to download
    // A run cannot survive the program: a download saved while running waits to be started.
    if (d->state == DownloadState::Downloading) d->state = DownloadState::Stopped;
    if (d->state == DownloadState::Queued && d->queueId == 0) d->queueId = 1;
    // Saved progress that does not describe every byte once (a Segs line cut short, a range
    // past the size, overlapping ranges) would finish a file with holes in it, or ask for
    // ranges past the end for ever: such a download starts again from byte 0.
    if (!d->video && d->size > 0 && d->state != DownloadState::Complete && !d->segments.empty() &&
        !SegmentsTile(d->segments, d->size))
        d->segments.clear();
    d->bytesAtStart = d->DownloadedBytes();
    return d;
}

void ReadQueue(const IniSection& s, DownloadQueue& q) {
    const std::wstring name = q.name;
    ReadIniFields(q, s, kQueueFields);
    if (q.name == L"Main download queue") q.name = kDefaultQueueName;  // the name older lists used
    if (q.name.empty()) q.name = name;
    // An action this program does not know is no action, never a shutdown.
    if (q.after < 0 || q.after > 2) q.after = 0;
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
    size_t size = 0;
    for (const auto& d : m.downloads)
        size += 300 + d->segments.size() * 64 + TextChars(d->Record(), kDownloadFields);
    for (const DownloadQueue& q : m.queues) size += 160 + TextChars(q, kQueueFields);
    std::wstring text;
    text.reserve(size);
    for (const auto& d : m.downloads) AppendDownload(text, *d);
    for (const DownloadQueue& q : m.queues) AppendQueue(text, q);
    return text;
}

WriteResult SaveList(DownloadManager& m, const std::wstring& dataFolder, bool force) {
    std::lock_guard writing(m.listWriteLock);
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
        if (auto item = ReadDownload(s, id)) entries.push_back({&s, id, false, std::move(item)});
    }

    if (entries.empty())
        return unreadable(path + L" is not a download list: no download or queue could be read.");

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
