#include "l10n/display_format.h"

#include <windows.h>

#include <algorithm>

#include "l10n/language.h"
#include "l10n/localization.h"
#include "l10n/text_format.h"

namespace vonu {
namespace {

constexpr int64_t kKB = 1024;
constexpr int64_t kMB = 1024 * kKB;
constexpr int64_t kGB = 1024 * kMB;

struct UnitForms {
    const wchar_t* english;
    const wchar_t* arabic;
};
constexpr UnitForms kBytes{L"%lld Bytes", L"\u200F%lld بايت"};
constexpr UnitForms kKilobytes{L"%.2f KB", L"\u200F%.2f ك.ب"};
constexpr UnitForms kMegabytes{L"%.2f MB", L"\u200F%.2f م.ب"};
constexpr UnitForms kGigabytes{L"%.2f GB", L"\u200F%.2f ج.ب"};
constexpr UnitForms kKilobytesPerSecond{L"%.2f KB/sec", L"\u200F%.2f ك.ب/ث"};
constexpr UnitForms kMegabytesPerSecond{L"%.2f MB/sec", L"\u200F%.2f م.ب/ث"};

const wchar_t* Form(const UnitForms& forms) { return IsArabicInterface() ? forms.arabic : forms.english; }

std::wstring PercentText(const DownloadSnapshot& d) { return FormatText(L"%.2f%%", PercentDone(d)); }

}  // namespace

std::wstring SizeText(int64_t bytes) {
    if (bytes < 0) return {};
    if (bytes < kKB) return FormatText(Form(kBytes), static_cast<long long>(bytes));
    const double b = static_cast<double>(bytes);
    if (bytes < kMB) return FormatText(Form(kKilobytes), b / kKB);
    if (bytes < kGB) return FormatText(Form(kMegabytes), b / kMB);
    return FormatText(Form(kGigabytes), b / kGB);
}

std::wstring SpeedText(double bytesPerSecond) {
    if (bytesPerSecond < kMB) return FormatText(Form(kKilobytesPerSecond), bytesPerSecond / kKB);
    return FormatText(Form(kMegabytesPerSecond), bytesPerSecond / kMB);
}

std::wstring TimeLeftText(const DownloadSnapshot& d) {
    if (d.state != DownloadState::Downloading || !(d.speed >= 1.0) || d.scanning) return {};

    double remaining = 0;
    if (d.video && d.partCount >= 1) {
        if (d.partsDone <= 0) return {};
        const double perPart = static_cast<double>(d.downloaded) / d.partsDone;
        remaining = perPart * std::max(0, d.partCount - d.partsDone);
    } else {
        if (d.size <= 0) return {};
        // A server that sends more than it announced must not give a negative time.
        remaining = static_cast<double>(std::max<int64_t>(0, d.size - d.downloaded));
    }
    const long long seconds = static_cast<long long>(remaining / d.speed);

    std::wstring text;
    if (seconds <= 59) {
        text = FormatText(Translate(L"%lld sec"), seconds);
    } else if (seconds < 3600) {
        text = FormatText(Translate(L"%lld min %lld sec"), seconds / 60, seconds % 60);
    } else if (seconds < 86400) {
        text = FormatText(Translate(L"%lld hr %lld min"), seconds / 3600, (seconds % 3600) / 60);
    } else {
        text = FormatText(Translate(L"%lld days %lld hr"), seconds / 86400, (seconds % 86400) / 3600);
    }
    if (IsArabicInterface()) text.insert(text.begin(), kRightToLeftMark);
    return text;
}

std::wstring DateText(int64_t fileTime) {
    if (fileTime <= 0) return {};
    FILETIME utc{static_cast<DWORD>(fileTime & 0xFFFFFFFF),
                 static_cast<DWORD>(static_cast<uint64_t>(fileTime) >> 32)};
    FILETIME local{};
    SYSTEMTIME time{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time)) return {};

    const bool arabic = IsArabicInterface();
    const wchar_t* locale = arabic ? L"ar-EG" : LOCALE_NAME_INVARIANT;
    wchar_t date[64] = {};
    wchar_t clock[64] = {};
    if (!GetDateFormatEx(locale, 0, &time, arabic ? L"d MMMM yyyy" : L"MMM dd yyyy", date, 64, nullptr))
        return {};
    if (!GetTimeFormatEx(locale, TIME_NOSECONDS, &time, L"hh:mm tt", clock, 64)) return {};
    return FormatText(L"%s  %s", date, clock);
}

double PercentDone(const DownloadSnapshot& d) {
    if (d.state == DownloadState::Complete) return 100.0;
    if (d.video && d.partCount > 0) return d.partsDone * 100.0 / d.partCount;
    if (d.size <= 0) return 0.0;
    return std::min(100.0, static_cast<double>(d.downloaded) * 100.0 / static_cast<double>(d.size));
}

std::wstring StatusText(const DownloadSnapshot& d) {
    switch (d.state) {
        case DownloadState::Queued:
            return Translate(L"Queued");
        case DownloadState::Downloading:
            if (d.scanning) return Translate(L"Scanning");
            if (d.probing) return Translate(L"Connecting");
            if (d.size >= 0 || d.video) return PercentText(d);
            return SizeText(d.downloaded);
        case DownloadState::Stopped:
            if ((d.downloaded > 0 && d.size > 0) || d.partsDone > 0) return PercentText(d);
            return Translate(L"Stopped");
        case DownloadState::Complete:
            return Translate(L"Complete");
        case DownloadState::Error:
            return Translate(L"Error");
    }
    return {};
}

}  // namespace vonu
