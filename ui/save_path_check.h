// The checks "Download Now" and "Save for Later" run on the typed target path before the
// New Download dialog may close: a full path with a folder and a file name, no reserved
// characters, and a folder that exists or can be made now (the transfer would make it
// anyway; failing here keeps the user's text in the dialog instead of failing the run).
// Any thread; touches the disk only to look at and create the folder.
#pragma once

#include <string>

namespace vonu {

enum class SavePathVerdict {
    Ok,
    ChooseAgain,   // too short, no folder, no file name, not a full path
    CannotCreate,  // `message` is "Cannot create the file: " + the reason
};

struct SavePathCheck {
    SavePathVerdict verdict = SavePathVerdict::Ok;
    std::wstring message;  // English; empty for Ok and ChooseAgain
};

// `path` is already trimmed. Creates the missing folders of a path that passes.
SavePathCheck CheckSavePath(const std::wstring& path);

}  // namespace vonu
