// The alert pop-up for real: shown modally, answered with the real mouse from a second thread (as a user
// answers while the program waits), timed out by its countdown, dragged, and asked again.
#include <gtest/gtest.h>

#include <cmath>

#include "../support/accessible_probe.h"
#include "../support/desktop.h"
#include "alerts/frm_outputbox.h"
#include "alerts/frm_outputbox_layout.h"
#include "answerer.h"

using namespace korimo;
using test::Answerer;

namespace {

// A window of the program that is not the pop-up: its timer must keep ticking while a question waits.
struct OtherWindow {
    OtherWindow() {
        window = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        SetTimer(window, 7, 100, [](HWND w, UINT, UINT_PTR, DWORD) {
            SetWindowLongPtrW(w, GWLP_USERDATA, GetWindowLongPtrW(w, GWLP_USERDATA) + 1);
        });
    }
    ~OtherWindow() { DestroyWindow(window); }
    LONG_PTR Ticks() const { return GetWindowLongPtrW(window, GWLP_USERDATA); }
    HWND window;
};

HWND Button(HWND popup, int n) { return GetDlgItem(popup, alerts::IDC_OUT_COMMAND1 + n - 1); }

// What a screen reader hears when an alert comes up: the object the event names, read at once.
struct AlertListener {
    AlertListener() {
        heard.clear();
        hook = SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, GetModuleHandleW(nullptr), &OnEvent,
                               GetCurrentProcessId(), 0, WINEVENT_INCONTEXT);
    }
    ~AlertListener() { UnhookWinEvent(hook); }
    static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
        IAccessible* accessible = nullptr;
        VARIANT id{};
        if (SUCCEEDED(AccessibleObjectFromEvent(window, object, child, &accessible, &id)) && accessible) {
            heard.push_back(test::ReadAccessible(accessible, id.lVal));
            accessible->Release();
        }
    }
    static inline std::vector<test::AccessibleNode> heard;
    HWINEVENTHOOK hook;
};

} // namespace

TEST(AlertPopUp, ShowsOnlyTheButtonsWithCaptionsAndAClickAnswersAtOnce) {
    test::ComScope com;
    AlertListener reader;
    ASSERT_TRUE(reader.hook);
    alerts::Frm_Outputbox box;
    OtherWindow other;
    bool visible[3]{}, otherDisabled = false;
    LONG_PTR ticksBefore = 0;
    Answerer user(L"Korimo.Frm_Outputbox", nullptr, [&](HWND popup) {
        for (int n = 1; n <= 3; ++n) visible[n - 1] = IsWindowVisible(Button(popup, n));
        otherDisabled = !IsWindowEnabled(other.window);
        ticksBefore = other.Ticks();
        Sleep(400);
        test::ClickWindow(Button(popup, 2));
    });
    ASSERT_TRUE(box.outputbox(L"Korimo进程监视系统发现C:\\x.exe正在启动或正在被调用", L"", L"关闭", L"", 10, 1));
    EXPECT_EQ(box.Ovalue, 2);
    ASSERT_EQ(reader.heard.size(), 1u) << "the pop-up was not announced as an alert";
    EXPECT_EQ(reader.heard[0].role, ROLE_SYSTEM_ALERT);
    EXPECT_EQ(reader.heard[0].name, L"Korimo进程监视系统发现C:\\x.exe正在启动或正在被调用");
    EXPECT_NE(reader.heard[0].description.find(L"还剩 "), std::wstring::npos) << "no seconds in the description";
    EXPECT_FALSE(visible[0]);
    EXPECT_TRUE(visible[1]);
    EXPECT_FALSE(visible[2]);
    EXPECT_TRUE(otherDisabled) << "the program's other windows take no input while the question waits";
    EXPECT_TRUE(IsWindowEnabled(other.window)) << "and they are enabled again afterwards";
    EXPECT_FALSE(box.IsVisible());
    EXPECT_GT(other.Ticks(), ticksBefore) << "the program's timers stopped while the question waited";

    // Long enough for two countdown ticks, proved by the other window's timer ticking all the while.
    const std::int16_t left = box.Ot;
    const LONG_PTR ticksAfter = other.Ticks();
    EXPECT_TRUE(test::WaitFor([&] { return other.Ticks() >= ticksAfter + 22; }, 5000));
    EXPECT_EQ(box.Ot, left) << "the countdown went on after the answer";
}

TEST(AlertPopUp, WithoutAClickTheEleventhTickGivesTheDefaultAnswer) {
    alerts::Frm_Outputbox box;
    std::wstring shownAtStart;
    Answerer watch(L"Korimo.Frm_Outputbox", nullptr, [&](HWND popup) { // the figure the first tick shows
        HWND time = GetDlgItem(popup, alerts::IDC_OUT_TIME);
        const std::wstring before = test::WindowText(time);
        test::WaitFor([&] { return test::WindowText(time) != before; }, 3000);
        shownAtStart = test::WindowText(time);
    });
    const DWORD start = GetTickCount();
    EXPECT_EQ(box.Ask(L"Korimo进程监视系统发现C:\\windows\\system32\\notepad.exe正在启动或正在被调用"),
              alerts::Answer::LetRun);
    const DWORD waited = GetTickCount() - start;
    EXPECT_EQ(box.Ovalue, 1);
    EXPECT_EQ(box.Ot, -1);
    EXPECT_EQ(test::WindowText(GetDlgItem(box.Hwnd(), alerts::IDC_OUT_TIME)), L" 0");
    EXPECT_EQ(shownAtStart, L" 10");
    EXPECT_GE(waited, 10000u) << "answered before the eleventh tick"; // ordering, not speed: ten full seconds
}

// A taskbar 48 pixels high along the bottom of the screen, for as long as it lives.
class Taskbar {
public:
    Taskbar() {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &original_, 0);
        RECT work = original_;
        work.bottom -= 48;
        SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0);
    }
    ~Taskbar() { SystemParametersInfoW(SPI_SETWORKAREA, 0, &original_, 0); }
    Taskbar(const Taskbar&) = delete;
    Taskbar& operator=(const Taskbar&) = delete;

private:
    RECT original_{};
};

TEST(AlertPopUp, ComesUpAtTheBottomCentreOfTheWorkAreaThenWhereverItWasDragged) {
    Taskbar taskbar;
    alerts::Frm_Outputbox box;
    RECT first{}, dragged{}, second{};
    {
        Answerer user(L"Korimo.Frm_Outputbox", nullptr, [&](HWND popup) {
            GetWindowRect(popup, &first);
            const POINT grip{first.left + MulDiv(3000, first.right - first.left, 6420), first.top + 8};
            test::DragWithLeftButton(grip, {grip.x - 120, grip.y - 90});
            Sleep(300);
            GetWindowRect(popup, &dragged);
            test::RightClickAt({dragged.left + 200, dragged.top + 8}); // the right button moves nothing
            Sleep(200);
            test::ClickWindow(Button(popup, 1));
        });
        EXPECT_EQ(box.Ask(L"first"), alerts::Answer::LetRun);
    }
    const int width = first.right - first.left, height = first.bottom - first.top;
    EXPECT_EQ(first.left, GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2);
    EXPECT_EQ(first.bottom, GetSystemMetrics(SM_CYSCREEN) - 48 - ui::TwipsToPixels(300, box.Dpi()))
        << "the lowest answer lies under the taskbar";
    EXPECT_EQ(dragged.left, first.left - 120);
    EXPECT_EQ(dragged.top, first.top - 90);
    EXPECT_TRUE(GetWindowLongW(box.Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    {
        Answerer user(L"Korimo.Frm_Outputbox", nullptr, [&](HWND popup) {
            GetWindowRect(popup, &second);
            test::ClickWindow(Button(popup, 3));
        });
        EXPECT_EQ(box.Ask(L"second"), alerts::Answer::ForceClose);
    }
    EXPECT_TRUE(EqualRect(&second, &dragged)) << "the second question did not come up where the first was dragged";

    // Left half under the taskbar (or on a monitor that went), the next question comes up inside the work area.
    box.MoveTo(second.left, GetSystemMetrics(SM_CYSCREEN) - 60);
    RECT third{};
    {
        Answerer user(L"Korimo.Frm_Outputbox", nullptr, [&](HWND popup) {
            GetWindowRect(popup, &third);
            test::ClickWindow(Button(popup, 2));
        });
        EXPECT_EQ(box.Ask(L"third"), alerts::Answer::Close);
    }
    EXPECT_EQ(third.left, second.left);
    EXPECT_EQ(third.bottom, GetSystemMetrics(SM_CYSCREEN) - 48);
}

// While a question waits, a timer of the program tries to ask another (refused: no question is asked), then the
// program closes and withdraws the question.
TEST(AlertPopUp, NothingCanAskASecondQuestionWhileOneWaitsAndAWithdrawnOneIsNoAnswer) {
    alerts::Frm_Outputbox box;
    static alerts::Frm_Outputbox* shared = &box;
    static alerts::Answer nested = alerts::Answer::LetRun;
    shared = &box;
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        nested = shared->Ask(L"nested");
        shared->Withdraw();
    });
    EXPECT_EQ(box.Ask(L"outer"), alerts::Answer::Withdrawn);
    KillTimer(nullptr, timer);
    EXPECT_EQ(nested, alerts::Answer::None) << "the nested question was not refused";
    EXPECT_FALSE(box.IsWaiting());
    EXPECT_FALSE(box.IsVisible());
}
