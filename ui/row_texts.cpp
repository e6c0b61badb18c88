#include "ui/row_texts.h"

#include "l10n/display_format.h"
#include "l10n/localization.h"
#include "model/download_types.h"

namespace vonu {

RowTexts MakeRowTexts(const DownloadSnapshot& d, const std::wstring* knownDate) {
    const bool downloading = d.state == DownloadState::Downloading;
    RowTexts t;
    t[kColumnName] = d.fileName;
    if (d.size >= 0)
        t[kColumnSize] = SizeText(d.size);
    else if (d.video)
        t[kColumnSize] = Translate(L"Video");
    t[kColumnStatus] = StatusText(d);
    if (downloading) {
        t[kColumnRemaining] = TimeLeftText(d);
        t[kColumnSpeed] = SpeedText(d.speed);
    }
    t[kColumnDate] = knownDate ? *knownDate : DateText(d.lastStart != 0 ? d.lastStart : d.added);
    t[kColumnDescription] = d.description;
    return t;
}

RowInputs RowInputsOf(const DownloadSnapshot& d) {
    RowInputs in;
    in.size = d.size;
    in.downloaded = d.downloaded;
    in.added = d.added;
    in.lastStart = d.lastStart;
    in.speed = d.speed;
    in.state = d.state;
    in.partCount = d.partCount;
    in.partsDone = d.partsDone;
    in.video = d.video;
    in.scanning = d.scanning;
    in.probing = d.probing;
    return in;
}

}  // namespace vonu
