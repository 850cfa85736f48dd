// A program for the tests of the process monitor: opens one window titled with its first argument (or, with a
// count as the second, that many titled "<title> 1" … "<title> n", one every 10 ms) and ends when a window is
// closed (so a polite taskkill ends it). A third argument changes what it does:
//   ignore-close  a close request is ignored (as by a program asking whether to save); the window then carries
//                 the property "Korimo.CloseIgnored", so a test sees that the request came
//   churn         no lasting windows: titled windows are made and destroyed as fast as it can until it is ended
//   frame         a Store app frame host's shape (run as ApplicationFrameHost.exe from the system folder): the
//                 windows are frames that live on when one closes; a frame's close request closes the Store app
//                 window inside it and the frame
//   app           a Store app's shape: no window of its own, but a child of the Store apps' class inside the
//                 frame titled with the first argument; it ends when that child is closed
//   swap          no window: the first argument names a batch file, which it rewrites the moment it can open it
//                 for writing, to run "echo swapped> swapped.txt" instead, until it is ended
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {
bool g_ignoreClose = false;
bool g_frames = false;
constexpr wchar_t kStoreAppClass[] = L"Windows.UI.Core.CoreWindow";

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE && g_ignoreClose) {
        SetPropW(window, L"Korimo.CloseIgnored", reinterpret_cast<HANDLE>(1));
        return 0;
    }
    if (msg == WM_CLOSE && g_frames)
        if (HWND app = GetWindow(window, GW_CHILD)) PostMessageW(app, WM_CLOSE, 0, 0);
    if (msg == WM_DESTROY && !g_frames) PostQuitMessage(0); // harmless in churn, which never waits for a message
    return DefWindowProcW(window, msg, wParam, lParam);
}

// The Store app's window inside the frame titled `frameTitle`, once that frame is there.
HWND JoinFrame(const wchar_t* frameTitle, HINSTANCE instance) {
    for (int waited = 0; waited < 10000; waited += 50, Sleep(50))
        if (HWND frame = FindWindowW(nullptr, frameTitle))
            return CreateWindowExW(0, kStoreAppClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 80, frame, nullptr,
                                   instance, nullptr);
    return nullptr;
}

// Rewrites the batch whenever it can open it for writing and it is not yet the swapped one.
[[noreturn]] void Swap(const wchar_t* batch) {
    const std::string swapped = "echo swapped> swapped.txt\r\n";
    for (;; Sleep(1)) {
        HANDLE file = CreateFileW(batch, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE && GetFileSize(file, nullptr) != swapped.size())
            WriteFile(file, swapped.data(), static_cast<DWORD>(swapped.size()), &written, nullptr), SetEndOfFile(file);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
}

// A few hidden titled windows alive at any moment, the oldest destroyed as each new one comes: every walk of
// the desktop meets windows that go while it walks.
[[noreturn]] void Churn(const wchar_t* cls, const std::wstring& title, HINSTANCE instance) {
    HWND ring[8]{};
    for (unsigned n = 0;; ++n) {
        HWND& slot = ring[n % 8];
        if (slot) DestroyWindow(slot);
        slot = CreateWindowExW(0, cls, (title + L" " + std::to_wstring(n)).c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100,
                               50, nullptr, nullptr, instance, nullptr);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const wchar_t* title = argc > 1 ? argv[1] : L"测试窗口";
    const std::wstring mode = argc > 3 ? argv[3] : L"";
    g_ignoreClose = mode == L"ignore-close";
    WNDCLASSW cls{};
    cls.lpfnWndProc = WindowProc;
    cls.hInstance = instance;
    cls.lpszClassName = kStoreAppClass;
    RegisterClassW(&cls);
    cls.lpszClassName = L"KorimoTestTitledWindow";
    RegisterClassW(&cls);
    if (mode == L"churn") Churn(cls.lpszClassName, title, instance);
    if (mode == L"swap") Swap(title);
    g_frames = mode == L"frame";
    if (mode == L"app" && !JoinFrame(title, instance)) return 1;
    const int count = argc > 2 ? _wtoi(argv[2]) : 0;
    for (int i = 1; mode != L"app" && i <= (count > 0 ? count : 1); ++i) {
        const std::wstring text = count > 0 ? std::wstring(title) + L" " + std::to_wstring(i) : std::wstring(title);
        CreateWindowExW(0, cls.lpszClassName, text.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 120,
                        nullptr, nullptr, instance, nullptr);
        if (count > 0) Sleep(10); // a stream of windows over about three seconds, seen by several checks
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

#ifdef KORIMO_CONSOLE
int wmain() { return wWinMain(GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOWNORMAL); }
#endif
