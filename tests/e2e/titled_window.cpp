// A program for the end-to-end tests: opens one window titled with its first argument (or, with a count as the
// second, that many titled "<title> 1" … "<title> n", one every 10 ms) and ends when a window is closed (so a
// polite taskkill ends it).
#include <windows.h>

#include <shellapi.h>

#include <string>

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
    const int count = argc > 2 ? _wtoi(argv[2]) : 0;
    for (int i = 1; i <= (count > 0 ? count : 1); ++i) {
        const std::wstring text = count > 0 ? std::wstring(title) + L" " + std::to_wstring(i) : std::wstring(title);
        CreateWindowExW(0, cls.lpszClassName, text.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 120,
                        nullptr, nullptr, instance, nullptr);
        if (count > 0) Sleep(10); // a stream of windows over about three seconds, seen by several checks
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
