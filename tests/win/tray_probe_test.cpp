// The tray probe that the other tests trust, checked against Wine's real tray with an icon of its own: the probe
// sees it with its hover text, follows a change of that text, reads its balloon, a double-click through the
// probe reaches the icon's owner, and the icon is gone after removal. KORIMO_HOLD_BALLOON_MS keeps the balloon
// up that much longer, for screenshots.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdlib>
#include <cwchar>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "../support/desktop.h"
#include "../support/tray_probe.h"

using namespace korimo::test;

namespace {

constexpr UINT kTrayCallback = WM_APP + 1;
constexpr UINT kIconId = 1;
const std::wstring kTip = L"Korimo 正在保护你的电脑...";
const std::wstring kOtherTip = L"Korimo 正在检查进程...";
const std::wstring kBalloonTitle = L"提示：";
const std::wstring kBalloonText = L"Korimo已经最小化到托盘！";

std::vector<std::pair<WPARAM, LPARAM>> g_callbacks; // every tray callback the owner window received

size_t CountWithTip(const std::vector<TrayIconInfo>& icons, const std::wstring& tip) {
    size_t count = 0;
    for (const TrayIconInfo& icon : icons) count += icon.tip == tip;
    return count;
}

// A hidden top-level window that owns the icon, as the program's main window does, and the icon itself,
// removed again however the test ends.
class TrayProbeTest : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (message != kTrayCallback) return DefWindowProcW(window, message, wParam, lParam);
            g_callbacks.emplace_back(wParam, lParam);
            return 0;
        };
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KorimoTrayProbeTest";
        RegisterClassW(&windowClass);
        owner = CreateWindowExW(0, windowClass.lpszClassName, L"Korimo tray probe test", WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_TRUE(owner);
        before = ListTrayIcons();
        ASSERT_EQ(CountWithTip(before, kTip), 0u) << "an icon with the test's tip is there before it is added";
        // NIF_INFO with an empty text: a balloon is announced but there is nothing to show yet.
        NOTIFYICONDATAW data = Request(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO);
        data.uCallbackMessage = kTrayCallback;
        data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        wcsncpy(data.szTip, kTip.c_str(), ARRAYSIZE(data.szTip) - 1);
        ASSERT_TRUE(added = Shell_NotifyIconW(NIM_ADD, &data) != FALSE);
        std::vector<TrayIconInfo> after;
        ASSERT_TRUE(WaitFor(
            [&] {
                after = ListTrayIcons();
                return after.size() == before.size() + 1 && CountWithTip(after, kTip) == 1;
            },
            3000))
            << "ListTrayIcons does not show exactly one more icon, with the Chinese tip";
        shown = FindTrayIcon(kTip);
    }
    void TearDown() override {
        if (added) Remove();
        if (owner) DestroyWindow(owner);
    }

    NOTIFYICONDATAW Request(UINT flags) const {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = owner;
        data.uID = kIconId;
        data.uFlags = flags;
        return data;
    }
    bool SetTip(const std::wstring& tip) {
        NOTIFYICONDATAW data = Request(NIF_TIP);
        wcsncpy(data.szTip, tip.c_str(), ARRAYSIZE(data.szTip) - 1);
        return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
    }
    void ShowBalloon() {
        NOTIFYICONDATAW data = Request(NIF_INFO);
        wcsncpy(data.szInfoTitle, kBalloonTitle.c_str(), ARRAYSIZE(data.szInfoTitle) - 1);
        wcsncpy(data.szInfo, kBalloonText.c_str(), ARRAYSIZE(data.szInfo) - 1);
        data.dwInfoFlags = NIIF_INFO;
        ASSERT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &data));
        std::optional<Balloon> balloon;
        ASSERT_TRUE(WaitFor(
            [&] {
                balloon = CurrentBalloon();
                return balloon && balloon->title == kBalloonTitle && balloon->text == kBalloonText;
            },
            6000))
            << "CurrentBalloon does not show the title and text within 6 s";
    }
    bool Remove() {
        NOTIFYICONDATAW data = Request(0);
        added = false;
        return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
    }

    HWND owner = nullptr;
    bool added = false;
    std::vector<TrayIconInfo> before;
    std::optional<TrayIconInfo> shown;
};

HWND ShownHoverTooltip() {
    for (HWND window : AllTopLevelWindows())
        if (ClassName(window) == TOOLTIPS_CLASSW && IsWindowVisible(window) &&
            !(GetWindowLongW(window, GWL_STYLE) & TTS_BALLOON))
            return window;
    return nullptr;
}

} // namespace

TEST_F(TrayProbeTest, TheIconIsFoundByItsWholeTipWithARectangleAndNoBalloon) {
    ASSERT_TRUE(shown);
    EXPECT_GT(shown->screenRect.right, shown->screenRect.left);
    EXPECT_GT(shown->screenRect.bottom, shown->screenRect.top);
    EXPECT_FALSE(FindTrayIcon(kTip.substr(0, kTip.size() - 3))) << "FindTrayIcon wants the whole tip, not a prefix";
    EXPECT_FALSE(CurrentBalloon()) << "a balloon while the icon has no balloon text";
}

// What the probe reads must be what a hovering user sees, and a hover tooltip is not a balloon.
TEST_F(TrayProbeTest, TheTooltipOnScreenShowsTheTipTheProbeRead) {
    ASSERT_TRUE(shown);
    const POINT centre = CentreOf(shown->screenRect); // from a little off the centre, so the tray sees a move
    MoveMouseTo({centre.x - 3, centre.y - 3});
    MoveMouseTo(centre);
    HWND tooltip = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (tooltip = ShownHoverTooltip()) != nullptr; }, 3000)) << "no tooltip on hover";
    EXPECT_EQ(ControlText(tooltip), shown->tip); // WM_GETTEXT of a tooltip: the text it shows
    EXPECT_FALSE(CurrentBalloon()) << "a hover tooltip on screen was taken for a balloon";
}

// The tip must be read from the tray as it is now, not remembered.
TEST_F(TrayProbeTest, TheTipIsReadAsItIsNow) {
    ASSERT_TRUE(SetTip(kOtherTip));
    EXPECT_TRUE(WaitFor([] { return FindTrayIcon(kOtherTip) && !FindTrayIcon(kTip); }, 3000));
    ASSERT_TRUE(SetTip(kTip));
    EXPECT_TRUE(WaitFor([] { return FindTrayIcon(kTip).has_value(); }, 3000)) << "the original tip is not back";
}

TEST_F(TrayProbeTest, TheBalloonIsReadWithItsTitleAndText) {
    ShowBalloon();
    if (const char* hold = std::getenv("KORIMO_HOLD_BALLOON_MS")) WaitFor([] { return false; }, std::atoi(hold));
}

TEST_F(TrayProbeTest, ADoubleClickReachesTheOwnerForItsIcon) {
    ASSERT_TRUE(shown);
    g_callbacks.clear();
    DoubleClickTrayIcon(*shown);
    EXPECT_TRUE(WaitFor(
        [] {
            for (const auto& [wParam, lParam] : g_callbacks)
                if (wParam == kIconId && lParam == WM_LBUTTONDBLCLK) return true;
            return false;
        },
        3000))
        << "no WM_LBUTTONDBLCLK (0x203) for the icon id";
}

TEST_F(TrayProbeTest, RemovalTakesTheIconAndItsBalloon) {
    ShowBalloon();
    ASSERT_TRUE(Remove());
    EXPECT_TRUE(WaitFor(
        [&] {
            const auto after = ListTrayIcons();
            return CountWithTip(after, kTip) == 0 && after.size() == before.size();
        },
        3000))
        << "the tray is not as it was before";
    EXPECT_TRUE(WaitFor([] { return !CurrentBalloon(); }, 3000)) << "its balloon stayed";
}
