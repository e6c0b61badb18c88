// The single-instance mutex in "/restart" mode: the new instance waits on the mutex itself,
// takes it as soon as the old one releases it or ends without releasing it, and gives up
// after its bound. Each case uses a mutex name of its own, never the program's.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "app/single_instance.h"

namespace vonu {
namespace {

std::wstring UniqueName(const char* what) {
    return L"VonuTest." + std::wstring(what, what + strlen(what)) + L"." +
           std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(GetTickCount64());
}

using Clock = std::chrono::steady_clock;

// An old instance on a thread of its own: takes the mutex, holds it for `holdMs`, then
// releases it (or, with `abandon`, lets its thread end still owning it).
std::thread OldInstance(const std::wstring& name, int holdMs, bool abandon, HANDLE* taken) {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread t([=] {
        HANDLE m = CreateMutexW(nullptr, TRUE, name.c_str());
        *taken = m;
        SetEvent(ready);
        Sleep(holdMs);
        if (!abandon) ReleaseMutex(m);
        // The handle stays open: ending the thread is what abandons an owned mutex.
    });
    WaitForSingleObject(ready, 5000);
    CloseHandle(ready);
    return t;
}

TEST(SingleInstance, RestartWaitsForTheOldInstanceToRelease) {
    const std::wstring name = UniqueName("release");
    HANDLE old = nullptr;
    std::thread t = OldInstance(name, 1500, false, &old);
    const auto began = Clock::now();
    std::optional<KernelHandle> mine = AcquireSingleInstance(name.c_str(), true, 20000);
    const auto waited = Clock::now() - began;
    t.join();
    ASSERT_TRUE(mine.has_value());
    EXPECT_TRUE(*mine);
    EXPECT_GE(waited, std::chrono::milliseconds(1000));
    EXPECT_LT(waited, std::chrono::milliseconds(10000)) << "at once, not at the end of the bound";
    ReleaseMutex(mine->get());
    CloseHandle(old);
}

TEST(SingleInstance, AnAbandonedMutexCountsAsTaken) {
    const std::wstring name = UniqueName("abandon");
    HANDLE old = nullptr;
    std::thread t = OldInstance(name, 500, true, &old);
    std::optional<KernelHandle> mine = AcquireSingleInstance(name.c_str(), true, 20000);
    t.join();
    ASSERT_TRUE(mine.has_value());
    EXPECT_TRUE(*mine);
    // And it is ours now: another waiter with a short bound does not get it.
    std::optional<KernelHandle> third;
    std::thread other([&] { third = AcquireSingleInstance(name.c_str(), true, 300); });
    other.join();
    EXPECT_FALSE(third.has_value());
    ReleaseMutex(mine->get());
    CloseHandle(old);
}

TEST(SingleInstance, RestartGivesUpAtItsBoundAndAPlainStartAtOnce) {
    const std::wstring name = UniqueName("held");
    HANDLE old = nullptr;
    std::thread t = OldInstance(name, 4000, false, &old);
    auto began = Clock::now();
    EXPECT_FALSE(AcquireSingleInstance(name.c_str(), true, 1000).has_value());
    EXPECT_GE(Clock::now() - began, std::chrono::milliseconds(900));
    began = Clock::now();
    EXPECT_FALSE(AcquireSingleInstance(name.c_str(), false, 20000).has_value());
    EXPECT_LT(Clock::now() - began, std::chrono::milliseconds(900))
        << "without /restart nothing is waited for";
    t.join();
    CloseHandle(old);
}

}  // namespace
}  // namespace vonu
