#include "browser/host_manifests.h"

#include <windows.h>

#include "browser/extension_ids.h"
#include "browser/program_file.h"
#include "model/text_encoding.h"
#include "model/whole_file_writer.h"

namespace vonu {
namespace {

std::wstring DoubledBackslashes(const std::wstring& path) {
    std::wstring out;
    out.reserve(path.size() + 16);
    for (wchar_t c : path) {
        out += c;
        if (c == L'\\') out += L'\\';
    }
    return out;
}

// Lines 1 to 5 are the same in both manifests; line 6 names who may call the host.
std::string Manifest(const std::wstring& programPath, const std::wstring& allowed) {
    const std::wstring text = L"{\r\n"
                              L"  \"name\": \"" + std::wstring(kHostName) + L"\",\r\n"
                              L"  \"description\": \"Vonu Download Manager\",\r\n"
                              L"  \"path\": \"" + DoubledBackslashes(programPath) + L"\",\r\n"
                              L"  \"type\": \"stdio\",\r\n"
                              L"  " + allowed + L"\r\n"
                              L"}\r\n";
    return WideToUtf8(text);
}

bool WriteManifest(const std::wstring& path, const std::string& text) {
    return WriteWholeFileBytes(path, text).ok;
}

void SetKeys(const std::wstring& manifestPath, bool firefox, bool withChromiumBrowser) {
    for (const HostKey& key : kHostKeys) {
        if (key.firefox != firefox || (key.chromiumBrowser && !withChromiumBrowser)) continue;
        RegSetKeyValueW(HKEY_CURRENT_USER, key.subKey, nullptr, REG_SZ, manifestPath.c_str(),
                        static_cast<DWORD>((manifestPath.size() + 1) * sizeof(wchar_t)));
    }
}

}  // namespace

std::string ChromiumHostManifest(const std::wstring& programPath) {
    std::wstring origins = L"\"allowed_origins\": [";
    bool first = true;
    for (const wchar_t* id : kChromiumExtensionIds) {
        if (!first) origins += L", ";
        first = false;
        origins += L"\"" + std::wstring(kChromiumOriginPrefix) + id + L"/\"";
    }
    return Manifest(programPath, origins + L"]");
}

std::string FirefoxHostManifest(const std::wstring& programPath) {
    return Manifest(programPath, L"\"allowed_extensions\": [\"" + std::wstring(kFirefoxExtensionId) + L"\"]");
}

void RegisterHosts() {
    const std::wstring self = UncutProgramPath();
    if (!self.empty()) RegisterHostsForProgram(self);
}

void RegisterHostsForProgram(const std::wstring& programPath) {
    const std::wstring folder = FolderOfPath(programPath);
    if (folder.empty()) return;
    const std::wstring chromium = folder + L"\\" + kChromiumManifestFile;
    if (!WriteManifest(chromium, ChromiumHostManifest(programPath))) return;
    SetKeys(chromium, false, true);
    const std::wstring firefox = folder + L"\\" + kFirefoxManifestFile;
    if (WriteManifest(firefox, FirefoxHostManifest(programPath))) SetKeys(firefox, true, false);
}

void WriteInstallManifests(const std::wstring& folder) {
    const std::wstring program = folder + L"\\Vonu.exe";
    (void)WriteManifest(folder + L"\\" + kChromiumManifestFile, ChromiumHostManifest(program));
    (void)WriteManifest(folder + L"\\" + kFirefoxManifestFile, FirefoxHostManifest(program));
}

void SetInstallKeys(const std::wstring& folder) {
    SetKeys(folder + L"\\" + kChromiumManifestFile, false, false);
    SetKeys(folder + L"\\" + kFirefoxManifestFile, true, false);
}

void RegisterHostsForInstall(const std::wstring& folder) {
    WriteInstallManifests(folder);
    SetInstallKeys(folder);
}

}  // namespace vonu
