// The process monitor's Win32 layer for real: the window walk, the process lookup across processes, and the
// batch file that closes a program, under Wine with code page 936.
#include <gtest/gtest.h>

#include <windows.h>

#include <windowsx.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <algorithm>

#include "answerer.h"
#include "quiet_services.h"
#include "procmon/close_by_image_win.h"
#include "procmon/pro_form.h"
#include "procmon/pro_form_layout.h"
#include "procmon/process_report.h"
#include "procmon/window_list_win.h"
#include "ui/handle.h"
#include "ui/window.h"

using namespace korimo;

namespace {

struct Windows {
    std::vector<HWND> list;
    ~Windows() {
        for (HWND window : list) DestroyWindow(window);
    }
    HWND Add(const std::wstring& title) {
        list.push_back(CreateWindowExW(0, L"STATIC", title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                       nullptr));
        return list.back();
    }
};

// A program started for a test and ended with it.
struct Started {
    Started(const std::wstring& path, const std::wstring& arguments) {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        std::wstring commandLine = L"\"" + path + L"\" " + arguments;
        ok = CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info);
    }
    ~Started() {
        if (!ok) return;
        TerminateProcess(info.hProcess, 0);
        WaitForSingleObject(info.hProcess, 5000);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    PROCESS_INFORMATION info{};
    bool ok = false;
};

// The process monitor's test program (tests/e2e/titled_window.cpp): a title, a count of windows, a mode.
// Found beside this program in the build's layout (tests\win\ and tests\e2e\), wherever the build was copied.
std::wstring TestProgram(const wchar_t* name) {
    const std::wstring self = ui::ModulePath();
    return (std::filesystem::path(self).parent_path().parent_path() / L"e2e" / name).wstring();
}
std::wstring TitledWindowPath() { return TestProgram(L"titled_window.exe"); }
// The same program built as a console program.
std::wstring TitledConsolePath() { return TestProgram(L"titled_console.exe"); }

// A copy of Wine's notepad under a Chinese name in a Chinese folder, started: a program with a window.
struct ChineseNotepad {
    ChineseNotepad() {
        folder = std::filesystem::temp_directory_path() / (L"中文 文件夹" + std::to_wstring(GetCurrentProcessId()));
        std::filesystem::create_directories(folder);
        path = folder / L"记事本.exe";
        wchar_t system[MAX_PATH]{};
        GetSystemDirectoryW(system, MAX_PATH);
        std::filesystem::copy_file(std::filesystem::path(system) / L"notepad.exe", path,
                                   std::filesystem::copy_options::overwrite_existing);
        program = std::make_unique<Started>(path.wstring(), L"");
        started = program->ok;
        info = program->info;
        if (started) WaitForInputIdle(info.hProcess, 5000);
    }
    ~ChineseNotepad() {
        program.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::filesystem::path folder, path;
    std::unique_ptr<Started> program;
    PROCESS_INFORMATION info{};
    bool started = false;
};

} // namespace

TEST(WindowWalk, ListsEveryTitledWindowAsItIsHoweverManyThereAre) {
    Windows windows;
    for (int i = 0; i < 300; ++i) windows.Add(L"한국어 ✓ 窗口 " + std::to_wstring(i));
    HWND untitled = windows.Add(L"");
    const auto listed = procmon::GetOpenWindowNames();
    int found = 0;
    for (const procmon::WindowEntry& entry : listed) {
        EXPECT_NE(entry.window, reinterpret_cast<std::uintptr_t>(untitled));
        if (entry.title.starts_with(L"한국어 ✓ 窗口 ")) {
            const int n = std::stoi(entry.title.substr(8));
            EXPECT_EQ(entry.window, reinterpret_cast<std::uintptr_t>(windows.list[n])) << "entry keeps its own window";
            EXPECT_TRUE(entry.own) << "a window of this program is not told from others";
            ++found;
        }
    }
    EXPECT_EQ(found, 300);
    const procmon::ProcessInfo own = procmon::LookUpWindow(windows.list[7]);
    EXPECT_EQ(own.pid, GetCurrentProcessId());
    EXPECT_EQ(own.path, ui::ModulePath());
}

// Another program makes and destroys titled windows as fast as it can while 200 windows of a third stay open:
// however the walks meet windows going, none of the 200 is ever reported started again or closed.
TEST(WindowWalk, WindowsGoingDuringTheWalkNeverMakeALastingWindowLookClosedOrNew) {
    struct WalkOnly final : procmon::CheckPlatform, procmon::CheckUser {
        std::vector<std::wstring> entries;
        std::vector<procmon::WindowEntry> ListWindows() override { return procmon::GetOpenWindowNames(); }
        procmon::ProcessInfo LookUp(const procmon::WindowEntry&) override { return {}; }
        std::unique_ptr<procmon::ProcessHold> HoldProcess(const procmon::ProcessInfo&) override { return nullptr; }
        void ShowList(const std::vector<procmon::WindowEntry>&) override {}
        void ShowLookedUp(const procmon::LookedUp&) override {}
        void Tell(const procmon::Report& report) override { entries.push_back(report.logEntry); }
        procmon::Answer Ask(const std::wstring&) override { return procmon::Answer::LetRun; }
        void Close(procmon::CloseRequest) override {}
    } desktop;
    std::vector<std::wstring>& entries = desktop.entries;
    const auto reported = [&](const std::wstring& title) {
        return std::count_if(entries.begin(), entries.end(),
                             [&](const std::wstring& entry) { return entry.find(L"标题：" + title) != entry.npos; });
    };
    Started lasting(TitledWindowPath(), L"长留窗口 200");
    ASSERT_TRUE(
        test::WaitFor([&] { return test::TopLevelWindows(lasting.info.dwProcessId, false).size() >= 200; }, 20000));
    Started churn(TitledWindowPath(), L"来去窗口 0 churn");
    procmon::ProcessCheck check;
    check.Baseline(desktop);
    // At least 30 checks, and as many more as it takes (on a loaded machine) to see the windows come and go.
    for (int i = 0; i < 300 && (i < 30 || reported(L"来去窗口") <= 30); ++i) {
        ASSERT_TRUE(check.Run(desktop, {false, true, {}}, desktop));
    }
    EXPECT_GT(reported(L"来去窗口"), 30) << "the windows did not come and go while the checks walked";
    EXPECT_EQ(reported(L"长留窗口"), 0) << "a lasting window was reported";
}

TEST(ProcessLookup, AnotherProgramInAChineseFolderComesBackWholeAndAMissingOneIsSystem) {
    ChineseNotepad notepad;
    ASSERT_TRUE(notepad.started);
    EXPECT_EQ(procmon::GetProcessPathByProcessID(notepad.info.dwProcessId), notepad.path.wstring());
    bool seen = false;
    for (const procmon::WindowEntry& entry : procmon::GetOpenWindowNames()) {
        DWORD owner = 0;
        GetWindowThreadProcessId(reinterpret_cast<HWND>(entry.window), &owner);
        if (owner != notepad.info.dwProcessId) continue;
        seen = true;
        EXPECT_FALSE(entry.own) << "another program's window taken for Korimo's own";
    }
    EXPECT_TRUE(seen);
    EXPECT_EQ(procmon::GetProcessPathByProcessID(0xFFFFFFF0u), L"SYSTEM");
    EXPECT_EQ(procmon::LookUpWindow(nullptr).pid, 0u) << "a window that is gone named a process";
}

// The process as the close sees it: listed with the path and creation time the lookup gives, and held.
procmon::CloseOrder OrderFor(DWORD pid, bool forced) {
    const auto running = procmon::RunningProcesses();
    EXPECT_TRUE(running);
    for (const procmon::RunningProcess& process : running.value_or(std::vector<procmon::RunningProcess>{}))
        if (process.pid == pid)
            return {procmon::ImageName(process.path), process.path, pid, process.started, forced, true};
    ADD_FAILURE() << "process " << pid << " is not listed";
    return {};
}

std::unique_ptr<procmon::ProcessHold> HoldOf(const procmon::CloseOrder& order) {
    return std::make_unique<procmon::HeldProcess>(order.pid, order.started);
}

std::filesystem::path FreshFolder(const wchar_t* name) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(folder);
    std::filesystem::remove(folder / L"tasklill.bat");
    return folder;
}

TEST(CloseByImageName, TheSystemsTaskkillClosesTheProgramByItsIdAndNoPlantedOneRuns) {
    ChineseNotepad notepad;
    ASSERT_TRUE(notepad.started);
    for (const wchar_t* planted : {L"taskkill.bat", L"taskkill.cmd"})
        std::ofstream(notepad.folder / planted) << "echo planted> planted.txt\r\n";
    const std::wstring folder = notepad.folder.wstring() + L"\\";
    const procmon::CloseOrder order = OrderFor(notepad.info.dwProcessId, true);
    EXPECT_EQ(order.path, notepad.path.wstring());
    EXPECT_NE(order.started, 0u) << "no creation time: a reused process id could not be told";
    for (const procmon::WindowEntry& entry : procmon::GetOpenWindowNames()) {
        const procmon::ProcessInfo info = procmon::LookUpWindow(reinterpret_cast<HWND>(entry.window));
        if (info.pid == order.pid) EXPECT_EQ(info.started, order.started) << "the check and the close disagree";
    }
    auto closing = procmon::CloseByImageName(folder, order, HoldOf(order));
    ASSERT_EQ(closing.closing.size(), 1u);
    EXPECT_EQ(test::ReadBytes(notepad.folder / L"tasklill.bat"),
              "\"C:\\windows\\system32\\taskkill.exe\" /F /PID " + std::to_string(notepad.info.dwProcessId) + "\r\n");
    EXPECT_EQ(WaitForSingleObject(notepad.info.hProcess, 15000), WAIT_OBJECT_0) << "the program is still running";
    EXPECT_FALSE(std::filesystem::exists(notepad.folder / L"planted.txt")) << "a planted taskkill ran";
    ASSERT_TRUE(test::WaitFor([&] { return closing.batch->Ended(); }, 10000)) << "its cmd.exe never ended";
    closing = {};

    // Asked again once it has ended (its handle still open here): nothing is written, and the user is told.
    std::filesystem::remove(notepad.folder / L"tasklill.bat");
    closing = procmon::CloseByImageName(folder, order, HoldOf(order));
    EXPECT_TRUE(closing.closing.empty());
    EXPECT_NE(closing.told.find(L"已经结束"), std::wstring::npos);
    EXPECT_FALSE(std::filesystem::exists(notepad.folder / L"tasklill.bat"));
}

TEST(CloseByImageName, TheDesktopShellIsNeverClosedAndTheUserIsToldWhy) {
    const std::vector<std::uint32_t> shell = procmon::ShellProcesses();
    ASSERT_FALSE(shell.empty()) << "the shell's processes were not found";
    const procmon::CloseOrder order = OrderFor(shell.front(), true);
    EXPECT_TRUE(order.imageName == L"explorer.exe") << "the shell is not explorer.exe here";
    const std::filesystem::path folder = FreshFolder(L"korimo-shell");
    const auto outcome = procmon::CloseByImageName(folder.wstring() + L"\\", order, HoldOf(order));
    EXPECT_TRUE(outcome.closing.empty());
    EXPECT_NE(outcome.told.find(L"桌面外壳"), std::wstring::npos);
    EXPECT_FALSE(std::filesystem::exists(folder / L"tasklill.bat"));
}

// The process asked about ends while it is held: its id stays its own (the system gives it to no other process)
// until the hold goes, and the close then finds it ended and closes nothing.
TEST(CloseByImageName, AHeldProcessThatEndsKeepsItsIdAndNothingIsClosed) {
    procmon::CloseOrder order;
    std::unique_ptr<procmon::ProcessHold> hold;
    {
        Started program(TitledWindowPath(), L"短命窗口");
        ASSERT_TRUE(program.ok);
        order = OrderFor(program.info.dwProcessId, true);
        hold = HoldOf(order);
        ASSERT_TRUE(hold->Held());
    } // ended, and this test's own handles to it closed: the hold alone keeps it
    EXPECT_TRUE(hold->Ended());
    ui::Handle same(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, order.pid));
    ASSERT_TRUE(same.Valid()) << "the id was let go while it was held";
    EXPECT_EQ(procmon::CreationTime(same.Get()), order.started) << "the id names another process";
    same.Reset();
    const std::filesystem::path folder = FreshFolder(L"korimo-held");
    const auto outcome = procmon::CloseByImageName(folder.wstring() + L"\\", order, std::move(hold));
    EXPECT_TRUE(outcome.closing.empty());
    EXPECT_NE(outcome.told.find(L"已经结束"), std::wstring::npos);
    EXPECT_FALSE(std::filesystem::exists(folder / L"tasklill.bat"));
    EXPECT_EQ(procmon::HeldProcess::Live(), 0u) << "a hold outlived its close";
    EXPECT_FALSE(procmon::HeldProcess(order.pid, order.started).Held()) << "the process outlived its last handle";
}

// A program that ignores the request to close still runs when its close's time is up: that is a failure, with
// the reason that fits (here the system is made to refuse Korimo the right to end the window program), and once it
// is told no hold is left. A console program is asked through the window it was reported for, since taskkill can
// only end it by force, and is told as one that did not go with its console.
TEST(CloseByImageName, AProgramThatDoesNotEndIsAFailureWithItsReasonAndNoHoldOutlivesIt) {
    for (const bool console : {false, true}) {
        SCOPED_TRACE(console ? "console program" : "window program");
        Started stubborn(console ? TitledConsolePath() : TitledWindowPath(), L"不走窗口 0 ignore-close");
        std::vector<HWND> windows;
        const auto shown = [&] { return !(windows = test::TopLevelWindows(stubborn.info.dwProcessId, true)).empty(); };
        ASSERT_TRUE(test::WaitFor(shown, 5000));
        procmon::CloseOrder order = OrderFor(stubborn.info.dwProcessId, false);
        order.window = reinterpret_cast<std::uintptr_t>(windows[0]);
        const std::filesystem::path folder = FreshFolder(L"korimo-stubborn");
        auto outcome = procmon::CloseByImageName(folder.wstring() + L"\\", order, HoldOf(order));
        ASSERT_EQ(outcome.closing.size(), 1u);
        EXPECT_EQ(outcome.kind, console ? procmon::CloseKind::Console : procmon::CloseKind::Polite);
        EXPECT_EQ(std::filesystem::exists(folder / L"tasklill.bat"), !console) << "asked through the wrong road";
        procmon::CloseWatch watch;
        const std::uint64_t start = GetTickCount64();
        watch.Watch(std::move(outcome.closing), outcome.kind, start);
        EXPECT_EQ(procmon::HeldProcess::Live(), 1u);
        ASSERT_TRUE(test::WaitFor([&] { return GetPropW(windows[0], L"Korimo.CloseIgnored") != nullptr; }, 10000))
            << "the request to close never came";
        const auto failures = watch.Poll(start + procmon::kCloseWaitMs, [&](std::uint32_t) { return console; });
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_EQ(failures[0].pid, order.pid);
        EXPECT_EQ(failures[0].reason, procmon::CloseFailureReason(outcome.kind, console));
        EXPECT_TRUE(watch.Empty());
        EXPECT_EQ(procmon::HeldProcess::Live(), 0u) << "a hold outlived its close";
        if (!console) continue;
        // Asked again when the window reported no longer shows it (here: a window of another process): a window
        // handle alone is never trusted, and the user is told.
        Windows other;
        order.window = reinterpret_cast<std::uintptr_t>(other.Add(L"别人的窗口"));
        outcome = procmon::CloseByImageName(folder.wstring() + L"\\", order, HoldOf(order));
        EXPECT_TRUE(outcome.closing.empty());
        EXPECT_NE(outcome.told.find(L"的窗口已经关闭"), std::wstring::npos);
        MSG posted; // a close request, had one been posted to this thread's window, would be waiting here
        while (PeekMessageW(&posted, other.list[0], 0, 0, PM_REMOVE)) DispatchMessageW(&posted);
        EXPECT_TRUE(IsWindow(other.list[0])) << "the other window was asked to close";
    }
}

TEST(ProcessPanel, ThePeriodFollowsTheBoxAndStaysWithinWhatATimerTakes) {
    test::QuietHost host;
    procmon::pro_form panel{host, L"C:\\"};
    ASSERT_TRUE(panel.Load(96));
    EXPECT_EQ(panel.PeriodMs(), 1000u) << "the box shows 200, but the period starts at 1000";
    HWND box = GetDlgItem(panel.Hwnd(), procmon::IDC_PRO_PROTEXTT);
    EXPECT_EQ(test::ControlText(box), L"200");
    for (const auto& [typed, period] : std::vector<std::pair<const wchar_t*, unsigned>>{
             {L"1500ms", 1500}, {L"", 0}, {L"70000", 65535}, {L"-5", 0}, {L"2.5", 2}})
    {
        SetWindowTextW(box, typed);
        EXPECT_EQ(panel.PeriodMs(), period) << std::wstring(typed).size();
    }

    // The list box and the two list texts follow the desktop, rewritten only where it changed: after a window
    // opens, is retitled and loses its title, they hold what a rebuild from scratch would.
    const auto text = [](const std::vector<procmon::WindowEntry>& list) {
        std::wstring all;
        for (const auto& entry : list) all += entry.title + L"\r\n";
        return all;
    };
    Windows windows;
    HWND clock = windows.Add(L"时钟 10:00:00");
    std::vector<procmon::WindowEntry> before;
    for (const auto change : {+[](HWND) {}, +[](HWND w) { SetWindowTextW(w, L"时钟 10:00:01"); },
                              +[](HWND w) { SetWindowTextW(w, L""); }}) {
        change(clock);
        panel.cmdRefresh_Click();
        const auto now = procmon::GetOpenWindowNames();
        HWND list = GetDlgItem(panel.Hwnd(), procmon::IDC_PRO_PROCESS);
        ASSERT_EQ(ListBox_GetCount(list), static_cast<int>(now.size()));
        for (int i = 0; i < ListBox_GetCount(list); ++i) {
            std::wstring item(static_cast<size_t>(ListBox_GetTextLen(list, i)), L'\0');
            ListBox_GetText(list, i, item.data());
            EXPECT_EQ(item, now[i].title);
            EXPECT_EQ(static_cast<std::uintptr_t>(ListBox_GetItemData(list, i)), now[i].window);
        }
        EXPECT_EQ(test::ControlText(GetDlgItem(panel.Hwnd(), procmon::IDC_PRO_PROTEXT1)), text(now));
        if (!before.empty()) EXPECT_EQ(test::ControlText(GetDlgItem(panel.Hwnd(), procmon::IDC_PRO_PROTEXT0)), text(before));
        before = now;
    }
    panel.Unload();
}
