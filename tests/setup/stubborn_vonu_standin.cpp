// Stand-in for a running Vonu as the setup program finds it: a top-level window with the
// property "VonuMainWindow". With "obey" it ends on the Exit command (57665) as Vonu does;
// with "ignore" it keeps running, as a program that hangs would. It ends by itself after
// 60 seconds in any case, so a failed test leaves nothing behind.
#include <windows.h>

#include <cwchar>

namespace {

bool g_obey = true;

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == 57665) {
        if (g_obey) DestroyWindow(window);
        return 0;
    }
    if (message == WM_TIMER) DestroyWindow(window);
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR line, int) {
    g_obey = std::wcsstr(line, L"ignore") == nullptr;
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"StubbornVonuStandIn";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(wc.lpszClassName, L"Vonu stand-in", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, instance, nullptr);
    SetPropW(window, L"VonuMainWindow", reinterpret_cast<HANDLE>(1));
    SetTimer(window, 1, 60000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
