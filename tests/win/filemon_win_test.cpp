// The file monitor for real: a file monitor window registered with the shell of this Wine session, notified
// through SHChangeNotify in this process (Wine delivers only those), reporting into a log model.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>
#include <windowsx.h>

#include <atomic>
#include <thread>

#include "alerts/frm_outputbox.h"
#include "alerts/frm_outputbox_layout.h"
#include "alerts/log_model.h"
#include "answerer.h"
#include "filemon/dir_form.h"
#include "filemon/dir_form_layout.h"
#include "quiet_services.h"

using namespace korimo;

namespace {

// The panel as the program holds it, its log a model of its own and its notices kept.
class FileMonitorTest : public testing::Test, public test::QuietHost {
protected:
    void SetUp() override {
        ASSERT_TRUE(panel.Load(96));
        ASSERT_TRUE(panel.IsRegistered());
    }
    void TearDown() override { panel.Unload(); }

    std::wstring Reported() const { return log.Text().substr(alerts::LogModel::Header().size()); }
    void Click(int id) { SendMessageW(GetDlgItem(panel.Hwnd(), id), BM_CLICK, 0, 0); }

    void Report(const std::wstring& title, const std::wstring& text) override {
        notices.push_back(title + L"|" + text);
    }
    void LogAndShow(const std::wstring& entry) override {
        log.Append(entry);
        ++appended;
    }
    bool LogEndsWith(std::wstring_view tail) const override { return log.EndsWith(tail); }

    alerts::LogModel log;
    std::atomic<int> appended{0};
    std::vector<std::wstring> notices;
    filemon::dir_form panel{*this};
};

// The date and time part of an entry: between "】" and the line break.
std::wstring WithoutDateTime(const std::wstring& entry) {
    const auto open = entry.find(L"】"), end = entry.find(L"\r\n");
    return entry.substr(0, open + 1) + entry.substr(end);
}

} // namespace

TEST_F(FileMonitorTest, CreatingAFileReportsItsPathNoticesAndFlashesSixTimes) {
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, L"C:\\测试目录\\新文件.txt", nullptr);
    EXPECT_EQ(WithoutDateTime(Reported()), L"【建立文件】\r\n路径：C:\\测试目录\\新文件.txt\r\n");
    EXPECT_NE(Reported().find(L"】2"), std::wstring::npos) << "the date and time follow the name";
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], L"建立文件|路径：C:\\测试目录\\新文件.txt\r\n");
    EXPECT_TRUE(test::WaitFor([&] { return panel.Flashes() >= 6; }, 3000)) << "the window did not flash six times";
    test::PumpFor(600); // three more periods of the flash timer
    EXPECT_EQ(panel.Flashes(), 6) << "the flashing did not stop at six";
}

// While a question waits in its modal loop, the shell's notifications (sent from the shell's thread) are
// still received and reported.
TEST_F(FileMonitorTest, NotificationsKeepArrivingWhileAQuestionWaits) {
    alerts::Frm_Outputbox box;
    std::atomic<bool> delivered{false}, beforeAnswer{false};
    std::thread shell;
    test::Answerer user(L"Korimo.Frm_Outputbox", nullptr, [&](HWND popup) {
        shell = std::thread([&] {
            SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, L"C:\\问题期间.txt", nullptr);
            delivered = true;
        });
        beforeAnswer = test::WaitFor([&] { return appended > 0; }, 5000);
        test::ClickWindow(GetDlgItem(popup, alerts::IDC_OUT_COMMAND1));
    });
    ASSERT_TRUE(box.outputbox(L"q", L"放过", L"关闭", L"强制关闭", 10, 1));
    test::WaitFor([&] { return delivered.load(); }, 5000); // its delivery may still wait for this thread
    if (shell.joinable()) shell.join();
    EXPECT_EQ(box.Ovalue, 1);
    EXPECT_TRUE(beforeAnswer) << "not reported while the question waited";
    EXPECT_NE(Reported().find(L"路径：C:\\问题期间.txt"), std::wstring::npos);
    EXPECT_EQ(appended.load(), 1);
}

TEST_F(FileMonitorTest, ARenameGivesTheOldAndTheNewPath) {
    SHChangeNotify(SHCNE_RENAMEITEM, SHCNF_PATHW, L"C:\\旧名.txt", L"C:\\新名.txt");
    EXPECT_EQ(WithoutDateTime(Reported()), L"【重命名文件】\r\n路径：C:\\旧名.txt\r\n改为：C:\\新名.txt\r\n");
}

TEST_F(FileMonitorTest, ARepeatIsDroppedOnlyWhileTheBoxIsTicked) {
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, L"C:\\r.txt", nullptr);
    SHChangeNotify(SHCNE_ATTRIBUTES, SHCNF_PATHW, L"C:\\r.txt", nullptr); // other event, same details
    EXPECT_EQ(notices.size(), 1u);
    Click(filemon::IDC_DIR_CHECK1_3);
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, L"C:\\r.txt", nullptr);
    EXPECT_EQ(notices.size(), 2u);
}

TEST_F(FileMonitorTest, AnUntickedSwitchDropsItsEvent) {
    Click(filemon::IDC_DIR_CHECK2_0 + 1); // 建立文件 off
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, L"C:\\off.txt", nullptr);
    EXPECT_TRUE(Reported().empty());
    SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHW, L"C:\\新目录", nullptr); // off at start
    EXPECT_TRUE(Reported().empty());
    SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW, L"C:\\gone.txt", nullptr);
    EXPECT_NE(Reported().find(L"【删除文件】"), std::wstring::npos);
}

TEST_F(FileMonitorTest, FreeSpaceGivesTheDriveLinesAndAnUnknownCodeAnEmptyName) {
    Click(filemon::IDC_DIR_CHECK2_0 + 18); // 磁盘空间大小改变 is off at start
    // The item the shell makes of a drive mask: its size, the mask, a second value, the terminator.
#pragma pack(push, 1)
    struct {
        USHORT size = 10;
        DWORD mask = 0x0000000C, unused = 0;
        USHORT end = 0;
    } drives;
#pragma pack(pop)
    SHChangeNotify(SHCNE_FREESPACE, SHCNF_IDLIST, &drives, nullptr);
    EXPECT_EQ(WithoutDateTime(Reported()), L"【磁盘空间大小改变】\r\nC:\\\r\nD:\\\r\n");
    // Wine's shell does not pass on a code with an extra bit; the window gets the message as the shell sends it.
    const std::wstring before = Reported();
    PIDLIST_ABSOLUTE item = ILCreateFromPathW(L"C:\\windows");
    ASSERT_TRUE(item);
    LPCITEMIDLIST items[2] = {item, nullptr};
    SendMessageW(panel.Hwnd(), filemon::WM_CHANGE_NOTIFY, reinterpret_cast<WPARAM>(items),
                 static_cast<LPARAM>(static_cast<LONG>(SHCNE_INTERRUPT | SHCNE_DELETE)));
    ILFree(item);
    ASSERT_GT(Reported().size(), before.size());
    EXPECT_EQ(WithoutDateTime(Reported().substr(before.size())), L"【】\r\n路径：C:\\windows\r\n");
}

TEST_F(FileMonitorTest, TheDetailsBoxShowsAndHidesTheTwoOptions) {
    HWND byName = GetDlgItem(panel.Hwnd(), filemon::IDC_DIR_OPTION1_0);
    ShowWindow(panel.Hwnd(), SW_SHOWNOACTIVATE);
    EXPECT_TRUE(IsWindowVisible(byName));
    Click(filemon::IDC_DIR_CHECK1_0);
    EXPECT_FALSE(GetWindowLongW(byName, GWL_STYLE) & WS_VISIBLE);
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, L"C:\\quiet.txt", nullptr);
    EXPECT_TRUE(Reported().empty()) << "no details and repeats dropped: nothing to report";
    Click(filemon::IDC_DIR_CHECK1_0);
    EXPECT_TRUE(GetWindowLongW(byName, GWL_STYLE) & WS_VISIBLE);
    Click(filemon::IDC_DIR_OPTION1_0);
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, L"C:\\named.txt", nullptr);
    EXPECT_EQ(WithoutDateTime(Reported()), L"【建立文件】\r\n名字：named.txt\r\n");
}

TEST(WindowHook, ASecondHookFailsWithTheMessageAndUnhookingRestoresTheProcedure) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const LONG_PTR original = GetWindowLongPtrW(window, GWLP_WNDPROC);
    struct Sink final : filemon::NotificationSink {
        void NotificationReceipt(WPARAM, LPARAM) override {}
    } sink;
    {
        filemon::WindowHook hook, second;
        ASSERT_TRUE(hook.SubclassWindow(window, sink));
        const LONG_PTR hooked = GetWindowLongPtrW(window, GWLP_WNDPROC);
        EXPECT_NE(hooked, original);
        EXPECT_EQ(GetPropW(window, L"OldWndProc"), reinterpret_cast<HANDLE>(original));
        std::wstring said;
        {
            test::Answerer told(L"#32770", L"Korimo", test::ReadAndConfirm(said));
            EXPECT_FALSE(second.SubclassWindow(window, sink));
        }
        EXPECT_EQ(said, L"Unable to successfully subclass " + filemon::HexHandle(window));
        EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), hooked) << "a second hook changed the window";
        EXPECT_TRUE(hook.UnsubclassWindow());
        EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), original);
        EXPECT_FALSE(GetPropW(window, L"OldWndProc"));
        EXPECT_FALSE(hook.UnsubclassWindow());
        ASSERT_TRUE(hook.SubclassWindow(window, sink)); // hooked again, and let go with its holder
    }
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), original) << "the hook outlived its holder";
    EXPECT_FALSE(GetPropW(window, L"OldWndProc"));
    DestroyWindow(window);
    EXPECT_EQ(filemon::HexHandle(reinterpret_cast<HWND>(0x1A2B4)), L"&H1A2B4");
}

TEST(ShellRegistration, MadeOnceAndEndedOnce) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    filemon::ShellRegistration registration;
    EXPECT_FALSE(registration.UnregisterShellNotify());
    ASSERT_TRUE(registration.RegisterShellNotify(window));
    EXPECT_FALSE(registration.RegisterShellNotify(window)) << "a second registration was made";
    EXPECT_TRUE(registration.UnregisterShellNotify());
    EXPECT_FALSE(registration.IsRegistered());
    EXPECT_FALSE(registration.UnregisterShellNotify());
    DestroyWindow(window);
}
