// How much a repaint of a drawn face costs. Faces are drawn once per size into a bitmap and then copied, so a
// repaint should cost about what a bare copy of a bitmap of the same size costs, at 100 % and at 150 %.
// Prints ratios measured in this one run.
#include <windows.h>

#include <chrono>
#include <cstdio>

#include "app/frm_maker.h"
#include "ui/gdi.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Seconds per repaint of the whole window through WM_PAINT.
double RepaintCost(HWND window, int rounds) {
    const auto start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        GdiFlush();
    }
    return Seconds(Clock::now() - start) / rounds;
}

// Seconds per bare copy of a bitmap of the window's size onto the window.
double BareCopyCost(HWND window, int rounds) {
    RECT client{};
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const auto start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        GdiFlush();
    }
    const double cost = Seconds(Clock::now() - start) / rounds;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, dc);
    return cost;
}

void Measure(int dpi) {
    korimo::app::frm_maker face;
    if (!face.Show(dpi)) {
        std::printf("could not open a window at %d dpi\n", dpi);
        return;
    }
    Pump();
    const int rounds = 200;
    // A resize throws the drawn face away: this repaint draws it anew.
    const auto start = Clock::now();
    SetWindowPos(face.Hwnd(), nullptr, 0, 0, face.ScreenRect().width, face.ScreenRect().height + 1,
                 SWP_NOMOVE | SWP_NOZORDER);
    RedrawWindow(face.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    GdiFlush();
    const double drawCost = Seconds(Clock::now() - start);
    const double repaint = RepaintCost(face.Hwnd(), rounds);
    const double bare = BareCopyCost(face.Hwnd(), rounds);
    std::printf("face repaint at %3d dpi: %.3f ms; repaint / bare copy of the same size: %.2f (target <= 1.5); "
                "first draw / repaint: %.1f\n",
                dpi, repaint * 1e3, repaint / bare, drawCost / repaint);
}

} // namespace

int wmain() {
    SetProcessDPIAware();
    Measure(96);
    Measure(144);
    return 0;
}
