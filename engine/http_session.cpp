#include "engine/http_session.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "model/download_manager.h"

namespace vonu {

namespace {

std::atomic<HINTERNET> g_session{nullptr};
std::mutex g_mutex;                // guards the two below
std::vector<HINTERNET> g_retired;  // replaced sessions, closed at exit
std::wstring g_pacUrl;

HINTERNET Open(DWORD access, const wchar_t* proxy, const wchar_t* bypass) {
    return WinHttpOpen(kUserAgent, access, proxy, bypass, 0);
}

}  // namespace

void OpenHttpSession() {
    DownloadManager& m = Manager();
    uint32_t mode = m.ProxyMode;
    std::wstring proxy = m.Proxy;
    std::wstring pac = m.PacUrl;
    if (mode == 2 && proxy.empty()) mode = 0;
    if (mode == 3 && pac.empty()) mode = 0;
    if (mode > 3) mode = 0;

    HINTERNET session = nullptr;
    if (mode == 1 || mode == 3)
        session = Open(WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS);
    else if (mode == 2)
        session = Open(WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.c_str(), L"<local>");
    if (!session)
        session = Open(WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS);
    if (!session)
        session = Open(WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS);
    if (!session) return;
    WinHttpSetTimeouts(session, 10000, 15000, 20000, 30000);

    std::lock_guard guard(g_mutex);
    g_pacUrl = mode == 3 ? pac : std::wstring();
    if (HINTERNET old = g_session.exchange(session)) g_retired.push_back(old);
}

HINTERNET HttpSession() { return g_session.load(); }

std::wstring SessionPacUrl() {
    std::lock_guard guard(g_mutex);
    return g_pacUrl;
}

void CloseHttpSession() {
    std::lock_guard guard(g_mutex);
    if (HINTERNET s = g_session.exchange(nullptr)) WinHttpCloseHandle(s);
    for (HINTERNET s : g_retired) WinHttpCloseHandle(s);
    g_retired.clear();
    g_pacUrl.clear();
}

}  // namespace vonu
