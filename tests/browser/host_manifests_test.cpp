// The host registration written into a test folder: the two manifests' exact texts, the five
// keys, the installation's variant, and the atomic rewrite (a failed write leaves the old
// manifest and the keys as they were). The keys are the prefix's own HKEY_CURRENT_USER ones,
// so these tests hold the session lock; every later start of Vonu.exe writes them afresh.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "browser/host_manifests.h"
#include "model/text_encoding.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

using namespace test;

std::wstring KeyValue(const wchar_t* subKey) {
    wchar_t value[1024] = {};
    DWORD bytes = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, subKey, nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
        return L"(none)";
    return value;
}

void SetAllKeys(const std::wstring& value) {
    for (const HostKey& k : kHostKeys)
        RegSetKeyValueW(HKEY_CURRENT_USER, k.subKey, nullptr, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

TEST(HostManifests, ChromiumManifestText) {
    EXPECT_EQ(ChromiumHostManifest(L"C:\\Program Files\\Vonu\\Vonu.exe"),
              "{\r\n"
              "  \"name\": \"com.vonu.downloader\",\r\n"
              "  \"description\": \"Vonu Download Manager\",\r\n"
              "  \"path\": \"C:\\\\Program Files\\\\Vonu\\\\Vonu.exe\",\r\n"
              "  \"type\": \"stdio\",\r\n"
              "  \"allowed_origins\": [\"chrome-extension://ebloapjomelhfanddmhchpcihdakchkn/\", "
              "\"chrome-extension://ddoggmcbcofmfcekejkmdmpfgaakjhpi/\", "
              "\"chrome-extension://dfglpgkpfiafnbfebeoihnfccgmekdbc/\"]\r\n"
              "}\r\n");
}

TEST(HostManifests, FirefoxManifestTextInUtf8) {
    EXPECT_EQ(FirefoxHostManifest(L"D:\\\u0628\\Vonu.exe"),
              "{\r\n"
              "  \"name\": \"com.vonu.downloader\",\r\n"
              "  \"description\": \"Vonu Download Manager\",\r\n"
              "  \"path\": \"D:\\\\\xD8\xA8\\\\Vonu.exe\",\r\n"
              "  \"type\": \"stdio\",\r\n"
              "  \"allowed_extensions\": [\"integration@vonu.app\"]\r\n"
              "}\r\n");
}

TEST(HostManifests, RegistersBothManifestsAndFiveKeys) {
    TempFolder folder;
    const std::wstring program = folder.File(L"Vonu.exe");
    SetAllKeys(L"old");
    RegisterHostsForProgram(program);
    const std::wstring chromium = folder.File(L"com.vonu.downloader.json");
    const std::wstring firefox = folder.File(L"com.vonu.downloader.firefox.json");
    EXPECT_EQ(ReadBytes(chromium), ChromiumHostManifest(program));
    EXPECT_EQ(ReadBytes(firefox), FirefoxHostManifest(program));
    EXPECT_FALSE(FileExists(chromium + L".tmp"));
    for (const HostKey& k : kHostKeys) {
        SCOPED_TRACE(WideToUtf8(k.subKey));
        EXPECT_EQ(KeyValue(k.subKey), k.firefox ? firefox : chromium);
    }
    // Twice: the same files, the same keys.
    RegisterHostsForProgram(program);
    EXPECT_EQ(ReadBytes(chromium), ChromiumHostManifest(program));
    EXPECT_EQ(KeyValue(kHostKeys[0].subKey), chromium);
}

TEST(HostManifests, AFailedWriteLeavesTheOldManifestAndTheKeys) {
    TempFolder folder;
    const std::wstring program = folder.File(L"Vonu.exe");
    const std::wstring chromium = folder.File(L"com.vonu.downloader.json");
    WriteBytes(chromium, "old manifest");
    // A non-empty folder where the temporary file must go: it cannot be created (root can
    // write anywhere, so permissions cannot stand in for a read-only folder).
    CreateDirectoryW((chromium + L".tmp").c_str(), nullptr);
    WriteBytes(chromium + L".tmp\\x", "x");
    SetAllKeys(L"old");
    RegisterHostsForProgram(program);
    EXPECT_EQ(ReadBytes(chromium), "old manifest");
    EXPECT_FALSE(FileExists(folder.File(L"com.vonu.downloader.firefox.json")));
    for (const HostKey& k : kHostKeys) EXPECT_EQ(KeyValue(k.subKey), L"old");
}

TEST(HostManifests, AShortWriteNeverReplacesTheManifest) {
    // A temporary file that is a link to /dev/full (made by the ctest fixture): every write
    // to it fails as on a full disk.
    wchar_t dir[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"VONU_BROWSER_FULL_DISK_DIR", dir, MAX_PATH)) GTEST_SKIP() << "no full-disk folder";
    const std::wstring folder = dir;
    const std::wstring chromium = folder + L"\\com.vonu.downloader.json";
    WriteBytes(chromium, "old manifest");
    SetAllKeys(L"old");
    RegisterHostsForProgram(folder + L"\\Vonu.exe");
    EXPECT_EQ(ReadBytes(chromium), "old manifest");
    for (const HostKey& k : kHostKeys) EXPECT_EQ(KeyValue(k.subKey), L"old");
}

TEST(HostManifests, InstallationLeavesTheChromiumKeyAndSetsKeysWithoutFiles) {
    TempFolder folder;
    SetAllKeys(L"old");
    RegisterHostsForInstall(folder.path());
    const std::wstring chromium = folder.File(L"com.vonu.downloader.json");
    EXPECT_EQ(ReadBytes(chromium), ChromiumHostManifest(folder.File(L"Vonu.exe")));
    EXPECT_EQ(KeyValue(kHostKeys[0].subKey), chromium);
    EXPECT_EQ(KeyValue(kHostKeys[1].subKey), chromium);
    EXPECT_EQ(KeyValue(kHostKeys[2].subKey), chromium);
    EXPECT_EQ(KeyValue(kHostKeys[3].subKey), L"old");
    EXPECT_EQ(KeyValue(kHostKeys[4].subKey), folder.File(L"com.vonu.downloader.firefox.json"));

    // A folder that cannot be written: the keys still point there.
    const std::wstring missing = folder.File(L"missing");
    RegisterHostsForInstall(missing);
    EXPECT_EQ(KeyValue(kHostKeys[0].subKey), missing + L"\\com.vonu.downloader.json");
    EXPECT_EQ(KeyValue(kHostKeys[4].subKey), missing + L"\\com.vonu.downloader.firefox.json");
}

}  // namespace
}  // namespace vonu
