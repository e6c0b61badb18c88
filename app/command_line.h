// The main program's command line. Each switch is found as a case-sensitive substring
// anywhere in the whole line, in any order (browsers put their own arguments around ours).
#pragma once

#include <string_view>

namespace vonu {

struct CommandLine {
    bool host = false;     // a browser started us as its native messaging host
    bool restart = false;  // wait for the previous instance to exit (after an update)
    bool tray = false;     // start hidden in the notification area, if MinToTray is on
    bool updated = false;  // just updated: show the "Update installed" balloon
};

CommandLine ParseCommandLine(std::wstring_view line);

}  // namespace vonu
