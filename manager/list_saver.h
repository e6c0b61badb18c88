// The timed save of list.ini, on a thread of its own: every two seconds the list is written
// when it changed, so the window's thread never waits for the disk (building the text of a
// long list and flushing the file can take longer than a frame).
//
// Threads: created and destroyed on the user-interface thread; its thread only calls
// SaveList, which takes the locks it needs. Destruction wakes the thread and joins it (at
// most a save that is under way); the final save at exit is the caller's own. The
// constructor throws std::system_error when the system refuses the thread.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "model/download_manager.h"

namespace vonu {

class ListSaver {
public:
    ListSaver(DownloadManager& m, std::wstring dataFolder, unsigned intervalMs = 2000);
    ~ListSaver();
    ListSaver(const ListSaver&) = delete;
    ListSaver& operator=(const ListSaver&) = delete;

private:
    void Run();

    DownloadManager& m_;
    const std::wstring dataFolder_;
    const unsigned intervalMs_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool stopping_ = false;  // lock_
    std::thread thread_;
};

}  // namespace vonu
