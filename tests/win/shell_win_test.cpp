// The Win32 layer of the application shell, in this process: real windows at 100 % and 150 % scaling, the
// real tray of the Wine session, the tray callback and the close requests as the system sends them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <windows.h>

#include <sddl.h>
#include <windowsx.h>

#include <optional>
#include <vector>

#include "../support/accessible_probe.h"
#include "../support/desktop.h"
#include "face_pixels.h"
#include "../support/tray_probe.h"
#include "answerer.h"
#include "quiet_services.h"
#include "tell_dpi.h"
#include "alerts/log_form.h"
#include "app/frm_maker.h"
#include "app/frmmain.h"
#include "alerts/frm_outputbox.h"
#include "alerts/frm_outputbox_layout.h"
#include "alerts/log_form_layout.h"
#include "procmon/pro_form_layout.h"
#include "app/frmmain_layout.h"
#include "filemon/dir_form.h"
#include "procmon/pro_form.h"
#include "ui/messages.h"

using namespace korimo;

namespace {

class RecordingHost final : public app::MainWindowHost {
public:
    void ShowAbout() override { ++aboutShown; }
    void CloseProgram(app::CloseReason reason) override { closed = reason; }
    bool AlertShowing() const override { return alertShowing; }
    void BringQuestionForward() override { ++questionsBroughtForward; }
    void AutoSaveSwitched(bool) override {}
    int aboutShown = 0;
    int questionsBroughtForward = 0;
    bool alertShowing = false;
    std::optional<app::CloseReason> closed;
};

size_t IconsWithTip() {
    size_t count = 0;
    for (const auto& icon : test::ListTrayIcons()) count += icon.tip == app::kTrayTip;
    return count;
}

RECT ClientRectOfChild(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class MainWindowTest : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_TRUE(main.Load(GetParam(), LoadIcon(nullptr, IDI_APPLICATION), LoadIcon(nullptr, IDI_APPLICATION)));
        ASSERT_TRUE(tray.AddTrayIcon(LoadIcon(nullptr, IDI_APPLICATION), &main)); // a tray to minimise into
        for (ui::PanelWindow* panel : {static_cast<ui::PanelWindow*>(&pro), static_cast<ui::PanelWindow*>(&dir),
                                       static_cast<ui::PanelWindow*>(&log)})
            ASSERT_TRUE(panel->Load(GetParam()));
    }
    void TearDown() override {
        if (tray.IsAdded()) tray.RemoveTrayIcon();
    }

    test::QuietHost panelHost;
    app::TrayIcon tray;
    procmon::pro_form pro{panelHost, L"C:\\"};
    filemon::dir_form dir{panelHost};
    alerts::log_form log{L"C:\\", false};
    RecordingHost host;
    app::frmmain main{tray, {&pro, &dir, &log}, host};
};

} // namespace

TEST_P(MainWindowTest, ControlsSitWhereTheLayoutPutsThemAtThisScaling) {
    const int dpi = GetParam();
    RECT client{};
    GetClientRect(main.Hwnd(), &client);
    EXPECT_EQ(client.right, ui::TwipsToPixels(app::kMainClientWidthTwips, dpi));
    EXPECT_EQ(client.bottom, ui::TwipsToPixels(app::kMainClientHeightTwips, dpi));
    for (const ui::ControlSpec& entry : app::MainControls()) {
        if (entry.kind == ui::ControlKind::ImageArea) continue; // drawn on the face, no window
        HWND control = GetDlgItem(main.Hwnd(), entry.id);
        ASSERT_TRUE(control) << entry.id;
        const ui::PixelRect want = ui::ControlRect(entry, dpi);
        const RECT got = ClientRectOfChild(control);
        EXPECT_EQ(got.left, want.left) << entry.id;
        EXPECT_EQ(got.top, want.top) << entry.id;
        EXPECT_EQ(got.right - got.left, want.width) << entry.id;
        EXPECT_EQ(got.bottom - got.top, want.height) << entry.id;
        EXPECT_EQ((GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0, entry.visible) << entry.id;
    }
    EXPECT_EQ(Button_GetCheck(GetDlgItem(main.Hwnd(), app::IDC_CHECK1_0)), BST_CHECKED);
    EXPECT_EQ(Button_GetCheck(GetDlgItem(main.Hwnd(), app::IDC_CHECK1_1)), BST_UNCHECKED);
    EXPECT_EQ(Button_GetCheck(GetDlgItem(main.Hwnd(), app::IDC_CHECK1_2)), BST_CHECKED);
}

TEST_P(MainWindowTest, NoWindowHasACaptionOrATaskbarButton) {
    for (HWND window : {main.Hwnd(), pro.Hwnd(), dir.Hwnd(), log.Hwnd()}) {
        EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME));
        EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    }
}

TEST_P(MainWindowTest, PanelsDockUnderTheMainWindowAtItsWidth) {
    main.RestoreFromTray();
    const ui::PixelRect own = main.ScreenRect();
    const int panelHeight = log.ScreenRect().height;
    main.OpenPanel(2);
    EXPECT_TRUE(log.IsVisible());
    EXPECT_EQ(log.ScreenRect(), (ui::PixelRect{own.left, own.bottom(), own.width, panelHeight}));
    main.OpenPanel(0);
    EXPECT_FALSE(log.IsVisible());
    EXPECT_TRUE(pro.IsVisible());

    main.MoveTo(own.left + 17, own.top + 9); // as after a drag: hidden panels move too, widths stay
    main.DockPanels();
    EXPECT_EQ(dir.ScreenRect().left, own.left + 17);
    EXPECT_EQ(dir.ScreenRect().top, own.bottom() + 9);
    main.Command4_Click();
    EXPECT_FALSE(pro.IsVisible() || dir.IsVisible() || log.IsVisible());
}

TEST_P(MainWindowTest, OnlyALeftDoubleClickOnTheIconRestoresAndNotWhileAPopUpIsModal) {
    SendMessageW(tray.IconWindow(), ui::WM_KORIMO_TRAY, 0, WM_LBUTTONUP);
    SendMessageW(tray.IconWindow(), ui::WM_KORIMO_TRAY, 0, NIN_SELECT); // a single click, as version 3 tells it
    SendMessageW(tray.IconWindow(), ui::WM_KORIMO_TRAY, 0, WM_RBUTTONDBLCLK);
    EXPECT_FALSE(main.IsVisible());

    host.alertShowing = true; // the double-click does nothing; Enter on the icon brings the question forward
    SendMessageW(tray.IconWindow(), ui::WM_KORIMO_TRAY, 0, WM_LBUTTONDBLCLK);
    EXPECT_EQ(host.questionsBroughtForward, 0);
    SendMessageW(tray.IconWindow(), ui::WM_KORIMO_TRAY, 0, NIN_KEYSELECT);
    EXPECT_EQ(host.questionsBroughtForward, 1);
    EXPECT_FALSE(main.IsVisible());
    host.alertShowing = false;

    SendMessageW(tray.IconWindow(), ui::WM_KORIMO_TRAY, 0, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(main.IsVisible());
    EXPECT_FALSE(IsIconic(main.Hwnd()));
    const ui::PixelRect own = main.ScreenRect();
    EXPECT_EQ(own.left, GetSystemMetrics(SM_CXSCREEN) / 2 - own.width / 2);
    EXPECT_EQ(own.top, GetSystemMetrics(SM_CYSCREEN) / 2 - own.height / 2);

    main.OpenPanel(1);
    main.Image2_Click();
    EXPECT_FALSE(main.IsVisible());
    EXPECT_FALSE(dir.IsVisible());

    // Enter or Space on the icon: the same road, the keyboard focus on the first control of the keyboard order.
    SendMessageW(tray.IconWindow(), ui::WM_KORIMO_TRAY, 0, NIN_KEYSELECT);
    EXPECT_TRUE(main.IsVisible());
    EXPECT_EQ(GetFocus(), GetDlgItem(main.Hwnd(), app::IDC_COMMAND1));
}

// What a screen reader finds: the two marks as push buttons over where they are drawn, whose default action is
// the mark's click; the buttons named by their captions; the credit label as a link to the about box.
TEST_P(MainWindowTest, AScreenReaderFindsTheMarksTheButtonsAndTheLink) {
    test::ComScope com;
    main.RestoreFromTray();
    const auto object = test::ReadClientObject(main.Hwnd());
    ASSERT_GE(object.size(), 3u) << "the main window gives no accessible object";
    const struct { const wchar_t* name; const wchar_t* image; } marks[] = {{L"关闭 Korimo", L"Image1"},
                                                                           {L"最小化到托盘", L"Image2"}};
    for (size_t i = 0; i < 2; ++i) {
        const test::AccessibleNode& mark = object[object.size() - 2 + i];
        EXPECT_EQ(mark.name, marks[i].name);
        EXPECT_EQ(mark.role, ROLE_SYSTEM_PUSHBUTTON);
        EXPECT_EQ(mark.action, L"按下");
        const ui::PixelRect drawn = main.ControlPixels(*ui::FindControl(app::MainControls(), marks[i].image));
        RECT want{drawn.left, drawn.top, drawn.right(), drawn.bottom()};
        MapWindowPoints(main.Hwnd(), nullptr, reinterpret_cast<POINT*>(&want), 2);
        EXPECT_TRUE(EqualRect(&mark.screen, &want)) << "mark " << i << " is not where it is drawn";
    }
    for (int id : {app::IDC_COMMAND1, app::IDC_COMMAND4}) {
        HWND button = GetDlgItem(main.Hwnd(), id);
        EXPECT_EQ(test::ReadClientObject(button).at(0).name, test::WindowText(button));
    }
    EXPECT_EQ(test::ReadClientObject(GetDlgItem(log.Hwnd(), alerts::IDC_LOG_TEXT1)).at(0).name, L"事件日志");
    EXPECT_EQ(test::ReadClientObject(GetDlgItem(pro.Hwnd(), procmon::IDC_PRO_PROTEXTT)).at(0).name,
              L"进程检测周期 (千分之一秒)");
    HWND label = GetDlgItem(main.Hwnd(), app::IDC_LABEL1);
    const auto link = test::ReadClientObject(label);
    ASSERT_FALSE(link.empty());
    EXPECT_EQ(link[0].role, ROLE_SYSTEM_LINK);
    EXPECT_EQ(link[0].name, L"Velmora 作品");
    ASSERT_TRUE(test::DoDefaultAction(label, CHILDID_SELF));
    EXPECT_TRUE(test::WaitFor([&] { return host.aboutShown == 1; }, 2000)) << "the link did not open the about box";

    ASSERT_TRUE(test::DoDefaultAction(main.Hwnd(), object.back().id));
    EXPECT_TRUE(test::WaitFor([&] { return !main.IsVisible(); }, 2000)) << "the minimise mark's action did nothing";
    ASSERT_TRUE(test::DoDefaultAction(main.Hwnd(), object[object.size() - 2].id));
    EXPECT_TRUE(test::WaitFor([&] { return host.closed == app::CloseReason::CloseImage; }, 2000));
}

// In high contrast every face, mark and drawn button shows the system's colours: the check finds the face's own
// colours first, as its positive control, and none once the theme is switched on (no restart).
TEST_P(MainWindowTest, InHighContrastTheFacesShowOnlySystemColours) {
    alerts::Frm_Outputbox popup;
    ASSERT_TRUE(popup.Load(MonitorFromWindow(main.Hwnd(), MONITOR_DEFAULTTOPRIMARY)));
    test::TellDpi(popup.Hwnd(), popup.Dpi(), GetParam());
    const wchar_t* shown[] = {L"放过", L"关闭", L"强制关闭", L"", L"Korimo进程监视系统发现C:\\Tools\\guard.exe正在启动或正在被调用"};
    for (int i = 0; i < 5; ++i)
        if (*shown[i]) SetWindowTextW(GetDlgItem(popup.Hwnd(), alerts::IDC_OUT_COMMAND1 + i), shown[i]);
    main.RestoreFromTray(true); // as by the keyboard: the focus shows
    ShowWindow(popup.Hwnd(), SW_SHOWNA);
    EXPECT_TRUE(test::WaitFor([&] { return test::PixelsOutsideSystemColours(main.Hwnd()) > 1000; }, 3000))
        << "the check cannot see the face's own colours";
    test::SaveScreenshot(main.Hwnd(), L"main-keyboard-focus-" + std::to_wstring(GetParam()));
    {
        test::HighContrastTheme theme; // the system colours of a black theme, and the flag
        for (HWND window : {main.Hwnd(), popup.Hwnd()}) {
            EXPECT_TRUE(test::WaitFor([&] { return test::PixelsOutsideSystemColours(window) == 0; }, 3000))
                << test::PixelsOutsideSystemColours(window) << " pixels of fixed colours remain";
            test::SaveScreenshot(window, (window == main.Hwnd() ? L"main-high-contrast-" : L"alert-popup-high-contrast-") +
                                             std::to_wstring(GetParam()));
        }
    }
    EXPECT_TRUE(test::WaitFor([&] { return test::PixelsOutsideSystemColours(main.Hwnd()) > 1000; }, 3000))
        << "the face did not come back when the theme went";
}

TEST_P(MainWindowTest, EveryCloseRequestReachesTheProgramAndNoneIsRefused) {
    SendMessageW(main.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(host.closed, app::CloseReason::CloseRequest);
    EXPECT_TRUE(IsWindow(main.Hwnd())) << "the program, not the window, decides how to end";

    host.closed.reset();
    EXPECT_EQ(SendMessageW(main.Hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    SendMessageW(main.Hwnd(), WM_ENDSESSION, FALSE, 0);
    EXPECT_FALSE(host.closed) << "a cancelled shutdown ends nothing";
    SendMessageW(main.Hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(host.closed, app::CloseReason::EndSession);
}

TEST_P(MainWindowTest, TrayIconIsAddedRemovedAndPutBackAfterAShellRestart) {
    ASSERT_TRUE(tray.AddTrayIcon(LoadIcon(nullptr, IDI_APPLICATION), &main));
    ASSERT_TRUE(test::WaitFor([] { return IconsWithTip() == 1; }, 3000));

    // A burst of reports: the shell gets the first balloon at once and then only the newest, which is the one
    // on screen.
    const int sentBefore = tray.NoticesSent();
    for (int i = 1; i <= 30; ++i) tray.ShowTrayNotice(L"建立文件", L"第 " + std::to_wstring(i) + L" 条", NIIF_INFO, L"", nullptr);
    const auto shows = [](const wchar_t* text) {
        return test::WaitFor([&] { return test::CurrentBalloon().value_or(test::Balloon{}).text == text; }, 8000);
    };
    EXPECT_TRUE(shows(L"第 30 条")) << "the newest notice of the burst is not the balloon on screen";
    EXPECT_EQ(tray.NoticesSent() - sentBefore, 2) << "the burst was not paced";

    // Unticking "开启托盘提示" stops the balloons, one held back by the pacing too; ticking brings them back.
    HWND notices = GetDlgItem(main.Hwnd(), app::IDC_CHECK1_0);
    tray.ShowReport(L"建立文件", L"第 31 条"); // at once
    tray.ShowReport(L"建立文件", L"不该出现"); // held back
    SendMessageW(notices, BM_CLICK, 0, 0);
    const int sentUnticked = tray.NoticesSent();
    tray.FlushNotice(); // the held notice's turn, as its timer gives it
    tray.ShowReport(L"建立文件", L"也不该出现");
    EXPECT_EQ(tray.NoticesSent(), sentUnticked) << "a notice went to the shell while notices were off";
    SendMessageW(notices, BM_CLICK, 0, 0);
    tray.ShowReport(L"建立文件", L"第 32 条");
    EXPECT_TRUE(shows(L"第 32 条")) << "ticked again, a notice did not show";

    NOTIFYICONDATAW lost{};
    lost.cbSize = sizeof(lost);
    lost.hWnd = tray.IconWindow();
    Shell_NotifyIconW(NIM_DELETE, &lost);
    ASSERT_TRUE(test::WaitFor([] { return IconsWithTip() == 0; }, 3000));
    SendMessageW(tray.IconWindow(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(test::WaitFor([] { return IconsWithTip() == 1; }, 3000));

    tray.RemoveTrayIcon();
    EXPECT_TRUE(test::WaitFor([] { return IconsWithTip() == 0; }, 3000));
    SendMessageW(tray.IconWindow(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_FALSE(test::WaitFor([] { return IconsWithTip() != 0; }, 500)) << "a removed icon came back";
}

INSTANTIATE_TEST_SUITE_P(Scalings, MainWindowTest, testing::Values(96, 144));

TEST(AboutBox, OpensCentredHidesOnAClickAndKeepsItsPlace) {
    app::frm_maker about;
    ASSERT_TRUE(about.Show(96));
    const ui::PixelRect first = about.ScreenRect();
    EXPECT_EQ(first.width, 640);
    EXPECT_EQ(first.height, 480);
    EXPECT_EQ(first.left, GetSystemMetrics(SM_CXSCREEN) / 2 - 320);

    SendMessageW(about.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(600, 40));
    EXPECT_TRUE(about.IsVisible()) << "the release of the click that opened the box must not close it";
    SendMessageW(about.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(600, 40));
    SendMessageW(about.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(600, 40));
    EXPECT_FALSE(about.IsVisible());
    about.MoveTo(first.left + 30, first.top + 20);
    ASSERT_TRUE(about.Show(96));
    EXPECT_TRUE(about.IsVisible());
    EXPECT_EQ(about.ScreenRect().left, first.left + 30) << "a second show keeps the last place";
}


TEST_P(MainWindowTest, StartWithWindowsFollowsItsBoxWhicheverBoxIsClicked) {
    wchar_t self[MAX_PATH]{};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring expected(self);
    expected = expected.substr(0, expected.find_last_of(L'.')) + L".EXE"; // korimo_win_tests.EXE beside us

    HWND startWithWindows = GetDlgItem(main.Hwnd(), app::IDC_CHECK1_1);
    SendMessageW(startWithWindows, BM_CLICK, 0, 0);
    EXPECT_EQ(Button_GetCheck(startWithWindows), BST_CHECKED);
    EXPECT_EQ(test::RunValue(), expected);

    SendMessageW(GetDlgItem(main.Hwnd(), app::IDC_CHECK1_2), BM_CLICK, 0, 0); // another box: rewritten, same value
    EXPECT_EQ(test::RunValue(), expected);

    SendMessageW(startWithWindows, BM_CLICK, 0, 0);
    EXPECT_EQ(test::RunValue(), L"") << "unticking empties the value and keeps it";
    SendMessageW(GetDlgItem(main.Hwnd(), app::IDC_CHECK1_0), BM_CLICK, 0, 0);
    EXPECT_EQ(test::RunValue(), L"");
}

// What reaches the shell: a report may be dropped by it (the user's quiet time; another notice up: Windows 10 and
// 11 would queue it as a toast), while the program's own notices are shown as they always were.
std::vector<NOTIFYICONDATAW> toldTheShell;
BOOL WINAPI RecordNotice(DWORD message, PNOTIFYICONDATAW data) {
    if (message == NIM_MODIFY) toldTheShell.push_back(*data);
    return TRUE;
}

TEST(TrayNotices, AReportIsShownAtOnceOrDroppedAndRespectsQuietTime) {
    app::TrayIcon tray(&RecordNotice);
    ASSERT_TRUE(tray.AddTrayIcon(nullptr));
    tray.ShowTrayNotice(L"提示：", L"Korimo已经最小化到托盘！", NIIF_INFO, L"", nullptr);
    tray.ShowReport(L"建立文件", L"路径：C:\\a.txt\r\n"); // within the pacing interval: held back
    tray.FlushNotice();
    ASSERT_EQ(toldTheShell.size(), 2u);
    EXPECT_EQ(toldTheShell[0].uFlags & NIF_REALTIME, 0u);
    EXPECT_EQ(toldTheShell[0].dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
    EXPECT_EQ(std::wstring(toldTheShell[1].szInfoTitle), L"建立文件");
    EXPECT_NE(toldTheShell[1].uFlags & NIF_REALTIME, 0u);
    EXPECT_EQ(toldTheShell[1].dwInfoFlags, static_cast<DWORD>(NIIF_INFO | NIIF_RESPECT_QUIET_TIME));
    tray.RemoveTrayIcon();
}

// A shell that comes late, as Explorer may at log-on: not up for the first add, and the second it takes without
// answering in time; from then on an add fails (the icon is there) and a modify succeeds.
int lateShellAdds = 0;
std::vector<std::wstring> lateShellBalloons;
BOOL WINAPI LateShell(DWORD message, PNOTIFYICONDATAW data) {
    if (message == NIM_ADD) ++lateShellAdds;
    if (message == NIM_MODIFY && lateShellAdds >= 2 && data->szInfo[0]) lateShellBalloons.push_back(data->szInfo);
    return message != NIM_ADD && lateShellAdds >= 2;
}

// Until there is an icon the main window stays on screen and the notices wait; the add is tried again until the
// shell has it, the newest notice then shows, and the window goes to the tray with its notice.
TEST(TrayNotices, ATrayThatComesLateGetsTheIconAndTheWaitingNoticeAndTheWindowStaysWithinReachMeanwhile) {
    test::QuietPanels panels;
    RecordingHost host;
    app::TrayIcon tray(&LateShell);
    app::frmmain main{tray, {&panels.pro, &panels.dir, &panels.log}, host};
    ASSERT_TRUE(main.Load(96, nullptr, nullptr));
    EXPECT_FALSE(tray.AddTrayIcon(nullptr, &main));
    main.Image2_Click(); // the start's "to the tray"
    EXPECT_TRUE(main.IsVisible()) << "hidden to a tray that is not there";
    tray.ShowReport(L"开启进程", L"等着图标的通知");
    ASSERT_TRUE(test::WaitFor([&] { return tray.IsAdded(); }, 3 * app::TrayIcon::kAddRetryMs)) << "not tried again";
    EXPECT_EQ(lateShellAdds, 2) << "an add the shell took was not counted as added";
    EXPECT_TRUE(test::WaitFor([&] { return !main.IsVisible() && lateShellBalloons.size() == 2; }, 3000));
    EXPECT_EQ(lateShellBalloons, (std::vector<std::wstring>{L"等着图标的通知", L"Korimo已经最小化到托盘！"}));
}

// Task Manager or Settings switched the entry off, in the machine's hive or the user's: ticking "开机时启动" still
// writes the Run value, says where to switch the entry on and leaves Windows' switch as it was; switched on, silence.
TEST(StartWithWindows, AnEntryWindowsSwitchedOffIsToldAndLeftSwitchedOff) {
    test::QuietPanels panels;
    RecordingHost host;
    app::frmmain main{panels.tray, {&panels.pro, &panels.dir, &panels.log}, host};
    ASSERT_TRUE(main.Load(96, nullptr, nullptr));
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        for (const BYTE first : {3, 2}) { // odd: switched off
            const std::vector<BYTE> state{first, 0, 0, 0, 0x10, 0x20, 0, 0, 0, 0, 0, 0};
            ASSERT_EQ(RegSetKeyValueW(hive, app::kStartupApprovedKey, L"fy", REG_BINARY, state.data(), 12), ERROR_SUCCESS);
            std::wstring said;
            {
                test::Answerer told(L"#32770", L"Korimo", test::ReadAndConfirm(said), first == 3 ? 10000 : 1000);
                SendMessageW(GetDlgItem(main.Hwnd(), app::IDC_CHECK1_1), BM_CLICK, 0, 0);
            }
            EXPECT_NE(test::RunValue(), L"") << "the click did not write the Run value";
            EXPECT_EQ(said.find(L"任务管理器") != std::wstring::npos, first == 3) << "hive " << (hive == HKEY_CURRENT_USER);
            std::vector<BYTE> now(64);
            DWORD size = 64;
            RegGetValueW(hive, app::kStartupApprovedKey, L"fy", RRF_RT_REG_BINARY, nullptr, now.data(), &size);
            EXPECT_EQ(std::vector<BYTE>(now.begin(), now.begin() + size), state) << "Windows' own switch was changed";
            SendMessageW(GetDlgItem(main.Hwnd(), app::IDC_CHECK1_1), BM_CLICK, 0, 0);
            RegDeleteKeyValueW(hive, app::kStartupApprovedKey, L"fy");
        }
}

// The Run key refuses this program: a key its administrator has closed to writes. The key's own security
// descriptor is put back however the test ends.
class DeniedRunKey {
public:
    DeniedRunKey() {
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, app::kRunKey, 0, READ_CONTROL | WRITE_DAC, &key_);
        DWORD size = 0;
        RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
        original_.resize(size);
        if (RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, original_.data(), &size) != ERROR_SUCCESS) return;
        PSECURITY_DESCRIPTOR denied = nullptr; // no setting of values, everything else as before
        if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;0x2;;;WD)(A;;KA;;;WD)", SDDL_REVISION_1,
                                                                 &denied, nullptr))
            denying_ = RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, denied) == ERROR_SUCCESS;
        LocalFree(denied);
    }
    ~DeniedRunKey() {
        if (denying_) RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, original_.data());
        if (key_) RegCloseKey(key_);
    }
    bool Denying() const { return denying_; }

private:
    HKEY key_ = nullptr;
    std::vector<BYTE> original_;
    bool denying_ = false;
};

TEST(StartWithWindows, AValueThatCannotBeWrittenIsToldAndTheBoxIsNotLeftTicked) {
    test::QuietPanels panels;
    RecordingHost host;
    app::frmmain main{panels.tray, {&panels.pro, &panels.dir, &panels.log}, host};
    ASSERT_TRUE(main.Load(96, nullptr, nullptr));
    const std::wstring before = test::RunValue();
    std::wstring said;
    {
        DeniedRunKey denied;
        ASSERT_TRUE(denied.Denying()) << "the Run key could not be closed to writes";
        test::Answerer told(L"#32770", L"Korimo", test::ReadAndConfirm(said));
        SendMessageW(GetDlgItem(main.Hwnd(), app::IDC_CHECK1_1), BM_CLICK, 0, 0);
    }
    EXPECT_NE(said.find(L"无法设置开机时启动"), std::wstring::npos);
    wchar_t self[MAX_PATH]{};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring path(self);
    EXPECT_NE(said.find(path.substr(0, path.find_last_of(L'.')) + L".EXE"), std::wstring::npos)
        << "the message names the path";
    EXPECT_EQ(Button_GetCheck(GetDlgItem(main.Hwnd(), app::IDC_CHECK1_1)), BST_UNCHECKED);
    EXPECT_EQ(test::RunValue(), before);

    // A program file that is not there is told the same way, the registry left alone.
    app::frmmain ghost{panels.tray, {&panels.pro, &panels.dir, &panels.log}, host, L"C:\\nowhere\\ghost.exe"};
    ASSERT_TRUE(ghost.Load(96, nullptr, nullptr));
    said.clear();
    {
        test::Answerer told(L"#32770", L"Korimo", test::ReadAndConfirm(said));
        SendMessageW(GetDlgItem(ghost.Hwnd(), app::IDC_CHECK1_1), BM_CLICK, 0, 0);
    }
    EXPECT_NE(said.find(L"C:\\nowhere\\ghost.EXE"), std::wstring::npos);
    EXPECT_EQ(test::RunValue(), before);

    // A program in a folder with a space in its name is written as a quoted command line, and the quotes are no
    // part of the file that must exist.
    const std::filesystem::path spaced = std::filesystem::temp_directory_path() / L"Korimo 测试" / L"guard.exe";
    std::filesystem::create_directories(spaced.parent_path());
    std::ofstream(spaced) << "guard";
    app::frmmain quoted{panels.tray, {&panels.pro, &panels.dir, &panels.log}, host, spaced.wstring()};
    ASSERT_TRUE(quoted.Load(96, nullptr, nullptr));
    SendMessageW(GetDlgItem(quoted.Hwnd(), app::IDC_CHECK1_1), BM_CLICK, 0, 0);
    EXPECT_EQ(test::RunValue(), L"\"" + (spaced.parent_path() / L"guard.EXE").wstring() + L"\"");
    std::filesystem::remove_all(spaced.parent_path());

    // The other two boxes rewrite the value silently: an empty value always goes in. The value is written (a
    // positive control that the click arrived), and no message box came.
    test::Answerer unexpected(L"#32770", L"Korimo", test::Confirm, 1000);
    SendMessageW(GetDlgItem(main.Hwnd(), app::IDC_CHECK1_0), BM_CLICK, 0, 0);
    EXPECT_EQ(test::RunValue(), L"");
    test::PumpFor(1100);
    EXPECT_FALSE(unexpected.Acted());
}
