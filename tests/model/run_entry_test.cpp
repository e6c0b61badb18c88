#include "model/run_entry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "model/text_case.h"

namespace vonu {
namespace {

TEST(RunEntry, PathIsInFolder) {
    const struct {
        const wchar_t* path;
        const wchar_t* folder;
        bool inside;
    } cases[] = {
        {L"C:\\Vonu\\Vonu.exe", L"C:\\Vonu", true},
        {L"c:\\vonu\\sub\\Vonu.exe", L"C:\\VONU\\", true},
        {L"C:\\Vonu2\\Vonu.exe", L"C:\\Vonu", false},
        {L"C:\\Vonu", L"C:\\Vonu", false},
        {L"C:\\Vonu\\", L"C:\\Vonu", false},
        {L"C:\\Vonu\\x", L"", false},
        {L"\\\\server\\share\\Vonu\\Vonu.exe", L"\\\\server\\share\\Vonu", true},
        {L"C:\\Programs\\Vonu.exe", L"C:\\Programs\\Vonu", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "path " << c.path << " folder " << c.folder);
        EXPECT_EQ(PathIsInFolder(c.path, c.folder), c.inside);
    }
}

TEST(RunEntry, ProgramOfRunCommand) {
    const struct {
        const wchar_t* command;
        const wchar_t* program;
    } cases[] = {
        {L"\"C:\\Program Files\\Vonu\\Vonu.exe\" /tray", L"C:\\Program Files\\Vonu\\Vonu.exe"},
        {L"C:\\Vonu\\Vonu.exe /tray", L"C:\\Vonu\\Vonu.exe"},
        {L"\"C:\\Vonu\\Vonu.exe", L""},
        {L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "command " << c.command);
        EXPECT_EQ(ProgramOfRunCommand(c.command), c.program);
    }
    EXPECT_EQ(RunEntryCommand(L"C:\\Vonu\\Vonu.exe"), L"\"C:\\Vonu\\Vonu.exe\" /tray");
}

// The real Run key of the tests' Wine user; whatever was there before is put back.
class RunEntryRegistry : public testing::Test {
protected:
    void SetUp() override { before_ = ReadRunEntry(); }
    void TearDown() override {
        if (before_) {
            HKEY key = nullptr;
            ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                      nullptr),
                      ERROR_SUCCESS);
            RegSetValueExW(key, kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(before_->c_str()),
                           static_cast<DWORD>((before_->size() + 1) * sizeof(wchar_t)));
            RegCloseKey(key);
        } else {
            EXPECT_TRUE(DeleteRunEntry());
        }
    }
    static void SetRaw(DWORD type, const std::wstring& text) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        // Stored without its terminator, as another program may leave it.
        RegSetValueExW(key, kRunValueName, 0, type, reinterpret_cast<const BYTE*>(text.data()),
                       static_cast<DWORD>(text.size() * sizeof(wchar_t)));
        RegCloseKey(key);
    }

private:
    std::optional<std::wstring> before_;
};

TEST_F(RunEntryRegistry, WriteReadAndDelete) {
    ASSERT_TRUE(WriteRunEntry(L"C:\\Program Files\\ڤونو\\Vonu.exe"));
    EXPECT_EQ(ReadRunEntry(), std::optional<std::wstring>(L"\"C:\\Program Files\\ڤونو\\Vonu.exe\" /tray"));
    ASSERT_TRUE(DeleteRunEntry());
    EXPECT_FALSE(ReadRunEntry());
    EXPECT_TRUE(DeleteRunEntry()) << "deleting an entry that is not there";

    SetRaw(REG_SZ, L"\"C:\\Vonu\\Vonu.exe\" /tray");
    EXPECT_EQ(ReadRunEntry(), std::optional<std::wstring>(L"\"C:\\Vonu\\Vonu.exe\" /tray"))
        << "a string stored without its terminator";
    SetRaw(REG_BINARY, L"\"C:\\Vonu\\Vonu.exe\" /tray");
    EXPECT_FALSE(ReadRunEntry()) << "a value that is not a string";
}

TEST_F(RunEntryRegistry, DeleteInFolderKeepsAnotherCopysEntry) {
    ASSERT_TRUE(WriteRunEntry(L"D:\\Portable\\Vonu\\Vonu.exe"));
    EXPECT_TRUE(DeleteRunEntryInFolder(L"C:\\Users\\me\\AppData\\Local\\Programs\\Vonu"));
    EXPECT_EQ(ReadRunEntry(), std::optional<std::wstring>(L"\"D:\\Portable\\Vonu\\Vonu.exe\" /tray"));
    EXPECT_TRUE(DeleteRunEntryInFolder(L"d:\\portable\\vonu\\"));
    EXPECT_FALSE(ReadRunEntry());
}

}  // namespace
}  // namespace vonu
