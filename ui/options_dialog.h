// "Options": six pages (Connection, Save To, Downloads, Proxy, Site logins, Antivirus) on
// copies of the settings, the site logins, the server limits and the start-with-Windows
// entry. Leaving a page checks it; OK checks every page first and, when one refuses, shows
// that page with its message and changes nothing. Only then is everything written back in
// one step: the settings (each under the lock its readers take), the logins and limits, the
// Run entry, settings.ini, categories.ini and logins.ini; the speed limiter and the HTTP
// session are renewed at once. A failed save is shown. Cancel changes nothing.
//
// Modal to `owner`; uses IDD_OPTIONS and its page dialogs. User-interface thread; the lists
// are copied and replaced under the category lock.
#pragma once

#include <windows.h>

#include <string>

namespace vonu {

// The pages in tab order, for a caller that opens the dialog on one of them.
enum class OptionsPage { Connection, SaveTo, Downloads, Proxy, SiteLogins, Antivirus };

struct OptionsOutcome {
    bool confirmed = false;
    // The language changed and the user asked to restart now: the caller starts the program
    // again with "/restart" and closes the main window.
    bool restartNow = false;
};

// Starts this program's own file again with "/restart" (shell "open"); the new instance waits
// for this one to end. False when it could not be started.
bool StartProgramAgain();

OptionsOutcome ShowOptions(HWND owner, const std::wstring& dataFolder, OptionsPage first = OptionsPage::Connection);

}  // namespace vonu
