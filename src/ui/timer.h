// A timer of one window, started and stopped only by its owner, through this object: its ticks are WM_TIMER with
// its id on that window, which the window's Timers() table routes. It stops when its owner goes.
#pragma once

#include <windows.h>

#include "ui/window.h"

namespace korimo::ui {

class Timer {
public:
    Timer(const Window& window, UINT_PTR id) : window_(window), id_(id) {}
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer() { Stop(); }

    // (Re)starts it: the next tick `ms` from now, then every `ms`. False when the system refuses (no window yet).
    bool Start(UINT ms) {
        running_ = window_.Hwnd() && SetTimer(window_.Hwnd(), id_, ms, nullptr) != 0;
        return running_;
    }
    void Stop() {
        if (running_ && window_.Hwnd()) KillTimer(window_.Hwnd(), id_);
        running_ = false;
    }
    bool Running() const { return running_; }

private:
    const Window& window_;
    UINT_PTR id_;
    bool running_ = false;
};

} // namespace korimo::ui
