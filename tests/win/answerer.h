// Answers a modal window of this process from a second thread, the way a user would while the program's own
// thread waits inside the dialog: waits for the window to be shown, then acts on it.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "../support/desktop.h"
#include "../support/tray_probe.h"

namespace korimo::test {

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

// Lets this thread's windows work for a while, as the program's message loop would.
inline void PumpFor(DWORD ms) { WaitFor([] { return false; }, ms, 10); }

// Presses OK on a message box.
inline void Confirm(HWND box) { PostMessageW(box, WM_COMMAND, IDOK, 0); }

// An answer for a message box: keeps what it says, then presses OK.
inline std::function<void(HWND)> ReadAndConfirm(std::wstring& said) {
    return [&said](HWND box) {
        said = ControlText(GetDlgItem(box, 0xFFFF)); // the text of a message box
        Confirm(box);
    };
}

} // namespace korimo::test
