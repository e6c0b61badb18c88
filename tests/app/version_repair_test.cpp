#include "app/version_repair.h"

#include <gtest/gtest.h>

#include "model/unique_handle.h"

namespace vonu {
namespace {

constexpr wchar_t kTestKey[] = L"Software\\VonuTests\\Uninstall\\Vonu";

class DisplayVersion : public testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VonuTests"); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VonuTests"); }

    void Write(const wchar_t* name, const std::wstring& value) {
        HKEY raw = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw,
                                  nullptr),
                  ERROR_SUCCESS);
        RegKey key(raw);
        RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    std::wstring Read(const wchar_t* name) {
        wchar_t buffer[300] = {};
        DWORD bytes = sizeof buffer - sizeof(wchar_t);
        if (RegGetValueW(HKEY_CURRENT_USER, kTestKey, name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) !=
            ERROR_SUCCESS)
            return L"<none>";
        return buffer;
    }
};

TEST_F(DisplayVersion, RewrittenOnlyWhenInstallLocationIsTheProgramFolder) {
    struct Case {
        const wchar_t* location;  // nullptr: no value
        const wchar_t* expected;
    } const cases[] = {
        {L"C:\\Users\\me\\AppData\\Local\\Programs\\Vonu", L"1.2.0"},
        {L"c:\\users\\ME\\appdata\\local\\programs\\vonu", L"1.2.0"},
        {L"C:\\Program Files\\Vonu", L"1.0.0"},
        {L"C:\\Users\\me\\AppData\\Local\\Programs\\Vonu\\", L"1.0.0"},
        {nullptr, L"1.0.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.location ? std::wstring(c.location).size() : 0);
        SetUp();
        Write(L"DisplayVersion", L"1.0.0");
        if (c.location) Write(L"InstallLocation", c.location);
        RepairDisplayVersion(HKEY_CURRENT_USER, kTestKey, L"C:\\Users\\me\\AppData\\Local\\Programs\\Vonu");
        EXPECT_EQ(Read(L"DisplayVersion"), c.expected);
    }
}

TEST_F(DisplayVersion, MissingEntryIsIgnored) {
    RepairDisplayVersion(HKEY_CURRENT_USER, kTestKey, L"C:\\Vonu");
    EXPECT_EQ(Read(L"DisplayVersion"), L"<none>") << "no entry is created for a portable copy";
}

}  // namespace
}  // namespace vonu
