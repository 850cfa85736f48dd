// Tells a running korimo.exe that the scaling of its main window's monitor changed, as Windows does when the user
// changes the scale in Settings (Wine never does): WM_DPICHANGED with the new DPI and the suggested rectangle,
// which lies in Korimo's own memory as the system's would. Usage: dpi_switch <new dpi>. Exits 0 once the main
// window has taken the new size.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    const int dpi = argc > 1 ? _wtoi(argv[1]) : 0;
    HWND main = FindWindowW(L"Korimo.frmmain", L"Korimo");
    if (dpi <= 0 || !main) return 2;
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return 3;
    RECT now{};
    GetWindowRect(main, &now);
    const int from = static_cast<int>(GetDpiForWindow(main));
    RECT suggested{now.left, now.top, now.left + MulDiv(now.right - now.left, dpi, from),
                   now.top + MulDiv(now.bottom - now.top, dpi, from)};
    void* remote = VirtualAllocEx(process, nullptr, sizeof(suggested), MEM_COMMIT, PAGE_READWRITE);
    int status = 4;
    if (remote && WriteProcessMemory(process, remote, &suggested, sizeof(suggested), nullptr)) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote),
                            SMTO_ABORTIFHUNG, 10000, &result);
        RECT after{};
        GetWindowRect(main, &after);
        status = after.right - after.left == suggested.right - suggested.left ? 0 : 5;
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return status;
}
