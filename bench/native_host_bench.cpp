// The native messaging host's round trip under Wine, as a browser sees it: from starting
// Vonu.exe with an extension origin and pipes (tests/browser/host_process.h) to reading its
// one reply frame. Pings (with the main window running, as usual), and hand-overs of a new
// address each to the real running Vonu.exe (started with "/tray"; the New Download dialog
// each one opens is cancelled between the measured runs). Goal: a ping's median at most
// 50 ms. Prints median and 95th percentile of both, and of the host started and ended with
// no request (the floor: process, DLLs, exit). Needs a display (scripts/bench.sh).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "tests/browser/host_process.h"
#include "tests/support/process.h"
#include "tests/support/remote_dialogs.h"
#include "tests/support/sample_list.h"
#include "ui/resource.h"

using namespace vonu;
using namespace vonu::bench;
using namespace vonu::test;

namespace {

constexpr int kWarmUp = 3;
constexpr int kRuns = 40;
constexpr double kPingGoalMs = 50;

// One round trip in milliseconds, or a negative number when the reply was not `expected`.
double RoundTrip(const std::string& request, const std::string& expected) {
    const double start = NowMs();
    HostProcess host;
    host.Write(NativeFrame(request));
    host.CloseInput();
    const std::optional<std::string> reply = host.ReadReply(20000);
    const double took = NowMs() - start;
    host.WaitEnd(10000);
    if (reply != expected) {
        std::fprintf(stderr, "unexpected reply: %s\n", reply ? reply->c_str() : "(none)");
        return -1;
    }
    return took;
}

void Report(const char* what, const std::vector<double>& ms) {
    std::printf("%-34s median %6.1f ms   95th percentile %6.1f ms   (%zu runs)\n", what, Percentile(ms, 0.5),
                Percentile(ms, 0.95), ms.size());
}

}  // namespace

int wmain() {
    if (!MainWindows().empty()) {
        std::fprintf(stderr, "another Vonu runs in this prefix\n");
        return 1;
    }
    SeedVonuData(L"", L"Language=en\r\nShowProgress=0\r\nShowComplete=0\r\n");
    Process vonu = StartVonu(L"/tray");
    HWND window = vonu.started() ? WaitForMainWindow(vonu.id(), 30000) : nullptr;
    if (!window) {
        std::fprintf(stderr, "Vonu.exe did not start\n");
        return 1;
    }
    Sleep(1000);  // its start-up settles

    // The floor: the host started and ended with no request (the process, its DLLs, exit).
    std::vector<double> bare;
    for (int i = 0; i < kWarmUp + kRuns; ++i) {
        const double start = NowMs();
        HostProcess host;
        host.CloseInput();
        host.WaitEnd(10000);
        if (i >= kWarmUp) bare.push_back(NowMs() - start);
    }

    bool ok = true;
    std::vector<double> pings;
    const std::string pingReply = "{\"ok\":true,\"running\":true,\"lang\":\"en\"}";
    for (int i = 0; i < kWarmUp + kRuns && ok; ++i) {
        const double ms = RoundTrip("{\"ping\":true}", pingReply);
        ok = ms >= 0;
        if (i >= kWarmUp) pings.push_back(ms);
    }

    std::vector<double> handOvers;
    for (int i = 0; i < kWarmUp + kRuns && ok; ++i) {
        const std::string request = "{\"url\":\"http://127.0.0.1:9/bench/" + std::to_string(i) +
                                    ".zip\",\"referrer\":\"http://127.0.0.1/\",\"filename\":\"\",\"cookie\":"
                                    "\"a=1\",\"ua\":\"Bench/1\"}";
        const double ms = RoundTrip(request, "{\"ok\":true}");
        ok = ms >= 0;
        if (i >= kWarmUp) handOvers.push_back(ms);
        // Not measured: the dialog the hand-over opened is cancelled, so the next one opens too.
        if (HWND dialog = WaitForProcessDialog(vonu.id(), L"New Download", 10000)) {
            ClickItem(dialog, IDCANCEL);
            WaitDialogGone(dialog);
        }
    }
    ExitVonu(vonu, window);
    ClearVonuData();
    if (!ok) return 1;

    Report("host start and end, no request", bare);
    Report("ping, main window running", pings);
    Report("hand-over to the running Vonu", handOvers);
    const bool met = Percentile(pings, 0.5) <= kPingGoalMs;
    std::printf("goal: ping median <= %.0f ms: %s\n", kPingGoalMs, met ? "met" : "MISSED");
    return met ? 0 : 1;
}
