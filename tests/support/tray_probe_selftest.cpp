// Self-test of the tray probe against Wine's real tray: puts an icon of its own there and checks that the
// probe sees it with its hover text, follows a change of that text, reads its balloon, that a double-click
// through the probe reaches the icon's owner, and that the icon is gone after removal.
//
// Usage: tray_probe_selftest.exe [--hold-balloon-ms=N]   (keeps the balloon up N ms longer, for screenshots)
// Exit code: 0 all checks passed, 1 a check failed, 2 the probe or the set-up failed.
#include "tray_probe.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace korimo::test;

constexpr UINT kTrayCallback = WM_APP + 1;
constexpr UINT kIconId = 1;
const std::wstring kTip = L"Korimo 正在保护你的电脑...";
const std::wstring kOtherTip = L"Korimo 正在检查进程...";
const std::wstring kBalloonTitle = L"提示：";
const std::wstring kBalloonText = L"Korimo已经最小化到托盘！";

std::string Utf8(const std::wstring& text) {
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

std::wstring FromUtf8(const char* text) {
    const int length = static_cast<int>(strlen(text));
    const int chars = MultiByteToWideChar(CP_UTF8, 0, text, length, nullptr, 0);
    std::wstring wide(chars, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, length, wide.data(), chars);
    return wide;
}

// A console gets UTF-16 directly; a pipe or file (how the test scripts run us) gets UTF-8.
void Print(const std::wstring& line) {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    const std::wstring withEnd = line + L"\n";
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, withEnd.data(), static_cast<DWORD>(withEnd.size()), &written, nullptr);
        return;
    }
    const std::string bytes = Utf8(withEnd);
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring Describe(const TrayIconInfo& icon) {
    wchar_t place[128];
    swprintf(place, 128, L"icon %p at (%ld,%ld)-(%ld,%ld)", static_cast<void*>(icon.iconWindow), icon.screenRect.left,
             icon.screenRect.top, icon.screenRect.right, icon.screenRect.bottom);
    return place + std::wstring(L" tip \"") + icon.tip + L"\"";
}

void PrintIcons(const std::wstring& heading, const std::vector<TrayIconInfo>& icons) {
    Print(heading + L": " + std::to_wstring(icons.size()) + L" icon(s)");
    for (const TrayIconInfo& icon : icons) Print(L"  " + Describe(icon));
}

struct Report {
    int failures = 0;
    bool Check(bool ok, const std::wstring& what) {
        Print((ok ? L"PASS " : L"FAIL ") + what);
        if (!ok) ++failures;
        return ok;
    }
};

// ---- the icon's owner ---------------------------------------------------------------------------------------

std::vector<std::pair<WPARAM, LPARAM>> g_callbacks;  // every tray callback the owner window received

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTrayCallback) {
        g_callbacks.emplace_back(wParam, lParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A hidden top-level window that owns the icon, as the program's main window does.
class OwnerWindow {
public:
    OwnerWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = OwnerProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KorimoTrayProbeSelfTest";
        RegisterClassW(&windowClass);
        window_ =
            CreateWindowExW(0, windowClass.lpszClassName, L"Korimo tray probe self-test", WS_OVERLAPPEDWINDOW,
                            CW_USEDEFAULT, CW_USEDEFAULT, 300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
        if (!window_) throw std::runtime_error("CreateWindowExW failed");
    }
    ~OwnerWindow() { DestroyWindow(window_); }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    HWND Handle() const { return window_; }

private:
    HWND window_ = nullptr;
};

// The test's icon, removed again however the test ends.
class TestIcon {
public:
    explicit TestIcon(HWND owner) : owner_(owner) {}
    ~TestIcon() {
        if (added_) Remove();
    }
    TestIcon(const TestIcon&) = delete;
    TestIcon& operator=(const TestIcon&) = delete;

    bool Add() {
        // NIF_INFO with an empty text: a balloon is announced but there is nothing to show yet.
        NOTIFYICONDATAW data = Request(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO);
        data.uCallbackMessage = kTrayCallback;
        data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        wcsncpy(data.szTip, kTip.c_str(), ARRAYSIZE(data.szTip) - 1);
        added_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
        return added_;
    }
    bool SetTip(const std::wstring& tip) {
        NOTIFYICONDATAW data = Request(NIF_TIP);
        wcsncpy(data.szTip, tip.c_str(), ARRAYSIZE(data.szTip) - 1);
        return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
    }
    bool ShowBalloon(const std::wstring& title, const std::wstring& text) {
        NOTIFYICONDATAW data = Request(NIF_INFO);
        wcsncpy(data.szInfoTitle, title.c_str(), ARRAYSIZE(data.szInfoTitle) - 1);
        wcsncpy(data.szInfo, text.c_str(), ARRAYSIZE(data.szInfo) - 1);
        data.dwInfoFlags = NIIF_INFO;
        return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
    }
    bool Remove() {
        NOTIFYICONDATAW data = Request(0);
        added_ = false;
        return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
    }

private:
    NOTIFYICONDATAW Request(UINT flags) const {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = owner_;
        data.uID = kIconId;
        data.uFlags = flags;
        return data;
    }

    HWND owner_;
    bool added_ = false;
};

// ---- the checks -------------------------------------------------------------------------------------------------

size_t CountWithTip(const std::vector<TrayIconInfo>& icons, const std::wstring& tip) {
    size_t count = 0;
    for (const TrayIconInfo& icon : icons) count += icon.tip == tip;
    return count;
}

// The test's icon as the probe found it after adding, or nullopt if it did not show up.
std::optional<TrayIconInfo> CheckIconAppears(Report& report, TestIcon& icon, const std::vector<TrayIconInfo>& before) {
    if (!report.Check(CountWithTip(before, kTip) == 0, L"no icon with the test's tip before it is added")) return {};
    if (!report.Check(icon.Add(), L"Shell_NotifyIconW(NIM_ADD) succeeds")) return {};
    std::vector<TrayIconInfo> after;
    const bool appeared = WaitFor(
        [&] {
            after = ListTrayIcons();
            return after.size() == before.size() + 1 && CountWithTip(after, kTip) == 1;
        },
        3000);
    PrintIcons(L"after NIM_ADD", after);
    if (!report.Check(appeared, L"ListTrayIcons shows exactly one more icon, with the Chinese tip")) return {};
    const auto found = FindTrayIcon(kTip);
    report.Check(
        found && found->screenRect.right > found->screenRect.left && found->screenRect.bottom > found->screenRect.top,
        L"FindTrayIcon finds it, with a non-empty rectangle");
    report.Check(!FindTrayIcon(kTip.substr(0, kTip.size() - 3)), L"FindTrayIcon wants the whole tip, not a prefix");
    report.Check(!CurrentBalloon(), L"no balloon while the icon has no balloon text");
    return found;
}

// A user resting the mouse on the icon; starting a little off its centre so that the tray sees a move even
// when the pointer is already there.
void HoverOver(const TrayIconInfo& icon) {
    const POINT centre{(icon.screenRect.left + icon.screenRect.right) / 2,
                       (icon.screenRect.top + icon.screenRect.bottom) / 2};
    for (const POINT at : {POINT{centre.x - 3, centre.y - 3}, centre}) {
        INPUT move{};
        move.type = INPUT_MOUSE;
        move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        move.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        move.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        SendInput(1, &move, sizeof move);
        Sleep(30);
    }
}

HWND ShownHoverTooltip() {
    for (HWND window = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); window;
         window = FindWindowExW(nullptr, window, TOOLTIPS_CLASSW, nullptr)) {
        if (IsWindowVisible(window) && !(GetWindowLongW(window, GWL_STYLE) & TTS_BALLOON)) return window;
    }
    return nullptr;
}

// WM_GETTEXT of a tooltip is the text it is showing; the system copies it across processes by itself.
std::wstring ShownText(HWND tooltip) {
    wchar_t text[512] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutW(tooltip, WM_GETTEXT, ARRAYSIZE(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        &length);
    return text;
}

// What the probe reads must be what a hovering user sees, and a hover tooltip is not a balloon.
void CheckHoverTip(Report& report, const TrayIconInfo& icon) {
    HoverOver(icon);
    HWND tooltip = nullptr;
    const bool shown = WaitFor([&] { return (tooltip = ShownHoverTooltip()) != nullptr; }, 3000);
    if (!report.Check(shown, L"resting the mouse on the icon shows a tooltip")) return;
    const std::wstring text = ShownText(tooltip);
    Print(L"tooltip on screen: \"" + text + L"\"");
    report.Check(text == icon.tip, L"the tooltip on screen shows the tip the probe read");
    report.Check(!CurrentBalloon(), L"a hover tooltip on screen is not taken for a balloon");
}

// The tip must be read from the tray as it is now, not remembered.
void CheckTipIsLive(Report& report, TestIcon& icon) {
    report.Check(icon.SetTip(kOtherTip), L"NIM_MODIFY with a new tip succeeds");
    report.Check(WaitFor([] { return FindTrayIcon(kOtherTip) && !FindTrayIcon(kTip); }, 3000),
                 L"the new tip replaces the old one");
    report.Check(icon.SetTip(kTip) && WaitFor([] { return FindTrayIcon(kTip).has_value(); }, 3000),
                 L"the original tip is back");
}

void CheckBalloon(Report& report, TestIcon& icon, DWORD holdMs) {
    if (!report.Check(icon.ShowBalloon(kBalloonTitle, kBalloonText), L"NIM_MODIFY with NIF_INFO succeeds")) return;
    const ULONGLONG asked = GetTickCount64();
    std::optional<Balloon> balloon;
    const bool shown = WaitFor(
        [&] {
            balloon = CurrentBalloon();
            return balloon && balloon->title == kBalloonTitle && balloon->text == kBalloonText;
        },
        6000);
    if (balloon) Print(L"balloon: title \"" + balloon->title + L"\" text \"" + balloon->text + L"\"");
    Print(L"balloon seen " + std::to_wstring(GetTickCount64() - asked) + L" ms after NIM_MODIFY (information only)");
    if (!report.Check(shown, L"CurrentBalloon shows the title and text within 6 s")) return;
    if (holdMs) {
        Print(L"holding the balloon for a screenshot");
        WaitFor([] { return false; }, holdMs);
    }
}

bool ReceivedDoubleClick() {
    for (const auto& [wParam, lParam] : g_callbacks) {
        if (wParam == kIconId && lParam == WM_LBUTTONDBLCLK) return true;
    }
    return false;
}

void CheckDoubleClick(Report& report) {
    const auto icon = FindTrayIcon(kTip);
    if (!report.Check(icon.has_value(), L"the icon is still there to click")) return;
    g_callbacks.clear();
    DoubleClickTrayIcon(*icon);
    const bool received = WaitFor(ReceivedDoubleClick, 3000);
    std::wstring seen = L"callbacks received (lParam):";
    for (const auto& callback : g_callbacks) seen += L" " + std::to_wstring(callback.second);
    Print(seen);
    report.Check(received, L"a double-click reaches the owner as WM_LBUTTONDBLCLK (0x203) for its icon id");
}

void CheckIconRemoved(Report& report, TestIcon& icon, const std::vector<TrayIconInfo>& before) {
    report.Check(icon.Remove(), L"Shell_NotifyIconW(NIM_DELETE) succeeds");
    std::vector<TrayIconInfo> after;
    const bool gone = WaitFor(
        [&] {
            after = ListTrayIcons();
            return CountWithTip(after, kTip) == 0 && after.size() == before.size();
        },
        3000);
    PrintIcons(L"after NIM_DELETE", after);
    report.Check(gone, L"the icon is gone and the tray is as it was before");
    report.Check(!CurrentBalloon(), L"its balloon went with it");
}

DWORD HoldMsFromArguments(int argc, wchar_t** argv) {
    const std::wstring prefix = L"--hold-balloon-ms=";
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument.rfind(prefix, 0) == 0) return wcstoul(argument.c_str() + prefix.size(), nullptr, 10);
    }
    return 0;
}

int Run(DWORD holdMs) {
    Report report;
    OwnerWindow owner;
    TestIcon icon(owner.Handle());
    const std::vector<TrayIconInfo> before = ListTrayIcons();
    PrintIcons(L"before", before);
    if (const auto shown = CheckIconAppears(report, icon, before)) {
        CheckHoverTip(report, *shown);
        CheckTipIsLive(report, icon);
        CheckBalloon(report, icon, holdMs);
        CheckDoubleClick(report);
        CheckIconRemoved(report, icon, before);
    }
    Print(report.failures ? std::to_wstring(report.failures) + L" check(s) failed"
                          : std::wstring(L"all checks passed"));
    return report.failures ? 1 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        return Run(HoldMsFromArguments(argc, argv));
    } catch (const std::exception& error) {
        Print(L"ERROR: " + FromUtf8(error.what()));
        return 2;
    }
}
