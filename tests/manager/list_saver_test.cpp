// The timed save of list.ini off the window's thread: it writes a changed list by itself,
// and saves from several threads at once never break the file or fail each other.
#include "manager/list_saver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "model/data_folder.h"
#include "model/list_file.h"
#include "tests/support/temp_folder.h"

namespace vonu {
namespace {

void AddItem(DownloadManager& m, int32_t id) {
    auto d = std::make_shared<DownloadItem>();
    d->id = id;
    d->url = L"https://example.test/file" + std::to_wstring(id) + L".bin";
    d->fileName = L"file" + std::to_wstring(id) + L".bin";
    d->path = L"C:\\Downloads\\" + d->fileName;
    d->state = DownloadState::Stopped;
    std::lock_guard guard(m.lock);
    m.downloads.push_back(d);
    m.listDirty = true;
}

// The downloads list.ini holds; 0 while it cannot be read. (Only the program's start reads
// the list, never while a save may be replacing the file; a test that polls may meet one.)
size_t LoadedCount(const std::wstring& folder) {
    DownloadManager loaded;
    return LoadList(loaded, folder).ok ? loaded.downloads.size() : 0;
}

// Polls for up to 30 s (a bound, not a speed goal).
template <class F>
bool Eventually(F condition) {
    for (int i = 0; i < 3000; ++i) {
        if (condition()) return true;
        Sleep(10);
    }
    return condition();
}

TEST(ListSaver, WritesAChangedListByItselfAndStopsWhenDestroyed) {
    test::TempFolder dir;
    DownloadManager m;
    m.queues.push_back({1, L"Default queue", 3});
    {
        ListSaver saver(m, dir.path(), 20);
        AddItem(m, 1);
        EXPECT_TRUE(Eventually([&] { return test::FileExists(ListPath(dir.path())) && LoadedCount(dir.path()) == 1; }));
        AddItem(m, 2);
        EXPECT_TRUE(Eventually([&] {
            std::lock_guard guard(m.lock);
            return !m.listDirty;
        }));
    }
    EXPECT_EQ(LoadedCount(dir.path()), 2u);
    // Gone with its thread: a later change stays unsaved until someone saves.
    AddItem(m, 3);
    Sleep(200);
    EXPECT_EQ(LoadedCount(dir.path()), 2u);
    std::lock_guard guard(m.lock);
    EXPECT_TRUE(m.listDirty);
}

TEST(ListSaver, SavesFromSeveralThreadsAtOnceAllSucceedAndLeaveAWholeFile) {
    test::TempFolder dir;
    DownloadManager m;
    m.queues.push_back({1, L"Default queue", 3});
    for (int32_t id = 1; id <= 200; ++id) AddItem(m, id);
    std::atomic<int> failures{0};
    {
        ListSaver saver(m, dir.path(), 1);  // saving all the time, beside the forced saves
        std::vector<std::thread> savers;
        for (int t = 0; t < 3; ++t)
            savers.emplace_back([&] {
                for (int i = 0; i < 40; ++i)
                    if (!SaveList(m, dir.path(), true).ok) ++failures;
            });
        for (std::thread& t : savers) t.join();
    }
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(LoadedCount(dir.path()), 200u);
}

}  // namespace
}  // namespace vonu
