// Entry point of korimo.exe.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "app/app.h"

namespace {
// This thread's COM apartment, for as long as the program runs: screen readers reach the windows' accessible
// objects through COM, on this thread. It ends only if it began (a failure leaves nothing to end).
class ComApartment {
public:
    ComApartment() : began_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (began_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool began_;
};
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const ComApartment com; // outlives the program's windows
    korimo::app::App app;
    return app.Main();
}
