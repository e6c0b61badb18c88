#include "ui/status_bar.h"

#include <gtest/gtest.h>

#include "ui/tray_icon.h"

namespace vonu {
namespace {

DownloadSnapshot Download(DownloadState state, double speed) {
    DownloadSnapshot d;
    d.state = state;
    d.speed = speed;
    return d;
}

DownloadQueue Queue(int32_t id, const wchar_t* name, bool running) {
    DownloadQueue q;
    q.id = id;
    q.name = name;
    q.running = running;
    return q;
}

TEST(StatusTexts, CountsSpeedAndLimit) {
    const std::vector<DownloadSnapshot> list = {Download(DownloadState::Downloading, 1024),
                                                Download(DownloadState::Downloading, 2048),
                                                Download(DownloadState::Stopped, 99999)};
    StatusTexts t = MakeStatusTexts(list, {}, true, 100);
    EXPECT_EQ(t[0], L"  2 downloading, 3 in list");
    EXPECT_EQ(t[1], L"  Total speed 3.00 KB/sec  (limited to 100.00 KB/sec)");
    EXPECT_EQ(MakeStatusTexts(list, {}, true, 0)[1], L"  Total speed 3.00 KB/sec") << "no limit set";
    EXPECT_EQ(MakeStatusTexts(list, {}, false, 100)[1], L"  Total speed 3.00 KB/sec") << "limiter off";
    EXPECT_EQ(MakeStatusTexts({}, {}, false, 0)[1], L"  Total speed 0.00 KB/sec");
}

TEST(StatusTexts, RunningQueues) {
    std::vector<DownloadQueue> queues = {Queue(1, L"Default queue", false), Queue(2, L"Night", false),
                                         Queue(3, L"Day", false)};
    EXPECT_EQ(MakeStatusTexts({}, queues, false, 0)[2], L"  No queue is running");
    queues[1].running = true;
    EXPECT_EQ(MakeStatusTexts({}, queues, false, 0)[2], L"  Running: Night");
    queues[0].running = queues[2].running = true;
    EXPECT_EQ(MakeStatusTexts({}, queues, false, 0)[2], L"  3 queues are running");
}

TEST(StatusTexts, TrayTip) {
    EXPECT_EQ(TrayTipText({Download(DownloadState::Stopped, 5)}), L"Vonu Download Manager");
    EXPECT_EQ(
        TrayTipText({Download(DownloadState::Downloading, 512), Download(DownloadState::Downloading, 512)}),
        L"Vonu: 2 downloading, 1.00 KB/sec");
    EXPECT_EQ(TrayTipText({Download(DownloadState::Downloading, 3 * 1048576.0)}),
              L"Vonu: 1 downloading, 3.00 MB/sec");
}

}  // namespace
}  // namespace vonu
