// What the Scheduler's boxes store, and how its working copy goes back to the model: only
// what the user changed since the copy was taken, so a schedule the tick fired and cleared
// meanwhile stays cleared; the running flag is never written; a changed schedule may fire
// again today.
#include "ui/scheduler_rules.h"

#include <gtest/gtest.h>

#include "ui/tray_icon.h"

namespace vonu {
namespace {

TEST(SchedulerRules, FilesAtTheSameTimeAreLimitedAndNonNumbersKeepTheOldValue) {
    const struct {
        const wchar_t* text;
        int32_t expected;
    } cases[] = {
        {L"", 4},   {L"   ", 4},  {L"0", 1},     {L"1", 1},    {L"10", 10},          {L"25", 10},
        {L" 7 ", 7}, {L"abc", 4}, {L"3x", 4},    {L"-2", 4},   {L"99999999999999999999", 4},
        {L"007", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "\"" << c.text << "\"");
        EXPECT_EQ(MaxActiveFromText(c.text, 4), c.expected);
    }
}

TEST(SchedulerRules, DaysAndEndActions) {
    EXPECT_EQ(DaysFromChoice(false, 0b0010110u), 0u) << "Once ignores the ticked days";
    EXPECT_EQ(DaysFromChoice(true, 0), kEveryDay) << "daily without a day is every day";
    EXPECT_EQ(DaysFromChoice(true, 0b1000001u), 0b1000001u);
    EXPECT_EQ(DaysFromChoice(true, 0xFF00u), kEveryDay) << "only the seven day bits count";
    const int32_t stored[] = {-5, 0, 1, 2, 3, 40};
    const int shown[] = {0, 0, 1, 2, 2, 2};
    for (size_t i = 0; i < std::size(stored); ++i) EXPECT_EQ(EndActionIndex(stored[i]), shown[i]) << stored[i];
}

class WriteBack : public testing::Test {
protected:
    WriteBack() {
        DownloadQueue q1;
        q1.id = 1;
        q1.name = L"Default queue";
        DownloadQueue q2;
        q2.id = 2;
        q2.name = L"Night";
        q2.startOn = true;
        q2.startMinute = 600;
        q2.days = 0;  // once
        q2.maxActive = 3;
        m.queues = {q1, q2};
        base = m.queues;  // what the dialog copied at opening (CopyQueues resets the stamps)
        for (DownloadQueue& q : base) q.lastStartStamp = q.lastStopStamp = -1;
        edited = base;
    }
    // The tick fires queue 2's one-time start while the dialog is open.
    void TickFiresQueue2() {
        DownloadQueue& q = m.queues[1];
        q.startOn = false;
        q.running = true;
        q.lastStartStamp = DateStamp(2026, 12, 10);
    }
    DownloadManager m;
    std::vector<DownloadQueue> base, edited;
};

TEST_F(WriteBack, UntouchedQueuesLeaveAFiredOneTimeStartCleared) {
    TickFiresQueue2();
    EXPECT_FALSE(WriteBackQueueEdits(m, base, edited));
    EXPECT_FALSE(m.queues[1].startOn) << "the one-time start fired and must not come back";
    EXPECT_EQ(m.queues[1].lastStartStamp, DateStamp(2026, 12, 10)) << "so it cannot fire again today";
    EXPECT_TRUE(m.queues[1].running);
    EXPECT_FALSE(m.listDirty);
}

TEST_F(WriteBack, ARenameAloneKeepsTheTicksScheduleState) {
    TickFiresQueue2();
    edited[1].name = L"Evening";
    edited[1].after = 2;
    EXPECT_TRUE(WriteBackQueueEdits(m, base, edited));
    EXPECT_EQ(m.queues[1].name, L"Evening");
    EXPECT_EQ(m.queues[1].after, 2);
    EXPECT_FALSE(m.queues[1].startOn);
    EXPECT_EQ(m.queues[1].lastStartStamp, DateStamp(2026, 12, 10));
    EXPECT_TRUE(m.listDirty);
}

TEST_F(WriteBack, AnEditedScheduleIsWrittenAndMayFireAgainToday) {
    m.queues[1].lastStartStamp = m.queues[1].lastStopStamp = DateStamp(2026, 12, 10);
    edited[1].startMinute = 615;
    edited[1].days = kEveryDay;
    edited[1].stopOn = true;
    edited[1].stopMinute = 900;
    edited[1].running = false;  // the copy's running flag is never written
    m.queues[1].running = true;
    EXPECT_TRUE(WriteBackQueueEdits(m, base, edited));
    const DownloadQueue& q = m.queues[1];
    EXPECT_TRUE(q.startOn);
    EXPECT_EQ(q.startMinute, 615);
    EXPECT_EQ(q.days, kEveryDay);
    EXPECT_TRUE(q.stopOn);
    EXPECT_EQ(q.stopMinute, 900);
    EXPECT_EQ(q.lastStartStamp, -1);
    EXPECT_EQ(q.lastStopStamp, -1);
    EXPECT_TRUE(q.running);
}

TEST_F(WriteBack, MaxActiveIsLimitedAgainAndVanishedQueuesAreSkipped) {
    edited[1].maxActive = 40;
    DownloadQueue gone;
    gone.id = 7;
    gone.name = L"Removed meanwhile";
    edited.push_back(gone);
    base.push_back(gone);
    EXPECT_TRUE(WriteBackQueueEdits(m, base, edited));
    EXPECT_EQ(m.queues[1].maxActive, kMostActive);
    EXPECT_EQ(m.queues.size(), 2u) << "a queue the model no longer has is not brought back";
}

TEST(TrayMenuGate, OneClickOneMenu) {
    TrayMenuGate gate;
    EXPECT_TRUE(gate.MayOpen(10'000)) << "the first click";
    gate.open = true;
    EXPECT_FALSE(gate.MayOpen(10'010)) << "the twin while the menu shows";
    gate = {false, 20'000};
    EXPECT_FALSE(gate.MayOpen(20'000 + kTrayMenuTwinMs - 1)) << "the twin sent after the menu closed";
    EXPECT_TRUE(gate.MayOpen(20'000 + kTrayMenuTwinMs)) << "the next click";
}

}  // namespace
}  // namespace vonu
