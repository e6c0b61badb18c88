#include <gtest/gtest.h>

#include "ui/shell_open.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

using test::TempFolder;
using test::WriteBytes;

TEST(PickFolderTarget, FileThenTemporaryFileThenFolder) {
    TempFolder folder;
    const std::wstring done = folder.File(L"done.zip");
    const std::wstring running = folder.File(L"running.iso");
    const std::wstring gone = folder.File(L"gone.pdf");
    WriteBytes(done, "x");
    WriteBytes(done + L".vonu", "stale");
    WriteBytes(running + L".vonu", "part");

    FolderTarget t = PickFolderTarget(done);
    EXPECT_TRUE(t.selectItem);
    EXPECT_EQ(t.path, done) << "an existing file wins over a leftover temporary file";

    t = PickFolderTarget(running);
    EXPECT_TRUE(t.selectItem);
    EXPECT_EQ(t.path, running + L".vonu");

    t = PickFolderTarget(gone);
    EXPECT_FALSE(t.selectItem);
    EXPECT_EQ(t.path, folder.path());

    t = PickFolderTarget(L"nofolder.txt");
    EXPECT_FALSE(t.selectItem);
    EXPECT_EQ(t.path, L"") << "no backslash: nothing to open";
}

}  // namespace
}  // namespace vonu
