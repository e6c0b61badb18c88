#include "app/self_check.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "app/version_repair.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

std::wstring VonuExe() { return ProgramFolder() + L"\\Vonu.exe"; }

TEST(SelfCheck, GenuineBuildsPass) {
    for (const std::wstring& exe : {VonuExe(), ProgramPath()}) {
        SCOPED_TRACE(std::string(exe.begin(), exe.end()));
        ImageCheck c = CheckExecutableImage(exe);
        EXPECT_TRUE(c.ok) << std::string(c.reason.begin(), c.reason.end());
    }
}

TEST(SelfCheck, DamagedImagesFail) {
    const std::string genuine = ReadBytes(VonuExe());
    ASSERT_GT(genuine.size(), 4096u);
    const int32_t peAt = *reinterpret_cast<const int32_t*>(genuine.data() + 0x3C);
    struct Case {
        const char* name;
        std::string bytes;
    };
    auto patched = [&](size_t at, const std::string& with) {
        std::string b = genuine;
        b.replace(at, with.size(), with);
        return b;
    };
    const Case cases[] = {
        {"empty", ""},
        {"cut after the DOS header", genuine.substr(0, 64)},
        {"cut in half", genuine.substr(0, genuine.size() / 2)},
        {"last byte missing", genuine.substr(0, genuine.size() - 1)},
        {"no MZ", patched(0, "XX")},
        {"no PE signature", patched(static_cast<size_t>(peAt), "NE\0\0")},
        {"PE offset past the end", patched(0x3C, std::string("\xFF\xFF\xFF\x7F", 4))},
        {"text file", "This is not a program.\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        WriteBytes(dir.File(L"Vonu.exe"), c.bytes);
        ImageCheck r = CheckExecutableImage(dir.File(L"Vonu.exe"));
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.reason.empty());
    }
    ImageCheck missing = CheckExecutableImage(L"C:\\no\\such\\Vonu.exe");
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.reason, L"The program file cannot be opened.");
}

}  // namespace
}  // namespace vonu
