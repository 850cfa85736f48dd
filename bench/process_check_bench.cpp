// The cost of the process check against the walk it rests on. With 250 titled windows of its own open, prints
// (measured in this one run):
//  - one check with nothing new / a bare walk of the same windows (GetWindow + GetWindowTextW), target <= 1.5:
//    a title that was already there is neither looked up nor has its process opened;
//  - the cost of a check in which 10 new windows appear, per new window.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "procmon/pro_form.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

int BareWalk() {
    int titled = 0;
    wchar_t title[256];
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window; window = GetWindow(window, GW_HWNDNEXT))
        titled += GetWindowTextW(window, title, 256) > 0;
    return titled;
}

HWND OpenWindow(const std::wstring& title) {
    return CreateWindowExW(0, L"STATIC", title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

template <class F> double Timed(int rounds, F&& body) {
    const auto start = Clock::now();
    for (int i = 0; i < rounds; ++i) body();
    return Seconds(Clock::now() - start) / rounds;
}

} // namespace

int wmain() {
    std::vector<HWND> windows;
    for (int i = 0; i < 250; ++i) windows.push_back(OpenWindow(L"基准窗口 " + std::to_wstring(i)));

    korimo::procmon::pro_form panel;
    int reports = 0;
    panel.Configure({[](const std::wstring&, const std::wstring&) {}, [&](const std::wstring&) { ++reports; },
                     [](const std::wstring&) { return 1; }, L"C:\\"});
    if (!panel.Load(96)) return 1;
    KillTimer(panel.Hwnd(), 1); // checks run here by hand only

    const int rounds = 200;
    volatile int sink = 0;
    const double walk = Timed(rounds, [&] { sink = sink + BareWalk(); });
    const double check = Timed(rounds, [&] { panel.prodo_Click(); });
    std::printf("process check with %d titled windows of its own\n", static_cast<int>(windows.size()));
    std::printf("  bare walk: %.3f ms; check with nothing new: %.3f ms; check / walk: %.2f (target <= 1.5)\n",
                walk * 1e3, check * 1e3, check / walk);

    double perNew = 0;
    const int batches = 10;
    for (int batch = 0; batch < batches; ++batch) {
        for (int i = 0; i < 10; ++i) windows.push_back(OpenWindow(L"新窗口 " + std::to_wstring(batch * 10 + i)));
        const auto start = Clock::now();
        panel.prodo_Click();
        perNew += Seconds(Clock::now() - start) / 10;
    }
    std::printf("  check in which 10 new windows appear: %.3f ms per new window (%d reported)\n",
                perNew / batches * 1e3, reports);
    panel.Unload(korimo::ui::UnloadMode::SessionEnding);
    for (HWND window : windows) DestroyWindow(window);
    return reports == 100 ? 0 : 1;
}
