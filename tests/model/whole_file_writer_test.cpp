#include "model/whole_file_writer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

using test::ReadBytes;
using test::TempFolder;

TEST(WholeFileWriter, WritesBomAndTextAndReplacesTheOldFile) {
    TempFolder dir;
    const std::wstring path = dir.File(L"list.ini");
    test::WriteBytes(path, "old contents");
    ASSERT_TRUE(WriteWholeFile(path, L"[Q1]\r\nName=قائمة\r\n").ok);
    std::wstring expected = L"[Q1]\r\nName=قائمة\r\n";
    std::string want = "\xFF\xFE";
    want.append(reinterpret_cast<const char*>(expected.data()), expected.size() * 2);
    EXPECT_EQ(ReadBytes(path), want);
    EXPECT_FALSE(test::FileExists(path + L".tmp"));
}

TEST(WholeFileWriter, CannotCreateTemporaryFileLeavesTheOldFile) {
    TempFolder dir;
    const std::wstring path = dir.File(L"list.ini");
    test::WriteBytes(path, "good list");
    CreateDirectoryW((path + L".tmp").c_str(), nullptr);  // a folder where the temporary file goes
    WriteResult r = WriteWholeFile(path, L"new list");
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(ReadBytes(path), "good list");
}

// The temporary file is a link to Linux's /dev/full (made by the test set-up, see
// tests/CMakeLists.txt): every write fails with "disk full", as on a full drive.
TEST(WholeFileWriter, FailedWriteKeepsTheGoodFile) {
    const char* dirEnv = std::getenv("VONU_FULL_DISK_DIR");
    ASSERT_NE(dirEnv, nullptr) << "the test set-up names a folder whose list.ini.tmp is /dev/full";
    std::wstring dir(dirEnv, dirEnv + strlen(dirEnv));
    const std::wstring path = dir + L"\\list.ini";
    test::WriteBytes(path, "good list");
    WriteResult r = WriteWholeFile(path, std::wstring(100000, L'x'));
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(L"Cannot write"), std::wstring::npos) << std::string(r.error.begin(), r.error.end());
    EXPECT_EQ(ReadBytes(path), "good list");
}

TEST(WholeFileWriter, FailedMoveRemovesTheTemporaryFile) {
    TempFolder dir;
    const std::wstring path = dir.File(L"list.ini");
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));  // a folder cannot be replaced by a file
    WriteResult r = WriteWholeFile(path, L"[Q1]\r\n");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(L"Cannot replace"), std::wstring::npos);
    EXPECT_FALSE(test::FileExists(path + L".tmp")) << "no stale temporary file is left behind";
}

}  // namespace
}  // namespace vonu
