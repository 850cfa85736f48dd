// A program for the end-to-end tests: opens one window titled with its first argument and ends when the
// window is closed (so a polite taskkill ends it).
#include <windows.h>

#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const wchar_t* title = argc > 1 ? argv[1] : L"测试窗口";
    WNDCLASSW cls{};
    cls.lpfnWndProc = [](HWND window, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcW(window, msg, wParam, lParam);
    };
    cls.hInstance = instance;
    cls.lpszClassName = L"KorimoTestTitledWindow";
    RegisterClassW(&cls);
    CreateWindowExW(0, cls.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 120, nullptr, nullptr,
                    instance, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
