// "Browser integration" (dialog 224, Downloads menu): for Chrome, Edge, Firefox and Brave,
// whether the browser is installed (its App Paths entry names a file that exists), a button
// that opens the extension's page in that very browser, and "Repair connection", which runs
// the host registration again. Modal to the main window; user-interface thread.
#pragma once

#include <windows.h>

#include <string>

namespace vonu {

// The registration the repair runs (browser/host_manifests.h, a layer above): installed by
// start-up; without one the repair only tells the user.
using HostRegistration = void (*)();
void SetHostRegistration(HostRegistration registration);

void ShowBrowserIntegration(HWND owner);

// The default value of "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\" + program,
// first under HKEY_CURRENT_USER, then HKEY_LOCAL_MACHINE, without its double quotes, if that
// file exists; empty otherwise.
std::wstring FindBrowser(const std::wstring& programFile);

// The product site, "en/" in the English interface, then "extension.html?b=" + page code.
std::wstring ExtensionPageAddress(const std::wstring& pageCode, bool arabic);

}  // namespace vonu
