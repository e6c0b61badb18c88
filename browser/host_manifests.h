// The browsers' registration of the native messaging host: two manifests beside the program
// file (one for Chrome, Edge, Brave and Chromium, one for Firefox) and, per browser, a key
// under HKEY_CURRENT_USER whose default value is its manifest's full path. The one place
// that holds these texts, file names and keys: the main program rewrites them at every start
// and on repair, the setup program writes them at installation and the uninstaller removes
// the same keys and files.
//
// Each manifest is written whole to a temporary file and moved over the old one, so a
// browser never reads a half-written manifest and a failed write leaves the old one. All
// failures are silent; nothing is reported.
#pragma once

#include <string>

namespace vonu {

inline constexpr wchar_t kHostName[] = L"com.vonu.downloader";
inline constexpr wchar_t kChromiumManifestFile[] = L"com.vonu.downloader.json";
inline constexpr wchar_t kFirefoxManifestFile[] = L"com.vonu.downloader.firefox.json";

struct HostKey {
    const wchar_t* subKey;  // under HKEY_CURRENT_USER
    bool firefox;           // names the Firefox manifest (else the Chromium-family one)
    bool chromiumBrowser;   // the Chromium browser's own key, which the installation leaves out
};
// Chrome, Edge, Brave, Chromium, then Mozilla: the order they are written in.
inline constexpr HostKey kHostKeys[] = {
    {L"Software\\Google\\Chrome\\NativeMessagingHosts\\com.vonu.downloader", false, false},
    {L"Software\\Microsoft\\Edge\\NativeMessagingHosts\\com.vonu.downloader", false, false},
    {L"Software\\BraveSoftware\\Brave-Browser\\NativeMessagingHosts\\com.vonu.downloader", false, false},
    {L"Software\\Chromium\\NativeMessagingHosts\\com.vonu.downloader", false, true},
    {L"Software\\Mozilla\\NativeMessagingHosts\\com.vonu.downloader", true, false},
};

// The manifest texts for this program file, in UTF-8: CR LF after every line, the inner
// lines indented by two spaces, every backslash of the path doubled.
std::string ChromiumHostManifest(const std::wstring& programPath);
std::string FirefoxHostManifest(const std::wstring& programPath);

// The main program, at every start and on repair: its own file is the host. Nothing at all
// when its path cannot be read whole (program_file.h).
void RegisterHosts();
// The same for the program file at this path, the manifests in its folder: when the
// Chromium-family manifest cannot be written nothing else is; the Firefox key only with its
// manifest.
void RegisterHostsForProgram(const std::wstring& programPath);
// The setup program: the host is folder + "\Vonu.exe", the manifests go into the folder,
// the Chromium browser's own key is left to the program's first start, and each group of
// keys is set whether or not its manifest could be written.
void RegisterHostsForInstall(const std::wstring& folder);
// Its two halves, for a setup whose files are written by an elevated copy: the manifests in
// the folder (that copy), and the keys of the user who runs setup (the user's own process).
void WriteInstallManifests(const std::wstring& folder);
void SetInstallKeys(const std::wstring& folder);

}  // namespace vonu
