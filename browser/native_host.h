// The program as the browsers' native messaging host (started with the extension's origin on
// its command line): one request in from standard input, at most one reply out, then the
// process ends. A ping says whether the main window runs and which language the interface
// uses; a hand-over passes one download to the main window (ui/hand_over_record.h),
// starting the program with "/tray" when none runs.
//
// The host opens no window, takes no single-instance lock, loads no setting but the
// language and never creates the data folder. Several hosts may run at once; they share
// only the main window, whose message queue takes their records one after another.
#pragma once

#include <string>
#include <windows.h>

namespace vonu {

// Serves the one request on the process's standard input and output.
void RunNativeHost();
// The same on the given handles.
void ServeNativeRequest(HANDLE input, HANDLE output);

// The reply texts the host sends.
inline constexpr char kHandOverAccepted[] = "{\"ok\":true}";
inline constexpr char kUnsupportedAddress[] = "{\"ok\":false,\"error\":\"unsupported address\"}";
inline constexpr char kDidNotStart[] = "{\"ok\":false,\"error\":\"Vonu did not start\"}";
inline constexpr char kDidNotAnswer[] = "{\"ok\":false,\"error\":\"Vonu did not answer\"}";

}  // namespace vonu
