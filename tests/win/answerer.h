// Answers a modal window of this process from a second thread, the way a user would while the program's own
// thread waits inside the dialog: waits for the window to be shown, then acts on it.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace korimo::test {

HWND FindShownWindow(const wchar_t* className, const wchar_t* title);

class Answerer {
public:
    Answerer(const wchar_t* className, const wchar_t* title, std::function<void(HWND)> act, DWORD timeoutMs = 10000)
        : thread_([=, this] {
              const DWORD start = GetTickCount();
              while (GetTickCount() - start < timeoutMs) {
                  if (HWND window = FindShownWindow(className, title)) {
                      Sleep(200); // let it settle as a person would before reading and clicking
                      act(window);
                      acted_ = true;
                      return;
                  }
                  Sleep(50);
              }
          }) {}
    ~Answerer() { thread_.join(); }
    Answerer(const Answerer&) = delete;
    Answerer& operator=(const Answerer&) = delete;

    bool Acted() const { return acted_; }

private:
    std::atomic<bool> acted_{false};
    std::thread thread_;
};

inline HWND FindShownWindow(const wchar_t* className, const wchar_t* title) {
    struct Search {
        const wchar_t* cls;
        const wchar_t* title;
        HWND found;
    } search{className, title, nullptr};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            wchar_t cls[128]{}, text[256]{};
            GetClassNameW(window, cls, 128);
            GetWindowTextW(window, text, 256);
            if (pid == GetCurrentProcessId() && IsWindowVisible(window) && lstrcmpiW(cls, s->cls) == 0 &&
                (!s->title || lstrcmpW(text, s->title) == 0)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Lets this thread's windows work for a while, as the program's message loop would.
inline void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

} // namespace korimo::test

namespace korimo::test {
inline std::wstring ControlTextOf(HWND control) {
    wchar_t text[1024]{};
    GetWindowTextW(control, text, 1024);
    return text;
}
} // namespace korimo::test

namespace korimo::test {
// Presses OK on a message box.
inline void Confirm(HWND box) { PostMessageW(box, WM_COMMAND, IDOK, 0); }

// An answer for a message box: keeps what it says, then presses OK.
inline std::function<void(HWND)> ReadAndConfirm(std::wstring& said) {
    return [&said](HWND box) {
        said = ControlTextOf(GetDlgItem(box, 0xFFFF)); // the text of a message box
        Confirm(box);
    };
}
} // namespace korimo::test
