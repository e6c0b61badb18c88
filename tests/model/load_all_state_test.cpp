#include <gtest/gtest.h>

#include "engine/speed_limiter.h"
#include "model/categories.h"
#include "model/data_folder.h"
#include "model/hosts.h"
#include "model/settings.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

using test::TempFolder;
using test::WriteUtf16File;

// The start-up load runs its steps in order: lists, settings, then the download list, whose
// default queue takes MaxActive from the settings just read; the limiter applied after it,
// as start-up does, takes the rate just read.
TEST(LoadAllState, EveryStepInItsPlace) {
    TempFolder dir;
    WriteUtf16File(SettingsPath(dir.path()),
                   L"[Main]\r\nMaxActive=5\r\nLimiterOn=1\r\nSpeedLimitKB=64\r\nMaxPerServer=6\r\n"
                   L"BaseDir=D:\\Down\r\nServerLimits=example.com=2\r\n");
    WriteUtf16File(CategoriesPath(dir.path()), L"[Cat0]\r\nName=Clips\r\nTypes=mp4\r\n");
    WriteUtf16File(ListPath(dir.path()), L"[D4]\r\nUrl=http://127.0.0.1/a.mp4\r\nState=0\r\n");
    DownloadManager m;
    LoadAllState(m, dir.path());
    SetLimiterRate(m);

    EXPECT_EQ(CategoryForFileName(m, L"a.mp4"), L"Clips");
    EXPECT_EQ(FolderForCategory(m, L"Clips"), L"D:\\Down\\Clips");
    EXPECT_EQ(LimitForHost(m, L"dl.example.com"), 2);
    EXPECT_EQ(LimitForHost(m, L"other.org"), 6);
    EXPECT_EQ(Limiter().Rate(), 64 * 1024.0);
    ASSERT_EQ(m.queues.size(), 1u);
    EXPECT_EQ(m.queues[0].maxActive, 5);
    ASSERT_EQ(m.downloads.size(), 1u);
    EXPECT_EQ(m.downloads[0]->queueId, 1);
    EXPECT_EQ(m.nextDownloadId, 5);

    Limiter().SetRate(0);
}

}  // namespace
}  // namespace vonu
