// One kernel handle (a file, a process, a mutex), closed when its owner goes.
#pragma once

#include <windows.h>

namespace korimo::ui {

class Handle {
public:
    explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
    ~Handle() {
        if (Valid()) CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE Get() const { return handle_; }
    // Null and INVALID_HANDLE_VALUE (what CreateFile returns on failure) both mean no handle.
    bool Valid() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

} // namespace korimo::ui
