// The process monitor in the real korimo.exe: a test program opens a window titled in Chinese; Korimo logs it,
// asks about it, and closes it through its batch file as the user answers.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "../support/desktop.h"
#include "../support/tray_probe.h"
#include "alerts/frm_outputbox_layout.h"
#include "alerts/log_form_layout.h"
#include "app/frmmain_layout.h"
#include "korimo_process.h"
#include "procmon/pro_form_layout.h"
#include "ui/messages.h"

using namespace korimo;
using namespace korimo::e2e;

namespace {

// A program with one titled window; ended at the end of the test if Korimo did not end it.
class TitledProgram {
public:
    // With a count, the program opens that many windows, titled "<title> 1" … "<title> n"; a mode changes what
    // it does (titled_window.cpp). The mode "console" starts cmd.exe instead, in a console window titled `title`.
    TitledProgram(const std::wstring& path, std::wstring title, int count = 0, const std::wstring& mode = L"") {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        std::wstring commandLine = L"\"" + path + L"\" \"" + title + L"\"";
        if (count || !mode.empty()) commandLine += L" " + std::to_wstring(count);
        if (!mode.empty()) commandLine += L" " + mode;
        const bool console = mode == L"console";
        if (console) commandLine = L"cmd.exe /k", startup.lpTitle = title.data();
        started_ = CreateProcessW(console ? nullptr : path.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                  console ? CREATE_NEW_CONSOLE : 0, nullptr, nullptr, &startup, &info_);
    }
    ~TitledProgram() {
        if (!started_) return;
        if (!HasExited()) TerminateProcess(info_.hProcess, 1);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    bool Started() const { return started_; }
    DWORD Pid() const { return info_.dwProcessId; }
    bool HasExited(DWORD timeoutMs = 0) const { return test::WaitForExit(info_.hProcess, timeoutMs); }

private:
    PROCESS_INFORMATION info_{};
    bool started_ = false;
};

// The batch calls the system's own taskkill by its full path.
const std::string kTaskkill = "\"C:\\windows\\system32\\taskkill.exe\"";

// A log file holds the log text in the ANSI code page.
std::string Ansi(const std::wstring& text) {
    std::string bytes(static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                                              nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                        static_cast<int>(bytes.size()), nullptr, nullptr);
    return bytes;
}

std::wstring Question(const std::wstring& path) { return L"Korimo进程监视系统发现" + path + L"正在启动或正在被调用"; }

std::wstring SystemFolder() {
    wchar_t system[MAX_PATH]{};
    GetSystemDirectoryW(system, MAX_PATH);
    return system;
}

class ProcessMonitorTest : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove(Batch());
        ASSERT_TRUE(run->Start());
    }

    static std::filesystem::path Batch() { return std::filesystem::path(ProgramFolder()) / L"tasklill.bat"; }

    HWND Popup() const {
        HWND popup = run->Panel(L"Korimo.Frm_Outputbox");
        return popup && IsWindowVisible(popup) ? popup : nullptr;
    }

    // Waits for the question with this message; questions about other programs (such as the console of the
    // batch file) are let pass.
    HWND WaitForQuestion(const std::wstring& message, DWORD timeoutMs = 8000) {
        HWND found = nullptr;
        test::WaitFor(
            [&] {
                HWND popup = Popup();
                if (!popup) return false;
                if (test::ControlText(GetDlgItem(popup, alerts::IDC_OUT_MSGLABEL)) == message) return (found = popup) != nullptr;
                PostMessageW(GetDlgItem(popup, alerts::IDC_OUT_COMMAND1), BM_CLICK, 0, 0);
                Sleep(300);
                return false;
            },
            timeoutMs);
        return found;
    }

    // The log as its view shows it, once the view holds `expected` and has caught up with the log (the same
    // text over more than two of its update periods).
    std::wstring LogText(const std::wstring& expected = L"") const {
        HWND view = GetDlgItem(run->Panel(L"Korimo.log_form"), alerts::IDC_LOG_TEXT1);
        std::wstring text;
        const bool settled = test::WaitFor(
            [&] {
                std::wstring now = test::ControlText(view);
                const bool same = now == text && now.find(expected) != std::wstring::npos;
                text = std::move(now);
                return same;
            },
            8000, 250);
        EXPECT_TRUE(settled) << "the log's view never settled on an entry the test expected";
        return text;
    }

    // A window the process monitor can see: the program's titled window is on screen.
    static bool ShowsItsWindow(const TitledProgram& program) {
        return test::WaitFor([&] { return !test::TopLevelWindows(program.Pid(), true).empty(); }, 5000);
    }

    // Closes a window as another program would, and returns once the window has handled the request.
    static void SendClose(HWND window) {
        DWORD_PTR ignored = 0;
        EXPECT_TRUE(SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored));
    }

    // A copy of the test program under the same file name in a folder of its own.
    static std::wstring Namesake() {
        const std::filesystem::path folder = std::filesystem::path(ProgramFolder()) / L"namesake";
        std::filesystem::create_directories(folder);
        const std::filesystem::path copy = folder / std::filesystem::path(TitledWindowPath()).filename();
        if (!std::filesystem::exists(copy)) std::filesystem::copy_file(TitledWindowPath(), copy);
        return copy.wstring();
    }

    HWND ProControl(int id) const { return GetDlgItem(run->Panel(L"Korimo.pro_form"), id); }

    void OpenProcessPanel() {
        ASSERT_TRUE(run->BringUpMainWindow());
        test::ClickWindow(GetDlgItem(run->Main(), app::IDC_COMMAND1));
        ASSERT_TRUE(test::WaitFor([&] { return IsWindowVisible(run->Panel(L"Korimo.pro_form")); }, 8000));
    }

    // Answers "放过" to the question about this program, once it comes.
    void LetPass(const std::wstring& path) {
        HWND popup = WaitForQuestion(Question(path));
        ASSERT_TRUE(popup) << "no question about a program the test started";
        test::ClickWindow(GetDlgItem(popup, alerts::IDC_OUT_COMMAND1));
        ASSERT_TRUE(test::WaitFor([&] { return !Popup(); }, 8000));
    }

    void LetEveryQuestionPass(DWORD forMs) {
        test::WaitFor(
            [&] {
                if (HWND popup = Popup()) PostMessageW(GetDlgItem(popup, alerts::IDC_OUT_COMMAND1), BM_CLICK, 0, 0);
                return false;
            },
            forMs, 200);
    }

    KorimoProcess korimo;
    KorimoProcess* run = &korimo; // the run the helpers look at
};

} // namespace

// "关闭" closes the program asked about and the other instances of the same file, by their ids; a program of
// the same name from another folder lives on.
TEST_F(ProcessMonitorTest, AStartedProgramIsLoggedAskedAboutAndClosedPolitelyWithItsOwnInstancesOnly) {
    const std::wstring namesakePath = Namesake();
    TitledProgram namesake(namesakePath, L"测试窗口-同名");
    LetPass(namesakePath);
    TitledProgram instance(TitledWindowPath(), L"测试窗口-甲二");
    LetPass(TitledWindowPath());
    TitledProgram program(TitledWindowPath(), L"测试窗口-甲");
    ASSERT_TRUE(program.Started());
    HWND popup = WaitForQuestion(Question(TitledWindowPath()));
    ASSERT_TRUE(popup) << "no question about the test program";
    EXPECT_EQ(test::WindowText(GetDlgItem(popup, alerts::IDC_OUT_COMMAND1)), L"放过");
    EXPECT_EQ(test::WindowText(GetDlgItem(popup, alerts::IDC_OUT_COMMAND2)), L"关闭");
    EXPECT_EQ(test::WindowText(GetDlgItem(popup, alerts::IDC_OUT_COMMAND3)), L"强制关闭");
    const std::wstring entry = L"【开启进程】\r\n标题：测试窗口-甲\r\n路径：" + TitledWindowPath() + L"\r\nPID：" +
                               std::to_wstring(program.Pid()) + L"\r\n";
    const std::wstring log = LogText(entry);
    const auto at = log.find(entry);
    ASSERT_NE(at, std::wstring::npos);
    const std::wstring after = log.substr(at + entry.size()); // only entries reported later may follow it
    EXPECT_TRUE(after.empty() || after.starts_with(L"【")) << "the entry is not whole at the bottom of the log";

    test::ClickWindow(GetDlgItem(popup, alerts::IDC_OUT_COMMAND2));
    EXPECT_TRUE(test::WaitFor([&] { return std::filesystem::exists(Batch()); }, 5000));
    EXPECT_EQ(test::ReadBytes(Batch()), kTaskkill + " /PID " + std::to_string(program.Pid()) + " /PID " +
                                      std::to_string(instance.Pid()) + "\r\n");
    EXPECT_TRUE(program.HasExited(15000)) << "the polite close did not end the program";
    EXPECT_TRUE(instance.HasExited(15000)) << "another instance of the same file was left";
    EXPECT_FALSE(namesake.HasExited(1000)) << "a program of the same name from another folder was closed";
    LetEveryQuestionPass(500);
}

// The program asked about ends by itself while the question waits: "强制关闭" closes nothing, not even a
// namesake from another folder, and says so; the next force close ends its program by id.
TEST_F(ProcessMonitorTest, ForceCloseEndsTheProgramByIdAndAProgramThatHasEndedIsToldNotHit) {
    TitledProgram namesake(Namesake(), L"测试窗口-同名乙");
    LetPass(Namesake());
    HWND popup = nullptr;
    {
        TitledProgram gone(TitledWindowPath(), L"测试窗口-去");
        popup = WaitForQuestion(Question(TitledWindowPath()));
        ASSERT_TRUE(popup);
        TerminateProcess(OpenProcess(PROCESS_TERMINATE, FALSE, gone.Pid()), 0);
        ASSERT_TRUE(gone.HasExited(5000));
        test::ClickWindow(GetDlgItem(popup, alerts::IDC_OUT_COMMAND3));
        HWND told = korimo.WaitForMessageBox(8000);
        ASSERT_TRUE(told) << "the user was not told that the program has ended";
        EXPECT_TRUE(test::FindChildByText(told, L"程序\n" + TitledWindowPath() + L"\n已经结束，没有关闭任何进程。"));
        test::ClickWindow(GetDlgItem(told, IDOK));
    }
    EXPECT_FALSE(std::filesystem::exists(Batch())) << "a batch was written for a program that had ended";
    EXPECT_FALSE(namesake.HasExited(1000)) << "the namesake was hit";

    TitledProgram program(TitledWindowPath(), L"测试窗口-乙");
    popup = WaitForQuestion(Question(TitledWindowPath()));
    ASSERT_TRUE(popup);
    test::ClickWindow(GetDlgItem(popup, alerts::IDC_OUT_COMMAND3));
    EXPECT_TRUE(program.HasExited(15000));
    EXPECT_EQ(test::ReadBytes(Batch()), kTaskkill + " /F /PID " + std::to_string(program.Pid()) + "\r\n");
    LetEveryQuestionPass(500);
}

TEST_F(ProcessMonitorTest, AQuestionLeftUnansweredLetsTheProgramRun) {
    TitledProgram program(TitledWindowPath(), L"测试窗口-丙");
    HWND popup = WaitForQuestion(Question(TitledWindowPath()));
    ASSERT_TRUE(popup);
    // The tray does not bring the main window up beside a question, neither then nor once it is answered.
    const auto icon = test::FindTrayIcon(kTrayTip);
    ASSERT_TRUE(icon);
    test::DoubleClickTrayIcon(*icon);
    EXPECT_TRUE(test::WaitFor([&] { return !IsWindowVisible(popup); }, 14000)) << "the countdown did not answer";
    EXPECT_FALSE(IsWindowVisible(korimo.Main()));
    // The same double-click, now that no question waits, does: the gesture reaches Korimo. Its one thread acted on
    // the countdown's answer before it: a close would have written its batch by now.
    ASSERT_TRUE(korimo.BringUpMainWindow());
    EXPECT_FALSE(std::filesystem::exists(Batch())) << "the countdown's answer closed the program";
}

TEST_F(ProcessMonitorTest, WithAutomaticMonitoringOffOnlyTheCheckButtonReports) {
    OpenProcessPanel();
    test::ClickWindow(ProControl(procmon::IDC_PRO_CHECK2_0));
    test::ClickWindow(ProControl(procmon::IDC_PRO_CHECK2_2)); // and closed programs are reported
    TitledProgram program(TitledWindowPath(), L"测试窗口-丁");
    ASSERT_TRUE(ShowsItsWindow(program));
    EXPECT_FALSE(test::WaitFor([&] { return Popup() != nullptr; }, 3000)) << "a check ran with automatic monitoring off";
    EXPECT_EQ(LogText().find(L"测试窗口-丁"), std::wstring::npos);

    test::ClickWindow(ProControl(procmon::IDC_PRO_PRODO));
    HWND popup = WaitForQuestion(Question(TitledWindowPath()), 5000);
    ASSERT_TRUE(popup);
    test::ClickWindow(GetDlgItem(popup, alerts::IDC_OUT_COMMAND1));
    ASSERT_TRUE(test::WaitFor([&] { return !Popup(); }, 8000));

    TerminateProcess(OpenProcess(PROCESS_TERMINATE, FALSE, program.Pid()), 0);
    ASSERT_TRUE(program.HasExited(5000));
    test::ClickWindow(ProControl(procmon::IDC_PRO_PRODO));
    const std::wstring closed = L"【关闭进程】\r\n标题：测试窗口-丁\r\n";
    EXPECT_NE(LogText(closed).find(closed), std::wstring::npos);
}

TEST_F(ProcessMonitorTest, AnEmptyPeriodStopsTheChecksAndANewOneStartsThem) {
    HWND period = ProControl(procmon::IDC_PRO_PROTEXTT);
    SendMessageW(period, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    TitledProgram program(TitledWindowPath(), L"测试窗口-戊");
    ASSERT_TRUE(ShowsItsWindow(program));
    EXPECT_FALSE(test::WaitFor([&] { return Popup() != nullptr; }, 3000)) << "checks went on with an empty period";
    SendMessageW(period, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"300"));
    EXPECT_TRUE(WaitForQuestion(Question(TitledWindowPath()), 5000)) << "the new period did not start the checks";
    LetEveryQuestionPass(500);
}

TEST_F(ProcessMonitorTest, TheIgnoreListComparesImageNamesCaseSensitively) {
    const std::filesystem::path folder = std::filesystem::path(ProgramFolder()) / L"ignore";
    std::filesystem::create_directories(folder);
    const std::filesystem::path ignored = folder / L"Explorer.EXE", asked = folder / L"lower" / L"explorer.exe";
    std::filesystem::create_directories(folder / L"lower");
    std::filesystem::copy_file(TitledWindowPath(), ignored, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(TitledWindowPath(), asked, std::filesystem::copy_options::overwrite_existing);

    TitledProgram quiet(ignored.wstring(), L"测试窗口-己");
    EXPECT_FALSE(WaitForQuestion(Question(ignored.wstring()), 4000)) << "an ignored image name was asked about";
    EXPECT_NE(LogText(L"标题：测试窗口-己").find(L"标题：测试窗口-己"), std::wstring::npos) << "but it is still logged";

    // The same name in other letters is asked about. It is called explorer.exe, like the desktop shell:
    // "强制关闭" ends it by its id, and the shell, its tray and Korimo's icon in it live on.
    TitledProgram other(asked.wstring(), L"测试窗口-庚");
    HWND popup = WaitForQuestion(Question(asked.wstring()), 5000);
    ASSERT_TRUE(popup);
    HWND shellTray = FindWindowW(L"Shell_TrayWnd", nullptr);
    ASSERT_TRUE(shellTray);
    test::ClickWindow(GetDlgItem(popup, alerts::IDC_OUT_COMMAND3));
    EXPECT_TRUE(other.HasExited(15000));
    EXPECT_EQ(test::ReadBytes(Batch()), kTaskkill + " /F /PID " + std::to_string(other.Pid()) + "\r\n")
        << "another explorer.exe, or the shell, is in the batch";
    EXPECT_TRUE(IsWindow(shellTray)) << "the desktop shell's tray went";
    EXPECT_TRUE(test::FindTrayIcon(kTrayTip)) << "Korimo's tray icon went";
    LetEveryQuestionPass(500);
}

// Hostile names: a program that shares Korimo's image name (from another folder), one whose name the code page
// cannot hold, and a taskkill planted beside korimo.exe. Each program asked about closes by its process id alone,
// so the namesake goes and Korimo, never in the batch, goes on reporting; the planted file never runs. The batch
// runs without a console: the console window of another program is reported, the batch's never is.
TEST_F(ProcessMonitorTest, ANamesakeOfKorimoClosesByItsIdAPlantedTaskkillNeverRunsAndTheBatchShowsNoConsole) {
    const std::filesystem::path folder = std::filesystem::path(ProgramFolder()) / L"hostile";
    std::filesystem::create_directories(folder);
    for (const wchar_t* planted : {L"taskkill.bat", L"taskkill.cmd"})
        std::ofstream(std::filesystem::path(ProgramFolder()) / planted) << "echo planted> \"" << "%~dp0planted.txt\"\r\n";
    const std::filesystem::path namesake = folder / L"korimo.exe", emoji = folder / L"\U0001F600.exe";
    for (const auto& copy : {namesake, emoji})
        std::filesystem::copy_file(TitledWindowPath(), copy, std::filesystem::copy_options::overwrite_existing);

    const struct {
        std::filesystem::path program;
        int answer;
        const char* switches;
    } cases[] = {{namesake, alerts::IDC_OUT_COMMAND3, " /F /PID "}, {namesake, alerts::IDC_OUT_COMMAND2, " /PID "},
                 {emoji, alerts::IDC_OUT_COMMAND2, " /PID "}};
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.switches);
        TitledProgram program(c.program.wstring(), L"测试窗口-敌" + std::to_wstring(++n));
        ASSERT_TRUE(program.Started());
        HWND popup = WaitForQuestion(Question(c.program.wstring()));
        ASSERT_TRUE(popup);
        test::ClickWindow(GetDlgItem(popup, c.answer));
        EXPECT_TRUE(program.HasExited(15000)) << "the program asked about is still running";
        EXPECT_EQ(test::ReadBytes(Batch()), kTaskkill + c.switches + std::to_string(program.Pid()) + "\r\n");
    }
    // A second copy of Korimo refuses to start: its box is Korimo's own, not a started program.
    KorimoProcess second;
    ASSERT_TRUE(second.Start(false));
    ASSERT_TRUE(second.WaitForMessageBox(10000));
    TitledProgram later(TitledWindowPath(), L"测试窗口-后");
    EXPECT_TRUE(WaitForQuestion(Question(TitledWindowPath()))) << "Korimo stopped reporting";
    TitledProgram console(L"", L"测试控制台", 0, L"console");
    LetEveryQuestionPass(2000);
    const std::wstring log = LogText(L"标题：测试控制台");
    EXPECT_NE(log.find(L"【开启进程】\r\n标题：测试控制台\r\n"), std::wstring::npos) << "a console window is not reported";
    EXPECT_EQ(log.find(L"标题：提示"), std::wstring::npos) << "the second copy's box was reported";
    EXPECT_EQ(log.find(L"tasklill.bat"), std::wstring::npos) << "the batch's console was reported";
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(ProgramFolder()) / L"planted.txt"));
    for (const wchar_t* planted : {L"taskkill.bat", L"taskkill.cmd"})
        std::filesystem::remove(std::filesystem::path(ProgramFolder()) / planted);
}

// A Store app's titled window is a frame of the app frame host, with the app's own window inside it (both shapes
// here are test programs, the frame host planted in the system folder). Korimo asks about the app, and "关闭"
// closes that app alone: the frame host and its other frame live on. A frame with no app in it is asked about
// under the frame host's path, and no answer closes it, since that would close every Store app.
TEST_F(ProcessMonitorTest, AStoreAppIsAskedAboutAsItselfAndClosedAloneAndItsFrameHostNever) {
    if (!test::UnderWine()) GTEST_SKIP() << "plants a test program as the system's frame host: under Wine only";
    const std::wstring hostPath = SystemFolder() + L"\\ApplicationFrameHost.exe";
    std::filesystem::copy_file(TitledWindowPath(), hostPath, std::filesystem::copy_options::overwrite_existing);
    OpenProcessPanel();
    test::ClickWindow(ProControl(procmon::IDC_PRO_CHECK2_0)); // one check, on "检验", once both shapes stand
    TitledProgram host(hostPath, L"商店应用框架", 2, L"frame");
    HWND frame = nullptr, other = nullptr;
    ASSERT_TRUE(test::WaitFor([&] {
        return (frame = FindWindowW(nullptr, L"商店应用框架 1")) && (other = FindWindowW(nullptr, L"商店应用框架 2"));
    }, 8000));
    TitledProgram app(TitledWindowPath(), L"商店应用框架 1", 0, L"app");
    ASSERT_TRUE(test::WaitFor([&] { return test::ProcessOf(GetWindow(frame, GW_CHILD)) == app.Pid(); }, 8000));
    test::ClickWindow(ProControl(procmon::IDC_PRO_PRODO));
    std::set<std::wstring> asked;
    std::wstring told;
    while (asked.size() < 2) { // the two questions in the order of the windows, each answered once
        HWND popup = nullptr;
        std::wstring question;
        ASSERT_TRUE(test::WaitFor([&] {
            popup = Popup();
            question = popup ? test::ControlText(GetDlgItem(popup, alerts::IDC_OUT_MSGLABEL)) : L"";
            return popup && asked.insert(question).second;
        }, 8000));
        const bool aboutHost = question == Question(hostPath);
        test::ClickWindow(GetDlgItem(popup, aboutHost ? alerts::IDC_OUT_COMMAND3 : alerts::IDC_OUT_COMMAND2));
        HWND box = aboutHost ? korimo.WaitForMessageBox(8000) : nullptr;
        told += box ? test::ControlText(GetDlgItem(box, 0xFFFF)) : L"";
        if (box) test::ClickWindow(GetDlgItem(box, IDOK));
    }
    EXPECT_EQ(asked, (std::set{Question(hostPath), Question(TitledWindowPath())})) << "not asked about the app";
    EXPECT_NE(told.find(L"应用框架宿主程序"), std::wstring::npos) << "not told why the frame host stays";
    EXPECT_TRUE(app.HasExited(15000)) << "the Store app was not closed";
    const std::wstring entry = L"【开启进程】\r\n标题：商店应用框架 1\r\n路径：" + TitledWindowPath() + L"\r\nPID：" +
                               std::to_wstring(app.Pid()) + L"\r\n";
    EXPECT_NE(LogText(entry).find(entry), std::wstring::npos);
    EXPECT_FALSE(host.HasExited(1000)) << "the frame host was closed";
    EXPECT_TRUE(IsWindow(other)) << "another Store app's frame went";
    EXPECT_FALSE(std::filesystem::exists(Batch())) << "a batch was run";
}

// Under Wine every console window is the console host's (conhost.exe from the system folder), as a console's host
// is on Windows: "关闭" of one console closes that host process alone, never the hosts of the user's other consoles,
// and the log says why.
TEST_F(ProcessMonitorTest, ClosingASharedHostClosesTheProcessAskedAboutAloneAndTheLogSaysSo) {
    const std::wstring conhost = SystemFolder() + L"\\conhost.exe";
    TitledProgram kept(L"", L"测试控制台-留", 0, L"console");
    LetPass(conhost);
    TitledProgram closed(L"", L"测试控制台-关", 0, L"console");
    HWND popup = WaitForQuestion(Question(conhost));
    ASSERT_TRUE(popup);
    test::ClickWindow(GetDlgItem(popup, alerts::IDC_OUT_COMMAND2));
    const std::wstring said = L"【关闭宿主进程】\r\n路径：" + conhost + L"\r\nPID：";
    EXPECT_NE(LogText(said).find(said), std::wstring::npos);
    EXPECT_TRUE(closed.HasExited(15000)) << "the console asked about was not closed";
    EXPECT_FALSE(kept.HasExited(1000)) << "another console's host was closed with it";
}

// The batch cannot be swapped between Korimo's writing and cmd.exe's reading: a Windows program that rewrites it
// the moment it can open it for writing gets it only once cmd.exe is done with it, and its batch never runs.
TEST_F(ProcessMonitorTest, ABatchRewrittenTheMomentItAppearsNeverRuns) {
    const std::filesystem::path ran = std::filesystem::path(ProgramFolder()) / L"swapped.txt";
    std::filesystem::remove(ran);
    TitledProgram swapper(TitledWindowPath(), Batch().wstring(), 0, L"swap");
    TitledProgram program(TitledWindowPath(), L"测试窗口-换");
    HWND popup = WaitForQuestion(Question(TitledWindowPath()));
    ASSERT_TRUE(popup);
    test::ClickWindow(GetDlgItem(popup, alerts::IDC_OUT_COMMAND2));
    EXPECT_TRUE(program.HasExited(15000)) << "Korimo's own batch did not run";
    EXPECT_TRUE(test::WaitFor([&] { return test::ReadBytes(Batch()) == "echo swapped> swapped.txt\r\n"; }, 10000))
        << "the swapper never got the file, so its failure to swap proves nothing";
    EXPECT_FALSE(std::filesystem::exists(ran)) << "the swapped batch ran";
}

// Only the program's own close ends anything: WM_CLOSE from outside hides a panel or the about box and the pop-up
// keeps its question; WM_CLOSE to the main window ends Korimo in order, the waiting question withdrawn at once
// and nothing closed, with every entry in the saved log.
TEST_F(ProcessMonitorTest, OnlyTheMainWindowsCloseEndsKorimoAndTheWaitingQuestionEndsWithIt) {
    const std::filesystem::path logs = std::filesystem::path(ProgramFolder()) / L"log";
    std::filesystem::remove_all(logs); // earlier tests' runs saved theirs
    OpenProcessPanel();
    test::ClickWindow(test::FindChildByText(korimo.Main(), L"Velmora 作品"));
    ASSERT_TRUE(test::WaitFor([&] { return IsWindowVisible(korimo.Panel(L"Korimo.frm_maker")); }, 8000));
    for (const wchar_t* cls : {L"Korimo.pro_form", L"Korimo.dir_form", L"Korimo.log_form", L"Korimo.frm_maker"}) {
        HWND window = korimo.Panel(cls);
        ASSERT_TRUE(window) << cls;
        SendClose(window);
        EXPECT_TRUE(IsWindow(window) && !IsWindowVisible(window)) << cls << " was not hidden";
    }
    EXPECT_FALSE(korimo.WaitForMessageBox(500)) << "a panel's close said something";
    TitledProgram first(TitledWindowPath(), L"测试窗口-留");
    ASSERT_TRUE(WaitForQuestion(Question(TitledWindowPath())));
    LetEveryQuestionPass(1000);
    TitledProgram second(TitledWindowPath(), L"测试窗口-问");
    HWND popup = WaitForQuestion(Question(TitledWindowPath()));
    ASSERT_TRUE(popup);
    SendClose(popup);
    EXPECT_TRUE(IsWindowVisible(popup)) << "the pop-up left its question";
    const std::wstring shown = LogText(L"标题：测试窗口-问");

    PostMessageW(korimo.Main(), WM_CLOSE, 0, 0);
    HWND box = korimo.WaitForMessageBox(10000);
    ASSERT_TRUE(box);
    EXPECT_FALSE(IsWindowVisible(popup)) << "the pop-up outlived its question";
    test::ClickWindow(GetDlgItem(box, IDOK));
    ASSERT_TRUE(korimo.HasExited(10000));
    EXPECT_FALSE(std::filesystem::exists(Batch())) << "a withdrawn question closed a program";
    std::vector<std::filesystem::path> files;
    for (const auto& file : std::filesystem::directory_iterator(logs)) files.push_back(file.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_NE(shown.find(L"测试窗口-问"), std::wstring::npos);
    EXPECT_EQ(test::ReadBytes(files[0]), Ansi(shown) + "\r\n") << "the saved log is not the log the views showed";
}

namespace {
// The journal's bytes: UTF-8 after a byte-order mark.
std::string JournalBytes(const std::wstring& text) {
    const std::u8string utf8 = std::filesystem::path(text).u8string();
    return "\xEF\xBB\xBF" + std::string(utf8.begin(), utf8.end());
}

// The text of a journal: its UTF-8 after the byte-order mark.
std::wstring JournalText(const std::string& bytes) {
    const std::string utf8 = bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())).wstring();
}

std::size_t Count(const std::wstring& text, const std::wstring& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::wstring::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

std::set<std::filesystem::path> FilesIn(const std::filesystem::path& folder) {
    std::set<std::filesystem::path> files;
    for (const auto& file : std::filesystem::directory_iterator(folder)) files.insert(file.path());
    return files;
}

// Waits for a balloon with this title whose text holds every one of the parts.
bool BalloonSays(const wchar_t* title, const std::vector<std::wstring>& parts) {
    return test::WaitFor(
        [&] {
            const auto balloon = test::CurrentBalloon();
            if (!balloon || balloon->title != title) return false;
            for (const std::wstring& part : parts)
                if (balloon->text.find(part) == std::wstring::npos) return false;
            return true;
        },
        8000);
}
} // namespace

// The log survives a kill: the journal holds every entry within about a second, and the next start turns it
// into a regular log file and says so. A journal that another process holds open is a running copy's (another
// user's, another session's): a start leaves it whole and says nothing of it, the run journals under another name,
// and the start after recovers both. An orderly end and unticking "自动保存日志" leave no journal.
TEST_F(ProcessMonitorTest, AKilledRunsLogIsRecoveredWholeAtTheNextStart) {
    const std::filesystem::path logs = std::filesystem::path(ProgramFolder()) / L"log";
    const std::filesystem::path journal = logs / L"korimo-journal.log";
    const std::filesystem::path secondJournal = logs / L"korimo-journal (2).log";
    std::filesystem::remove_all(logs);
    // Logs a program, waits until the journal has caught up with the views, and kills the run.
    const auto logAndKill = [&](KorimoProcess& process, const wchar_t* title, const std::filesystem::path& into) {
        TitledProgram program(TitledWindowPath(), title);
        HWND popup = WaitForQuestion(Question(TitledWindowPath()));
        EXPECT_TRUE(popup);
        if (popup) test::ClickWindow(GetDlgItem(popup, alerts::IDC_OUT_COMMAND1));
        std::wstring shown;
        EXPECT_TRUE(test::WaitFor(
            [&] {
                shown = LogText(title);
                return test::ReadBytes(into) == JournalBytes(shown);
            },
            5000))
            << "the journal did not catch up with the log";
        TerminateProcess(process.Handle(), 1);
        EXPECT_TRUE(process.HasExited(5000));
        return shown;
    };
    const std::wstring shown = logAndKill(korimo, L"测试窗口-存", journal);
    const std::string firstJournal = test::ReadBytes(journal);

    HANDLE held = CreateFileW(journal.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    KorimoProcess second;
    const bool started = second.Start();
    run = &second;
    // Balloons shown within two seconds replace each other: the minimised notice is what stays when no notice
    // about the journal came after it.
    const bool quiet = started && BalloonSays(L"提示：", {L"Korimo已经最小化到托盘！"});
    // This run is killed in the middle of a burst of reports (no questions, 300 windows at once): its journal
    // holds whole entries only, as far as the log had come.
    std::wstring shownSecond;
    if (started) {
        OpenProcessPanel();
        test::ClickWindow(ProControl(procmon::IDC_PRO_CHECK2_1));
        TitledProgram burst(TitledWindowPath(), L"测试窗口-群", 300);
        HWND view = GetDlgItem(second.Panel(L"Korimo.log_form"), alerts::IDC_LOG_TEXT1);
        // In the middle of the burst, once its journal holds some of it (it is written a second after an entry).
        EXPECT_TRUE(test::WaitFor([&] {
            return Count(test::ControlText(view), L"标题：测试窗口-群") >= 20 &&
                   JournalText(test::ReadBytes(secondJournal)).find(L"标题：测试窗口-群") != std::wstring::npos;
        }, 15000));
        const std::wstring before = test::ControlText(view);
        TerminateProcess(second.Handle(), 1);
        EXPECT_TRUE(second.HasExited(5000));
        shownSecond = JournalText(test::ReadBytes(secondJournal));
        EXPECT_LT(Count(before, L"标题：测试窗口-群"), 300u) << "the burst was over before the kill";
        EXPECT_TRUE(shownSecond.starts_with(before) || before.starts_with(shownSecond)) << "the journal is not the log";
        EXPECT_TRUE(shownSecond.ends_with(L"\r\n") && Count(shownSecond, L"【开启进程】") == Count(shownSecond, L"PID："))
            << "the journal ends inside an entry";
    }
    CloseHandle(held);
    ASSERT_TRUE(started);
    EXPECT_TRUE(quiet) << "the start spoke of a journal another process holds";
    EXPECT_EQ(FilesIn(logs), (std::set{journal, secondJournal})) << "the kept journal became a file or went";
    EXPECT_EQ(test::ReadBytes(journal), firstJournal) << "the new run touched the journal it could not recover";

    KorimoProcess next;
    ASSERT_TRUE(next.Start());
    run = &next;
    std::set<std::string> contents;
    std::vector<std::wstring> names;
    for (const auto& file : FilesIn(logs)) {
        contents.insert(test::ReadBytes(file));
        names.push_back(file.filename().wstring());
    }
    ASSERT_EQ(names.size(), 2u) << "the two journals did not become two log files";
    EXPECT_EQ(contents, (std::set{Ansi(shown) + "\r\n", Ansi(shownSecond) + "\r\n"}))
        << "the recovered logs are not the logs the views showed";
    EXPECT_TRUE(BalloonSays(L"提示：", names)) << "the recovery was not told";

    TitledProgram again(TitledWindowPath(), L"测试窗口-再");
    ASSERT_TRUE(WaitForQuestion(Question(TitledWindowPath())));
    LetEveryQuestionPass(1500);
    ASSERT_TRUE(std::filesystem::exists(journal));
    ASSERT_TRUE(next.BringUpMainWindow());
    HWND autoSave = GetDlgItem(next.Main(), app::IDC_CHECK1_2);
    test::ClickWindow(autoSave);
    EXPECT_TRUE(test::WaitFor([&] { return !std::filesystem::exists(journal); }, 8000)) << "unticking kept the journal";
    test::ClickWindow(autoSave);
    EXPECT_TRUE(test::WaitFor([&] { return std::filesystem::exists(journal); }, 8000)) << "ticking again wrote none";
    PostMessageW(next.Main(), WM_CLOSE, 0, 0);
    HWND box = next.WaitForMessageBox(10000);
    ASSERT_TRUE(box);
    test::ClickWindow(GetDlgItem(box, IDOK));
    ASSERT_TRUE(next.HasExited(10000));
    EXPECT_FALSE(std::filesystem::exists(journal)) << "an orderly end left the journal";
}

// A program folder the user may not write (C:\Program Files for a user who is not an administrator; here a
// read-only bind mount that scripts/test.sh makes as root): the journal, the batch file and the log saved at a
// log-off go to the user's own folder, the user is told where, and "关闭" still closes.
TEST_F(ProcessMonitorTest, InAReadOnlyProgramFolderTheLogAndTheBatchGoToTheUsersOwnFolder) {
    const std::wstring source = FolderFromEnvironment("KORIMO_READONLY_SOURCE");
    const std::wstring view = FolderFromEnvironment("KORIMO_READONLY_VIEW");
    if (source.empty() || view.empty())
        GTEST_SKIP() << "KORIMO_READONLY_VIEW is not set: scripts/test.sh mounts a read-only folder for this test as root";
    std::filesystem::copy_file(ProgramPath(), source + L"korimo.exe", std::filesystem::copy_options::overwrite_existing);
    ASSERT_FALSE(std::ofstream(std::filesystem::path(view + L"probe.txt"))) << "the folder can be written";
    PWSTR local = nullptr;
    ASSERT_EQ(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local), S_OK);
    const std::filesystem::path user = std::filesystem::path(local) / L"Korimo";
    CoTaskMemFree(local);
    std::filesystem::remove_all(user);
    PostMessageW(korimo.Main(), WM_CLOSE, 0, 0); // one Korimo at a time asks about the test's program
    HWND box = korimo.WaitForMessageBox(10000);
    ASSERT_TRUE(box);
    test::ClickWindow(GetDlgItem(box, IDOK));
    ASSERT_TRUE(korimo.HasExited(10000));

    KorimoProcess readOnly(view + L"korimo.exe");
    ASSERT_TRUE(readOnly.Start());
    run = &readOnly;
    EXPECT_TRUE(BalloonSays(L"提示：", {L"不能写入", user.wstring()})) << "the user was not told where the log goes";
    TitledProgram program(TitledWindowPath(), L"测试窗口-只读");
    HWND popup = WaitForQuestion(Question(TitledWindowPath()));
    ASSERT_TRUE(popup);
    test::ClickWindow(GetDlgItem(popup, alerts::IDC_OUT_COMMAND2));
    EXPECT_TRUE(program.HasExited(15000)) << "closing failed in a read-only program folder";
    EXPECT_TRUE(std::filesystem::exists(user / L"tasklill.bat"));
    const std::filesystem::path journal = user / L"log" / L"korimo-journal.log";
    EXPECT_TRUE(test::WaitFor([&] { return JournalText(test::ReadBytes(journal)).find(L"测试窗口-只读") != std::wstring::npos; }, 5000))
        << "the journal is not in the user's folder";
    const std::wstring shown = LogText(L"标题：测试窗口-只读");

    DWORD_PTR answer = 0; // a log-off: nobody may be asked anything
    EXPECT_TRUE(SendMessageTimeoutW(readOnly.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer) && answer);
    SendMessageTimeoutW(readOnly.Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer);
    ASSERT_TRUE(readOnly.HasExited(10000));
    const std::set<std::filesystem::path> saved = FilesIn(user / L"log");
    ASSERT_EQ(saved.size(), 1u) << "not one log file (and no journal) in the user's folder";
    EXPECT_EQ(test::ReadBytes(*saved.begin()), Ansi(shown) + "\r\n");
    EXPECT_EQ(FilesIn(source), (std::set<std::filesystem::path>{source + L"korimo.exe"}));
    std::filesystem::remove_all(user);
}

// The question leaves the keyboard with the program in front. The keyboard reaches it through the tray icon (a
// tool window is not listed by Alt+Tab): Enter on the icon brings it forward with the focus on its first answer,
// and Tab and Space answer it. A second start of Korimo, by which a user looks for it, brings it forward too.
TEST_F(ProcessMonitorTest, AQuestionBroughtForwardIsAnsweredWithTabAndSpace) {
    KorimoProcess second; // started first: however slowly it starts, no question's countdown is raced
    ASSERT_TRUE(second.Start(false));
    HWND refused = second.WaitForMessageBox(30000);
    ASSERT_TRUE(refused);
    HWND popup = nullptr;
    const auto inFrontWithTheFocusOn = [&](int id, DWORD ms = 5000) {
        return test::WaitFor([&] { return GetForegroundWindow() == popup && test::KeyboardFocusOf(popup) == GetDlgItem(popup, id); }, ms);
    };
    TitledProgram program(TitledWindowPath(), L"测试窗口-键盘");
    ASSERT_TRUE(popup = WaitForQuestion(Question(TitledWindowPath())));
    HWND typing = test::TopLevelWindows(program.Pid(), true).front(); // where the user types
    EXPECT_NE(GetForegroundWindow(), popup) << "the question took the keyboard from the program in front";
    SetForegroundWindow(typing);
    ASSERT_TRUE(test::WaitFor([&] { return GetForegroundWindow() == typing; }, 8000));
    // Wine may hand the program in front its activation late, after Korimo's: a user presses Enter again.
    bool forward = false;
    for (int press = 0; press < 3 && !forward; ++press) {
        korimo.PressEnterOnTrayIcon();
        forward = inFrontWithTheFocusOn(alerts::IDC_OUT_COMMAND1, 2000);
    }
    ASSERT_TRUE(forward) << "Enter on the icon did not bring the question forward";
    test::PressKey(VK_TAB);
    ASSERT_TRUE(inFrontWithTheFocusOn(alerts::IDC_OUT_COMMAND2)) << "Tab did not reach the second answer";
    test::PressKey(VK_SPACE); // "关闭"
    EXPECT_TRUE(program.HasExited(15000)) << "Space did not give the answer";

    TitledProgram next(TitledWindowPath(), L"测试窗口-再启动");
    ASSERT_TRUE(popup = WaitForQuestion(Question(TitledWindowPath())));
    PostMessageW(refused, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(inFrontWithTheFocusOn(alerts::IDC_OUT_COMMAND1)) << "a second start did not bring the question forward";
    EXPECT_FALSE(IsWindowVisible(korimo.Main())) << "the main window came up beside the question";
    LetEveryQuestionPass(500);
}

// "关闭" for a program that ignores the request (as one asking whether to save does) is told once its wait is
// over, in the log and in a tray notice, with its path, id and why; a program that did close is not.
TEST_F(ProcessMonitorTest, AProgramThatDoesNotCloseIsToldAndOneThatClosesIsNot) {
    TitledProgram closes(Namesake(), L"测试窗口-走");
    HWND popup = WaitForQuestion(Question(Namesake()));
    ASSERT_TRUE(popup);
    test::ClickWindow(GetDlgItem(popup, alerts::IDC_OUT_COMMAND2));
    ASSERT_TRUE(closes.HasExited(15000));
    TitledProgram stubborn(TitledWindowPath(), L"测试窗口-不走", 0, L"ignore-close");
    popup = WaitForQuestion(Question(TitledWindowPath()));
    ASSERT_TRUE(popup);
    test::ClickWindow(GetDlgItem(popup, alerts::IDC_OUT_COMMAND2));
    const std::wstring lines =
        L"路径：" + TitledWindowPath() + L"\r\nPID：" + std::to_wstring(stubborn.Pid()) + L"\r\n原因：";
    HWND view = GetDlgItem(korimo.Panel(L"Korimo.log_form"), alerts::IDC_LOG_TEXT1);
    ASSERT_TRUE(test::WaitFor([&] { return test::ControlText(view).find(lines) != std::wstring::npos; }, 30000))
        << "the program still running was not told";
    const std::wstring log = LogText(lines);
    EXPECT_NE(log.find(L"【关闭失败】\r\n" + lines + L"它在 15 秒内没有响应关闭请求"), std::wstring::npos);
    EXPECT_EQ(Count(log, L"【关闭失败】"), 1u) << "the program that closed was told as a failure";
    EXPECT_TRUE(BalloonSays(L"关闭失败", {L"PID：" + std::to_wstring(stubborn.Pid()), L"原因："}));
}
