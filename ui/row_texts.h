// The seven cell texts of a download's row in the main list, and the inputs they depend on,
// so the refresh can skip a row whose inputs did not change (it runs four times a second
// over the whole list). User-interface thread (the texts go through the translation lookup).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/download_snapshot.h"

namespace vonu {

inline constexpr int kColumnCount = 7;
enum Column {
    kColumnName,
    kColumnSize,
    kColumnStatus,
    kColumnRemaining,
    kColumnSpeed,
    kColumnDate,
    kColumnDescription
};

using RowTexts = std::array<std::wstring, kColumnCount>;

// File name, size ("Video" for a video of unknown size), status, time left and speed while
// downloading, the last start (or the added time if never started), description.
// `knownDate`, when given, is the date text already made for the same last start and added
// time (the date lookup is the slowest of the seven).
RowTexts MakeRowTexts(const DownloadSnapshot& download, const std::wstring* knownDate = nullptr);

// Everything MakeRowTexts reads but the strings; equal keys and equal strings give equal texts.
struct RowInputs {
    int64_t size = 0, downloaded = 0, added = 0, lastStart = 0;
    double speed = 0;
    DownloadState state = DownloadState::Queued;
    int32_t partCount = 0, partsDone = 0;
    bool video = false, scanning = false, probing = false;
    bool operator==(const RowInputs&) const = default;
};
RowInputs RowInputsOf(const DownloadSnapshot& download);

}  // namespace vonu
