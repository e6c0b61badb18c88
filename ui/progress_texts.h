// What the progress window shows for one snapshot of its download: the title, the
// information lines, the pause button, and the connection table's rows. Pure functions of
// the snapshot (through the translation lookup and the display formats), so the window only
// writes what changed. User-interface thread.
#pragma once

#include <string>
#include <vector>

#include "model/download_snapshot.h"

namespace vonu {

struct ProgressTexts {
    std::wstring title;  // "12% name"
    std::wstring address, path, status, size, downloaded, speed, remaining, canResume;
    std::wstring pauseButton;  // "Pause" or "Resume"
    bool pauseEnabled = true;  // false when Complete
    bool operator==(const ProgressTexts&) const = default;
};

ProgressTexts MakeProgressTexts(const DownloadSnapshot& d);

// One row of the connection table per segment.
struct ConnectionRow {
    std::wstring number, downloaded, info;
    bool operator==(const ConnectionRow&) const = default;
};

std::vector<ConnectionRow> MakeConnectionRows(const DownloadSnapshot& d);

// Whether the pause button starts the download (Stopped, Error, Complete) rather than stops it.
bool PauseButtonResumes(const DownloadSnapshot& d);

}  // namespace vonu
