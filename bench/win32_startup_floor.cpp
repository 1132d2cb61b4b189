// The floor for start-up on Windows: the least a Win32 program does to show a window of the same
// client size with one text in it.
#include "win32_first_paint.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = L"Floor";
    RegisterClassExW(&windowClass);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT frame{0, 0, 397, 575};
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowExW(0, L"Floor", L"Floor", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, instance, nullptr);
    CreateWindowExW(0, L"STATIC", L"Stakora", WS_CHILD | WS_VISIBLE, 8, 8, 200, 20, window, nullptr,
                    instance, nullptr);
    ShowWindow(window, SW_SHOW);
    quitAfterFirstPaint();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    return 0;
}
