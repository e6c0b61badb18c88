// Plain records shared by the model, the manager, the engine and the windows.
// They carry no behaviour and no locks: whoever holds a DownloadManager's lock may read
// and write them (see download_manager.h for which lock guards what).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vonu {

// Beside the target path while a download is unfinished: the temporary file of an ordinary
// download (target + kTempSuffix) and the parts folder of a video (target + kPartsSuffix).
inline constexpr wchar_t kTempSuffix[] = L".vonu";
inline constexpr wchar_t kPartsSuffix[] = L".vonu.parts";

// A byte range of the file. `end` is inclusive; -1 means open-ended (size unknown).
struct Segment {
    int64_t start = 0;
    int64_t end = -1;
    int64_t next = 0;  // next byte to fetch

    int64_t Done() const { return next - start; }
    bool Finished() const { return end >= 0 && next > end; }
    bool operator==(const Segment&) const = default;
};

// Stored as these numbers in list.ini: never renumber.
enum class DownloadState : int32_t {
    Queued = 0,
    Downloading = 1,
    Stopped = 2,
    Complete = 3,
    Error = 4,
};

// Stored as these numbers in list.ini (`After`): never renumber.
enum class QueueEndAction : int32_t {
    Nothing = 0,
    ExitProgram = 1,
    TurnOff = 2,
};

struct SpeedSample {
    uint32_t tick = 0;   // GetTickCount value; wraps after 49.7 days
    int64_t bytes = 0;   // downloaded bytes at that tick
};

struct DownloadQueue {
    int32_t id = 0;
    std::wstring name;
    int32_t maxActive = 3;
    bool running = false;
    bool startOn = false;
    int32_t startMinute = 0;  // minutes after local midnight
    uint32_t days = 0;        // bit n = weekday n (0 Sunday); 0 = once
    bool stopOn = false;
    int32_t stopMinute = 0;
    int32_t after = 0;        // a QueueEndAction
    int32_t lastStartStamp = -1;  // date stamp (see DateStamp) of the last fired start
    int32_t lastStopStamp = -1;

    bool operator==(const DownloadQueue&) const = default;
};

// The date stamp the scheduler compares: year * 400 + month * 32 + day of month.
constexpr int32_t DateStamp(int year, int month, int day) { return year * 400 + month * 32 + day; }

struct QueueFinishedEvent {
    int32_t queueId = 0;
    int32_t after = 0;
    std::wstring queueName;
};

struct Category {
    std::wstring name;
    std::wstring types;   // extensions without dots, separated by single spaces
    std::wstring folder;  // empty: derived from BaseDir
    bool builtIn = false;
};

struct SiteLogin {
    std::wstring site;
    std::wstring user;
    std::wstring password;  // plain in memory; protected only in logins.ini
};

struct ServerLimit {
    std::wstring host;
    int32_t limit = 1;  // 1-32
};

struct VideoPart {
    std::wstring address;  // absolute
    int32_t keyIndex = -1;  // -1: not encrypted
    bool explicitIv = false;
    std::array<uint8_t, 16> iv{};
    int64_t sequence = 0;
};

struct VideoKey {
    std::wstring address;  // absolute
    bool fetched = false;
    std::string bytes;     // 16 bytes once fetched
};

}  // namespace vonu
