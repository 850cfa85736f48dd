// Entry point of korimo.exe.
#include <windows.h>

#include <commctrl.h>

#include "app/app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    korimo::app::App app;
    return app.Main();
}
