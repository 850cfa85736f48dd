// Entry point of korimo.exe.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "app/app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // Screen readers reach the accessible objects of the windows through COM, on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int result = 0;
    {
        korimo::app::App app;
        result = app.Main();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}
