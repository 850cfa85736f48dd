// How much a repaint of a drawn face costs. Faces are drawn once per size into a bitmap and then copied, so a
// repaint should cost about what the repaint of a window that only copies a bitmap of the same size costs, at
// 100 % and at 150 %. Prints ratios measured in this one run.
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

// A window whose paint is nothing but the copy of a bitmap of its size: what any repaint costs at the least.
struct BareWindow {
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_ERASEBKGND) return 1;
        if (msg != WM_PAINT) return DefWindowProcW(window, msg, wParam, lParam);
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        HDC memory = CreateCompatibleDC(dc);
        auto* bitmap = reinterpret_cast<HBITMAP>(GetWindowLongPtrW(window, GWLP_USERDATA));
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(dc, 0, 0, ps.rcPaint.right, ps.rcPaint.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        EndPaint(window, &ps);
        return 0;
    }
    BareWindow(int width, int height) {
        WNDCLASSW cls{};
        cls.lpfnWndProc = &Proc;
        cls.lpszClassName = L"KorimoBenchBareWindow";
        RegisterClassW(&cls);
        window = CreateWindowExW(WS_EX_TOOLWINDOW, cls.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, width,
                                 height, nullptr, nullptr, nullptr, nullptr);
        HDC dc = GetDC(window);
        bitmap = CreateCompatibleBitmap(dc, width, height);
        ReleaseDC(window, dc);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bitmap));
    }
    ~BareWindow() {
        DestroyWindow(window);
        DeleteObject(bitmap);
    }
    HWND window;
    HBITMAP bitmap;
};

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
    BareWindow plain(face.ScreenRect().width, face.ScreenRect().height);
    Pump();
    const double bare = RepaintCost(plain.window, rounds);
    std::printf("face repaint at %3d dpi: %.3f ms; face repaint / repaint of a bare bitmap window: %.2f "
                "(target <= 1.5); first draw / repaint: %.1f\n",
                dpi, repaint * 1e3, repaint / bare, drawCost / repaint);
}

} // namespace

int wmain() {
    SetProcessDPIAware();
    Measure(96);
    Measure(144);
    return 0;
}
