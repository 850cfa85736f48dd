// Resources of the system that have one owner and are released when the owner goes: kernel handles (a file, a
// process, a mutex), GDI objects, icons, registry keys, shell item lists.
#pragma once

#include <windows.h>

#include <utility>

namespace korimo::ui {

// The handle's type and the function that releases it; a default-made handle (null) means none.
template <class T, auto Release> class Owned {
public:
    Owned() = default;
    explicit Owned(T value) : value_(value) {}
    Owned(Owned&& other) noexcept : value_(std::exchange(other.value_, T{})) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.value_, T{}));
        return *this;
    }
    ~Owned() { Reset(); }

    void Reset(T value = T{}) {
        if (value_) Release(value_);
        value_ = value;
    }
    T Get() const { return value_; }
    // For the functions that hand a new one back through a pointer: what was held goes first.
    T* Receive() {
        Reset();
        return &value_;
    }
    explicit operator bool() const { return value_ != T{}; }

private:
    T value_{};
};

// A kernel handle. INVALID_HANDLE_VALUE (what CreateFile returns on failure) is kept as none.
class Handle : public Owned<HANDLE, &CloseHandle> {
public:
    explicit Handle(HANDLE handle = nullptr) : Owned(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    bool Valid() const { return static_cast<bool>(*this); }
};

using Icon = Owned<HICON, &DestroyIcon>;
using RegistryKey = Owned<HKEY, &RegCloseKey>;

} // namespace korimo::ui
