// The floor for start-up: a bare Win32 window of the notepad's size, black,
// borderless, centred, shown at once.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

LRESULT CALLBACK BareProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = BareProc;
    window_class.hInstance = instance;
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    window_class.lpszClassName = L"BareWindow";
    RegisterClassExW(&window_class);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - 434) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - 419) / 2;
    HWND hwnd = CreateWindowExW(WS_EX_APPWINDOW, L"BareWindow", L"bare", WS_POPUP, x, y, 434, 419, nullptr, nullptr,
                                instance, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
