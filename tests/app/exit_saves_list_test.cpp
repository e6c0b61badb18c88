// The real Vonu.exe loads list.ini at start and, on exit, stops everything and saves it.
#include <gtest/gtest.h>

#include <windows.h>

#include "ui/resource.h"
#include "model/data_folder.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

TEST(ExitSavesList, ListLoadedAtStartIsWrittenBackAtExit) {
    ASSERT_TRUE(test::MainWindows().empty()) << "another Vonu is running in the test prefix";
    const std::wstring list = ListPath(DataFolder());
    test::WriteUtf16File(list,
                         L"[D5]\r\nUrl=http://127.0.0.1/big.iso\r\nState=1\r\nSegs=0,99,50;junk;\r\n\r\n"
                         L"[Dx]\r\nUrl=http://dropped/\r\n\r\n"
                         L"[Q1]\r\nName=Main download queue\r\nMaxActive=2\r\n\r\n");
    test::Process vonu = test::StartVonu(L"");
    ASSERT_TRUE(vonu.started());
    HWND window = test::WaitForMainWindow(vonu.id(), 30000);
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_COMMAND, ID_APP_EXIT, 0);
    DWORD code = 1;
    EXPECT_TRUE(vonu.WaitExit(15000, &code));
    EXPECT_EQ(code, 0u);

    const std::wstring text = test::Utf16FileText(list);
    DeleteFileW(list.c_str());
    EXPECT_NE(text.find(L"[D5]\r\nUrl=http://127.0.0.1/big.iso\r\n"), std::wstring::npos) << "the list was saved";
    EXPECT_NE(text.find(L"State=2\r\n"), std::wstring::npos) << "a download saved while running is Stopped";
    EXPECT_NE(text.find(L"Segs=0,99,50;\r\n"), std::wstring::npos);
    EXPECT_EQ(text.find(L"dropped"), std::wstring::npos);
    EXPECT_NE(text.find(L"[Q1]\r\nName=Default queue\r\nMaxActive=2\r\n"), std::wstring::npos);
}

}  // namespace
}  // namespace vonu
