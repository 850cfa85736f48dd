// The application shell as a user meets it: start-up into the tray, the second start, the tray double-click,
// the panels, dragging, the about box and every way the program ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>
#include <shellapi.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "../support/accessible_probe.h"
#include "../support/desktop.h"
#include "../support/tray_probe.h"
#include "app/app_folder.h"
#include "app/frmmain_layout.h"
#include "korimo_process.h"
#include "ui/messages.h"

using namespace korimo;
using namespace korimo::e2e;

namespace {
constexpr const wchar_t* kPanels[] = {L"Korimo.pro_form", L"Korimo.dir_form", L"Korimo.log_form"};
constexpr const wchar_t* kPanelButtons[] = {L"进程监视", L"文件监视", L"日志"};

size_t CountKorimoIcons() {
    size_t count = 0;
    for (const test::TrayIconInfo& icon : test::ListTrayIcons()) count += icon.tip == kTrayTip;
    return count;
}

bool BalloonShows(const std::wstring& title, const std::wstring& text) {
    return test::WaitFor(
        [&] {
            const auto balloon = test::CurrentBalloon();
            return balloon && balloon->title == title && balloon->text == text;
        },
        8000);
}

bool Visible(HWND window) { return window && IsWindowVisible(window); }

class ShellTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(korimo.Start()) << "korimo.exe did not come up"; }

    void BringUpMainWindow() { ASSERT_TRUE(korimo.BringUpMainWindow()); }

    void ExpectEndedAndIconGone() {
        EXPECT_TRUE(korimo.HasExited(10000)) << "the process is still running";
        EXPECT_TRUE(test::WaitFor([] { return CountKorimoIcons() == 0; }, 8000)) << "the tray icon is left behind";
    }

    KorimoProcess korimo;
};
} // namespace

TEST_F(ShellTest, StartsHiddenInTheTrayWithItsTipAndNotice) {
    EXPECT_TRUE(test::TopLevelWindows(korimo.Pid(), true).empty()) << "a window of Korimo is visible after start";
    EXPECT_EQ(CountKorimoIcons(), 1u);
    EXPECT_TRUE(BalloonShows(L"提示：", L"Korimo已经最小化到托盘！"));
}

// The same program file under another spelling of its path (a symbolic link to its folder, as a short name, a
// subst drive or a network path is on Windows) is the same program.
TEST_F(ShellTest, SecondStartIsRefusedAndLeavesOneIcon) {
    const std::wstring alias = ProgramThroughAlias();
    if (alias.empty()) std::fputws(L"KORIMO_E2E_ALIAS is not set: the second start goes by the same path\n", stderr);
    KorimoProcess second(alias.empty() ? ProgramPath() : alias);
    ASSERT_TRUE(second.Start(false));
    HWND box = nullptr;
    ASSERT_TRUE(test::WaitFor([&] { return Visible(box = test::FindTopLevel(second.Pid(), L"#32770", L"提示")); },
                              10000));
    EXPECT_TRUE(test::FindChildByText(box, L"对不起本程序已在运行中, 不得重复加载!!"));
    EXPECT_EQ(CountKorimoIcons(), 1u);

    HWND ok = GetDlgItem(box, IDOK);
    ASSERT_TRUE(ok) << "the message box has no OK button";
    EXPECT_FALSE(Visible(korimo.Main()));
    test::ClickWindow(ok);
    EXPECT_TRUE(second.HasExited(10000)) << "the second copy did not end";
    // The user, who started Korimo again to find it, finds the running copy's main window in front, its one icon
    // in the tray.
    EXPECT_TRUE(test::WaitFor([&] { return Visible(korimo.Main()) && GetForegroundWindow() == korimo.Main(); }, 5000))
        << "the running copy did not come forward";
    EXPECT_EQ(CountKorimoIcons(), 1u);
}

// Two starts at once (the second while the first is still starting): whichever copy is refused, nothing hangs,
// and its request to bring the other forward is not lost.
TEST(SingleInstance, TwoStartsAtOnceLeaveOneCopyInFront) {
    KorimoProcess first, second;
    ASSERT_TRUE(first.Start(false));
    ASSERT_TRUE(second.Start(false));
    HWND box = nullptr;
    KorimoProcess* refused = nullptr;
    ASSERT_TRUE(test::WaitFor([&] {
        for (KorimoProcess* run : {&first, &second})
            if (Visible(box = test::FindTopLevel(run->Pid(), L"#32770", L"提示"))) return (refused = run) != nullptr;
        return false;
    }, 15000)) << "neither start was refused";
    KorimoProcess& running = refused == &first ? second : first;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(refused->HasExited(15000)) << "the refused copy hung";
    HWND main = nullptr;
    EXPECT_TRUE(test::WaitFor([&] {
        main = test::FindTopLevel(running.Pid(), L"Korimo.frmmain");
        return Visible(main) && GetForegroundWindow() == main;
    }, 15000)) << "the request was lost";
    PostMessageW(main, WM_CLOSE, 0, 0); // an orderly end: no journal is left for the next test's start
    if (HWND saved = running.WaitForMessageBox(10000)) PostMessageW(saved, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(running.HasExited(10000));
}

// A copy that may not open the running copy's mutex (an elevated copy's refuses a normal one on Windows) is
// refused all the same, before it touches anything: the running copy's journal is neither turned into a log
// file nor removed, and no icon is added.
TEST(SingleInstance, ACopyThatMayNotOpenTheMutexIsRefusedAndLeavesTheJournalAlone) {
    HANDLE file = CreateFileW(ProgramPath().c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    ASSERT_TRUE(GetFileInformationByHandle(file, &info));
    CloseHandle(file);
    PSECURITY_DESCRIPTOR nobody = nullptr; // an empty access list: nobody may open it
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:", SDDL_REVISION_1, &nobody, nullptr));
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), nobody, FALSE};
    HANDLE mutex = CreateMutexW(&attributes, FALSE,
                                app::InstanceKey(info.dwVolumeSerialNumber,
                                                 (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow)
                                    .c_str());
    LocalFree(nobody);
    ASSERT_TRUE(mutex && GetLastError() != ERROR_ALREADY_EXISTS) << "a copy of Korimo is still running";
    const std::filesystem::path logs = std::filesystem::path(ProgramFolder()) / L"log";
    std::filesystem::remove_all(logs);
    std::filesystem::create_directories(logs);
    const std::string journal = "\xEF\xBB\xBF" "the running copy's journal\r\n";
    std::ofstream(logs / L"korimo-journal.log", std::ios::binary) << journal;

    KorimoProcess second;
    ASSERT_TRUE(second.Start(false));
    HWND box = nullptr;
    ASSERT_TRUE(test::WaitFor([&] { return Visible(box = test::FindTopLevel(second.Pid(), L"#32770", L"提示")); },
                              10000)) << "the copy that may not open the mutex was not refused";
    EXPECT_TRUE(test::FindChildByText(box, L"对不起本程序已在运行中, 不得重复加载!!"));
    test::ClickWindow(GetDlgItem(box, IDOK));
    EXPECT_TRUE(second.HasExited(15000)); // after looking a few seconds for the running copy's window
    CloseHandle(mutex);
    EXPECT_EQ(CountKorimoIcons(), 0u);
    std::ifstream kept(logs / L"korimo-journal.log", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), journal) << "the running copy's journal was touched";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(logs), {}), 1) << "a log file was made from it";
    kept.close();
    std::filesystem::remove_all(logs);
}

TEST_F(ShellTest, DoubleClickOnTheTrayIconShowsTheMainWindowCentred) {
    BringUpMainWindow();
    const RECT rect = test::WindowRectOf(korimo.Main());
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    EXPECT_EQ(rect.left, GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2);
    EXPECT_EQ(rect.top, GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2);
    for (const wchar_t* panel : kPanels) EXPECT_FALSE(Visible(korimo.Panel(panel))) << "restoring shows no panel";
}

TEST_F(ShellTest, PanelButtonsDockOnePanelAtATimeAndCollapseHidesThem) {
    BringUpMainWindow();
    const RECT main = test::WindowRectOf(korimo.Main());
    for (size_t i = 0; i < 3; ++i) {
        test::ClickWindow(test::FindChildByText(korimo.Main(), kPanelButtons[i]));
        HWND panel = korimo.Panel(kPanels[i]);
        ASSERT_TRUE(test::WaitFor([&] { return Visible(panel); }, 8000)) << "button " << i;
        const RECT docked = test::WindowRectOf(panel);
        EXPECT_EQ(docked.left, main.left);
        EXPECT_EQ(docked.top, main.bottom);
        EXPECT_EQ(docked.right - docked.left, main.right - main.left) << "the panel takes the main window's width";
        for (size_t other = 0; other < 3; ++other)
            if (other != i) EXPECT_FALSE(Visible(korimo.Panel(kPanels[other])));
    }
    test::ClickWindow(test::FindChildByText(korimo.Main(), L"收缩"));
    EXPECT_TRUE(test::WaitFor([&] { return !Visible(korimo.Panel(kPanels[2])); }, 8000));
    for (const wchar_t* panel : kPanels) EXPECT_FALSE(Visible(korimo.Panel(panel)));
    const RECT after = test::WindowRectOf(korimo.Main());
    EXPECT_TRUE(EqualRect(&main, &after)) << "collapsing moved or resized the main window";
    EXPECT_TRUE(Visible(korimo.Main()));
}

TEST_F(ShellTest, DraggingTheFaceMovesTheWindowAndTheOpenPanelFollows) {
    BringUpMainWindow();
    test::ClickWindow(test::FindChildByText(korimo.Main(), L"进程监视"));
    HWND panel = korimo.Panel(kPanels[0]);
    ASSERT_TRUE(test::WaitFor([&] { return Visible(panel); }, 8000));

    const RECT before = test::WindowRectOf(korimo.Main());
    const POINT grip = MainPointFromTwips(korimo.Main(), 4000, 4100); // open face, no control there
    test::DragWithLeftButton(grip, {grip.x - 90, grip.y - 60});
    ASSERT_TRUE(test::WaitFor([&] { return test::WindowRectOf(korimo.Main()).left != before.left; }, 8000));
    const RECT moved = test::WindowRectOf(korimo.Main());
    EXPECT_EQ(moved.left, before.left - 90);
    EXPECT_EQ(moved.top, before.top - 60);
    EXPECT_TRUE(test::WaitFor(
        [&] {
            const RECT docked = test::WindowRectOf(panel);
            return docked.left == moved.left && docked.top == moved.bottom;
        },
        3000))
        << "the panel did not follow the main window";
    for (HWND other : {korimo.Panel(kPanels[1]), korimo.Panel(kPanels[2])}) {
        const RECT hidden = test::WindowRectOf(other);
        EXPECT_EQ(hidden.left, moved.left) << "hidden panels are docked too";
        EXPECT_EQ(hidden.top, moved.bottom);
    }
}

TEST_F(ShellTest, CreditLabelOpensTheAboutBoxAndAClickPutsItAway) {
    BringUpMainWindow();
    // The box opens centred, under the pointer: the release of the same click must not put it away.
    test::ClickWindow(test::FindChildByText(korimo.Main(), L"Velmora 作品"));
    HWND about = nullptr;
    ASSERT_TRUE(test::WaitFor([&] { return Visible(about = korimo.Panel(L"Korimo.frm_maker")); }, 8000));
    const RECT rect = test::WindowRectOf(about);
    EXPECT_EQ(rect.left, GetSystemMetrics(SM_CXSCREEN) / 2 - (rect.right - rect.left) / 2);

    test::LeftClickAt({rect.right - 40, rect.top + 60}); // over the decorative shapes
    EXPECT_TRUE(test::WaitFor([&] { return !Visible(about); }, 8000));
    EXPECT_TRUE(Visible(korimo.Main()));
    test::ClickWindow(test::FindChildByText(korimo.Main(), L"Velmora 作品"));
    EXPECT_TRUE(test::WaitFor([&] { return Visible(about); }, 8000)) << "the box comes back on the next click";
}

TEST_F(ShellTest, MinimiseMarkHidesTheWindowAndItsPanels) {
    BringUpMainWindow();
    test::ClickWindow(test::FindChildByText(korimo.Main(), L"日志"));
    ASSERT_TRUE(test::WaitFor([&] { return Visible(korimo.Panel(kPanels[2])); }, 8000));
    test::LeftClickAt(MainPointFromTwips(korimo.Main(), 8760 + 127, 127));
    EXPECT_TRUE(test::WaitFor([&] { return test::TopLevelWindows(korimo.Pid(), true).empty(); }, 5000));
    EXPECT_FALSE(korimo.HasExited());
    BringUpMainWindow(); // and the tray brings it back
}

TEST_F(ShellTest, CloseMarkEndsTheProcessAndRemovesTheIcon) {
    BringUpMainWindow();
    test::LeftClickAt(MainPointFromTwips(korimo.Main(), 9120 + 127, 127));
    HWND saved = korimo.WaitForMessageBox(10000); // the log saves itself on the way out and says so
    ASSERT_TRUE(saved);
    EXPECT_FALSE(korimo.HasExited()) << "the message holds the end up until it is answered";
    test::ClickWindow(GetDlgItem(saved, IDOK));
    ExpectEndedAndIconGone();
}

TEST_F(ShellTest, CloseRequestOnTheMainWindowEndsTheWholeProgram) {
    PostMessageW(korimo.Main(), WM_CLOSE, 0, 0);
    HWND saved = korimo.WaitForMessageBox(10000);
    ASSERT_TRUE(saved);
    test::ClickWindow(GetDlgItem(saved, IDOK));
    ExpectEndedAndIconGone();
}

TEST_F(ShellTest, ShutdownEndsTheProgramWithoutHoldingItUp) {
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(korimo.Main(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_TRUE(answer) << "Korimo must not refuse a shutdown";
    ASSERT_TRUE(SendMessageTimeoutW(korimo.Main(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &answer))
        << "the end-session handler did not return within five seconds";
    ExpectEndedAndIconGone();
}

TEST_F(ShellTest, IconComesBackWhenTheShellRestarts) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = korimo.IconWindow();
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data)); // what a crashed Explorer leaves: no icon
    ASSERT_TRUE(test::WaitFor([] { return CountKorimoIcons() == 0; }, 8000));

    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(test::WaitFor([] { return CountKorimoIcons() == 1; }, 5000)) << "the icon was not added again";
    BringUpMainWindow(); // and it still answers
}

// The main roads by the keyboard alone: Enter on the tray icon, Tab through the keyboard order, Enter on a
// button, F6 into the panel and back, F1 and Esc for the about box, Esc into the tray, Alt+F4 to the end.
TEST_F(ShellTest, EveryRoadOfTheMainWindowByKeyboardAlone) {
    HWND main = korimo.Main();
    const auto focusIs = [&](HWND want) { return test::WaitFor([&] { return test::KeyboardFocusOf(main) == want; }, 8000); };
    const auto control = [&](int id) { return GetDlgItem(main, id); };
    korimo.PressEnterOnTrayIcon();
    ASSERT_TRUE(test::WaitFor([&] { return Visible(main); }, 5000)) << "Enter on the tray icon did not restore";
    ASSERT_TRUE(focusIs(control(app::IDC_COMMAND1))) << "the focus is not on 进程监视";

    // A screen reader in another process finds the two marks as push buttons over where they are drawn.
    {
        test::ComScope com;
        const auto object = test::ReadClientObject(main);
        ASSERT_GE(object.size(), 3u) << "no accessible object came from korimo.exe";
        const struct { const wchar_t* name; int leftTwips; } drawn[] = {{L"关闭 Korimo", 9120}, {L"最小化到托盘", 8760}};
        for (size_t i = 0; i < 2; ++i) {
            const test::AccessibleNode& mark = object[object.size() - 2 + i];
            EXPECT_EQ(mark.name, drawn[i].name);
            EXPECT_EQ(mark.role, ROLE_SYSTEM_PUSHBUTTON);
            const POINT centre = MainPointFromTwips(main, drawn[i].leftTwips + 127, 127);
            EXPECT_TRUE(PtInRect(&mark.screen, centre)) << "the rectangle is not over the drawn mark " << i;
        }
    }

    // Tab walks the keyboard order, skipping the hidden 网络监视 and 扫描; Shift+Tab walks back.
    for (int id : {app::IDC_COMMAND2, app::IDC_COMMAND3, app::IDC_COMMAND4, app::IDC_CHECK1_0, app::IDC_CHECK1_1,
                   app::IDC_CHECK1_2, app::IDC_COMMAND1}) {
        test::PressKey(VK_TAB);
        ASSERT_TRUE(focusIs(control(id))) << "Tab did not reach control " << id;
    }
    test::PressKey(VK_TAB, false, true);
    ASSERT_TRUE(focusIs(control(app::IDC_CHECK1_2)));
    test::PressKey(VK_TAB);
    ASSERT_TRUE(focusIs(control(app::IDC_COMMAND1)));

    HWND panel = korimo.Panel(kPanels[0]);
    test::PressKey(VK_RETURN);
    ASSERT_TRUE(test::WaitFor([&] { return Visible(panel); }, 8000)) << "Enter did not press 进程监视";
    test::PressKey(VK_F6);
    EXPECT_TRUE(test::WaitFor([&] { return GetAncestor(test::KeyboardFocusOf(main), GA_ROOT) == panel; }, 8000))
        << "F6 did not reach the panel";
    test::PressKey(VK_F6);
    EXPECT_TRUE(focusIs(control(app::IDC_COMMAND1))) << "F6 did not come back to the main window";

    test::PressKey(VK_F1);
    HWND about = nullptr;
    ASSERT_TRUE(test::WaitFor([&] { return Visible(about = korimo.Panel(L"Korimo.frm_maker")); }, 8000));
    test::PressKey(VK_ESCAPE);
    EXPECT_TRUE(test::WaitFor([&] { return !Visible(about); }, 8000)) << "Esc did not put the about box away";
    EXPECT_TRUE(Visible(main));

    ASSERT_TRUE(focusIs(control(app::IDC_COMMAND1)));
    test::PressKey(VK_ESCAPE);
    EXPECT_TRUE(test::WaitFor([&] { return test::TopLevelWindows(korimo.Pid(), true).empty(); }, 5000))
        << "Esc did not put Korimo into the tray";

    korimo.PressEnterOnTrayIcon();
    ASSERT_TRUE(focusIs(control(app::IDC_COMMAND1)));
    test::PressKey(VK_F4, true);
    HWND saved = korimo.WaitForMessageBox(10000); // the close mark's road: the log saves itself and says so
    ASSERT_TRUE(saved) << "Alt+F4 did not close Korimo";
    SetForegroundWindow(saved);
    test::PressKey(VK_RETURN);
    ExpectEndedAndIconGone();
}
