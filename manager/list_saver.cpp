#include "manager/list_saver.h"

#include <chrono>

#include "model/list_file.h"

namespace vonu {

ListSaver::ListSaver(DownloadManager& m, std::wstring dataFolder, unsigned intervalMs)
    : m_(m), dataFolder_(std::move(dataFolder)), intervalMs_(intervalMs), thread_([this] { Run(); }) {}

ListSaver::~ListSaver() {
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void ListSaver::Run() {
    std::unique_lock guard(lock_);
    while (!wake_.wait_for(guard, std::chrono::milliseconds(intervalMs_), [this] { return stopping_; })) {
        guard.unlock();
        (void)SaveList(m_, dataFolder_, false);  // a failed save marks the list changed: retried next time
        guard.lock();
    }
}

}  // namespace vonu
