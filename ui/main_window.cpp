#include "ui/main_window.h"

#include "app/resource.h"
#include "app/single_instance.h"
#include "manager/control.h"
#include "manager/tick.h"
#include "model/list_file.h"
#include "model/data_folder.h"
#include "model/download_manager.h"

namespace vonu {
namespace {

constexpr wchar_t kClassName[] = L"VonuMainFrame";
constexpr UINT_PTR kTickTimer = 1;

// Timer 1, every 250 ms: the manager tick, and every 8th time the list when it changed.
void OnTickTimer() {
    static unsigned ticks = 0;
    Tick(Manager());
    if (++ticks % 8 == 0) (void)SaveList(Manager(), DataFolder(), false);
}

// Every queue stops, every download is cancelled and its threads joined, and the list is
// saved: on exit and when Windows ends the session. Runs once; the process ends after it.
void StopEverythingOnce() {
    static bool done = false;
    if (done) return;
    done = true;
    (void)StopEverything(Manager(), DataFolder());
}

void OnDestroy(HWND window) {
    KillTimer(window, kTickTimer);
    RemovePropW(window, kMainWindowProperty);
    StopEverythingOnce();
    PostQuitMessage(0);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == ID_APP_EXIT) {
                PostMessageW(window, WM_CLOSE, 0, 0);
                return 0;
            }
            break;
        case WM_TIMER:
            if (wParam == kTickTimer) {
                OnTickTimer();
                return 0;
            }
            break;
        case WM_ENDSESSION:
            // Windows may end the process as soon as this returns.
            if (wParam) StopEverythingOnce();
            return 0;
        case WM_DESTROY:
            OnDestroy(window);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HWND CreateMainWindow(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINFRAME);
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;

    wchar_t title[256] = {};
    LoadStringW(instance, IDR_MAINFRAME, title, 256);
    HWND window = CreateWindowExW(0, kClassName, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  900, 600, nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    SetPropW(window, kMainWindowProperty, reinterpret_cast<HANDLE>(1));
    SetTimer(window, kTickTimer, kTickPeriodMs, nullptr);
    return window;
}

}  // namespace vonu
