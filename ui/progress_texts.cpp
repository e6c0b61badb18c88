#include "ui/progress_texts.h"

#include <algorithm>

#include "l10n/display_format.h"
#include "l10n/localization.h"
#include "l10n/text_format.h"

namespace vonu {
namespace {

std::wstring StatusLine(const DownloadSnapshot& d) {
    switch (d.state) {
        case DownloadState::Queued:
            return Translate(L"Waiting in queue");
        case DownloadState::Downloading:
            if (d.scanning) return Translate(L"Checking the file with the antivirus...");
            if (d.probing) return Translate(L"Getting file information...");
            if (d.video) return Translate(L"Receiving video parts...");
            return d.busySegments.empty() ? Translate(L"Connecting...") : Translate(L"Downloading...");
        case DownloadState::Stopped:
            return Translate(L"Paused");
        case DownloadState::Complete:
            return Translate(L"Complete");
        case DownloadState::Error:
            return std::wstring(Translate(L"Error: ")) + TranslateMessageText(d.lastError);
    }
    return {};
}

std::wstring SizeLine(const DownloadSnapshot& d) {
    if (d.video && d.state != DownloadState::Complete)
        return FormatText(Translate(L"Video stream, %d parts"), d.partCount);
    if (d.size < 0) return Translate(L"Unknown");
    return SizeText(d.size);
}

std::wstring DownloadedLine(const DownloadSnapshot& d) {
    if (d.video)
        return FormatText(Translate(L"%s  (%d of %d parts)"), SizeText(d.downloaded).c_str(), d.partsDone,
                          d.partCount);
    return FormatText(Translate(L"%s  (%.2f %%)"), SizeText(d.downloaded).c_str(), PercentDone(d));
}

std::wstring CanResumeLine(const DownloadSnapshot& d) {
    if (!d.probed) return Translate(L"Checking");
    return d.resumable ? Translate(L"Yes") : Translate(L"No");
}

}  // namespace

bool PauseButtonResumes(const DownloadSnapshot& d) {
    const DownloadState s = d.state;
    return s == DownloadState::Stopped || s == DownloadState::Error || s == DownloadState::Complete;
}

ProgressTexts MakeProgressTexts(const DownloadSnapshot& d) {
    ProgressTexts t;
    t.title = FormatText(L"%.0f%% %s", PercentDone(d), d.fileName.c_str());
    t.address = d.url;
    t.path = d.path;
    t.status = StatusLine(d);
    t.size = SizeLine(d);
    t.downloaded = DownloadedLine(d);
    if (d.state == DownloadState::Downloading) t.speed = SpeedText(d.speed);
    t.remaining = TimeLeftText(d);
    t.canResume = CanResumeLine(d);
    t.pauseButton = PauseButtonResumes(d) ? Translate(L"Resume") : Translate(L"Pause");
    t.pauseEnabled = d.state != DownloadState::Complete;
    return t;
}

std::vector<ConnectionRow> MakeConnectionRows(const DownloadSnapshot& d) {
    std::vector<ConnectionRow> rows;
    rows.reserve(d.segments.size());
    const bool complete = d.state == DownloadState::Complete;
    const bool downloading = d.state == DownloadState::Downloading;
    for (size_t i = 0; i < d.segments.size(); ++i) {
        const Segment& s = d.segments[i];
        ConnectionRow row;
        row.number = std::to_wstring(i + 1);
        row.downloaded = SizeText(s.next - s.start);
        const bool busy =
            std::binary_search(d.busySegments.begin(), d.busySegments.end(), static_cast<int32_t>(i));
        if (busy)
            row.info = Translate(L"Downloading...");
        else if (s.Finished() || complete)
            row.info = Translate(L"Done");
        else if (downloading)
            row.info = Translate(L"Waiting");
        else
            row.info = Translate(L"Stopped");
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace vonu
