#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <map>

#include "procmon/close_plan.h"
#include "procmon/period.h"
#include "procmon/process_check.h"
#include "procmon/process_report.h"
#include "procmon/program_file.h"

using namespace korimo::procmon;

namespace {

// A hold that counts itself, so a test sees that none outlives its question or its close.
struct FakeHold final : ProcessHold {
    static inline int live = 0;
    explicit FakeHold(bool held = true, const bool* ended = nullptr) : held_(held), ended_(ended) { ++live; }
    ~FakeHold() override { --live; }
    bool Held() const override { return held_; }
    bool Ended() const override { return ended_ && *ended_; }
    std::wstring Refusal() const override { return held_ ? L"" : L"refused"; }
    bool held_;
    const bool* ended_;
};

// The desktop the check reads and the panel it tells, in one: what it shows, reports, asks and orders closed.
class FakeDesktop final : public CheckPlatform, public CheckUser {
public:
    std::vector<WindowEntry> windows;
    std::map<std::uintptr_t, ProcessInfo> processes;
    CheckSettings settings;
    std::vector<Answer> answers; // given in turn to the questions
    std::vector<Report> reports;
    std::vector<std::wstring> questions;
    std::vector<CloseOrder> orders;
    int lookups = 0;
    bool holds = true; // whether the processes asked about can be held
    int holdsDuringQuestion = -1;
    std::function<void()> duringQuestion;

    void Open(std::wstring title, std::uintptr_t window, std::wstring path, std::uint32_t pid) {
        windows.push_back({std::move(title), window});
        processes[window] = {pid, std::move(path)};
    }
    void Close(std::uintptr_t window) {
        std::erase_if(windows, [&](const WindowEntry& e) { return e.window == window; });
    }

    std::vector<WindowEntry> ListWindows() override { return windows; }
    ProcessInfo LookUp(const WindowEntry& entry) override {
        ++lookups;
        const auto found = processes.find(entry.window);
        return found != processes.end() ? found->second : ProcessInfo{0, kGonePath};
    }
    std::unique_ptr<ProcessHold> HoldProcess(const ProcessInfo&) override { return std::make_unique<FakeHold>(holds); }

    void ShowList(const std::vector<WindowEntry>&) override {}
    void ShowLookedUp(const LookedUp&) override {}
    void Tell(const Report& report) override { reports.push_back(report); }
    Answer Ask(const std::wstring& message) override {
        holdsDuringQuestion = FakeHold::live;
        questions.push_back(message);
        if (duringQuestion) duringQuestion();
        if (answers.empty()) return Answer::LetRun;
        const Answer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    void Close(CloseRequest request) override { orders.push_back(request.order); }
};

bool Check(ProcessCheck& check, FakeDesktop& desktop) { return check.Run(desktop, desktop.settings, desktop); }

class ProcessCheckTest : public testing::Test {
protected:
    void SetUp() override {
        desktop.Open(L"Default IME", 1, L"C:\\windows\\explorer.exe", 8);
        desktop.Open(L"abc", 2, L"C:\\apps\\abc.exe", 9);
        desktop.settings.ignored = {L"Explorer.EXE", L"Iexplore.EXE", L"Iexplore.exe"};
        check.Baseline(desktop);
    }
    FakeDesktop desktop;
    ProcessCheck check;
};

} // namespace

TEST_F(ProcessCheckTest, BaselineAndAnUnchangedDesktopReportNothingAndLookNothingUp) {
    EXPECT_TRUE(desktop.reports.empty());
    const int lookups = desktop.lookups;
    ASSERT_TRUE(Check(check, desktop));
    ASSERT_TRUE(Check(check, desktop));
    EXPECT_TRUE(desktop.reports.empty());
    EXPECT_EQ(desktop.lookups, lookups) << "a title that was already there was looked up again";
}

TEST_F(ProcessCheckTest, ANewWindowIsReportedWithItsOwnProcessAndAsked) {
    desktop.Open(L"记事本 - 无标题", 3, L"C:\\程序\\notepad.exe", 40);
    desktop.processes[3].started = 777;
    desktop.processes[3].frame = Frame::StoreApp; // as a Store app inside its frame would be
    desktop.answers = {Answer::Close};
    ASSERT_TRUE(Check(check, desktop));
    ASSERT_EQ(desktop.reports.size(), 1u);
    EXPECT_EQ(desktop.reports[0].noticeTitle, L"开启进程");
    EXPECT_EQ(desktop.reports[0].noticeText, L"标题：记事本 - 无标题\r\n路径：C:\\程序\\notepad.exe\r\nPID：40");
    EXPECT_EQ(desktop.reports[0].logEntry, L"【开启进程】\r\n标题：记事本 - 无标题\r\n路径：C:\\程序\\notepad.exe\r\nPID：40\r\n");
    ASSERT_EQ(desktop.questions.size(), 1u);
    EXPECT_EQ(desktop.questions[0], L"Korimo进程监视系统发现C:\\程序\\notepad.exe正在启动或正在被调用");
    ASSERT_EQ(desktop.orders.size(), 1u) << "the order names the very process that was reported";
    EXPECT_TRUE(desktop.orders[0].imageName == L"notepad.exe" && !desktop.orders[0].forced);
    EXPECT_EQ(desktop.orders[0].path, L"C:\\程序\\notepad.exe");
    EXPECT_EQ(desktop.orders[0].pid, 40u);
    EXPECT_EQ(desktop.orders[0].started, 777u);
    EXPECT_TRUE(desktop.orders[0].window == 3u && desktop.orders[0].frame == Frame::StoreApp) << "not its window";
}

TEST_F(ProcessCheckTest, TitlesCountAsPresentOnlyWhenEqualNotWhenContained) {
    desktop.Open(L"a", 4, L"C:\\apps\\a.exe", 41);   // occurs inside "abc"
    desktop.Open(L"abc", 5, L"C:\\apps\\abc.exe", 42); // a second window with a title already open
    ASSERT_TRUE(Check(check, desktop));
    ASSERT_EQ(desktop.reports.size(), 1u);
    EXPECT_NE(desktop.reports[0].logEntry.find(L"标题：a\r\n"), std::wstring::npos);
}

TEST_F(ProcessCheckTest, AnswersDecideHowTheProcessIsClosedAndOneQuestionWaitsAtATime) {
    desktop.Open(L"one", 6, L"C:\\x\\one.exe", 50);
    desktop.Open(L"two", 7, L"C:\\x\\two.exe", 51);
    desktop.Open(L"three", 8, L"C:\\x\\three.exe", 52);
    desktop.answers = {Answer::ForceClose, Answer::LetRun, Answer::None};
    bool nestedRan = true;
    desktop.duringQuestion = [&] { nestedRan = Check(check, desktop); }; // a tick while the question waits
    ASSERT_TRUE(Check(check, desktop));
    EXPECT_FALSE(nestedRan) << "a second check started while a question waited";
    EXPECT_EQ(desktop.questions.size(), 3u);
    ASSERT_EQ(desktop.orders.size(), 1u);
    EXPECT_TRUE(desktop.orders[0].imageName == L"one.exe" && desktop.orders[0].forced) << "forced, the first only";
    EXPECT_FALSE(check.IsRunning());
    EXPECT_TRUE(Check(check, desktop)) << "the next free tick checks";
    // Each process is held while it is asked about, and let go once its answer is acted on.
    EXPECT_EQ(desktop.holdsDuringQuestion, 1);
    EXPECT_EQ(FakeHold::live, 0) << "a hold outlived its question";
    EXPECT_TRUE(desktop.orders[0].held);
    desktop.holds = false;
    desktop.answers = {Answer::Close};
    desktop.Open(L"four", 9, L"C:\\x\\four.exe", 53);
    ASSERT_TRUE(Check(check, desktop));
    ASSERT_EQ(desktop.orders.size(), 2u);
    EXPECT_FALSE(desktop.orders[1].held) << "a process that could not be held was ordered closed by its bare id";
}

// The program is closing (its log being saved): a check withdrawn in any of its waits, the question or the close
// its answer ordered, goes no further.
TEST_F(ProcessCheckTest, AWithdrawnCheckGoesNoFurtherFromAnyOfItsWaits) {
    desktop.settings.closeNotices = true;
    desktop.Close(2);
    desktop.Open(L"one", 6, L"C:\\x\\one.exe", 50);
    desktop.Open(L"two", 7, L"C:\\x\\two.exe", 51);
    desktop.answers = {Answer::Withdrawn};
    ASSERT_TRUE(Check(check, desktop));
    EXPECT_TRUE(desktop.reports.size() == 1u && desktop.questions.size() == 1u && desktop.orders.empty());
    desktop.Open(L"three", 8, L"C:\\x\\three.exe", 52);
    desktop.Open(L"four", 9, L"C:\\x\\four.exe", 53);
    desktop.answers = {Answer::Close};
    desktop.duringQuestion = [&] { check.Withdraw(); }; // as a log-off unloads the panel under a message box
    ASSERT_TRUE(Check(check, desktop));
    EXPECT_TRUE(desktop.reports.size() == 2u && desktop.orders.empty()) << "went on after it was withdrawn";
}

// A program that opens three windows and closes them while the first question waits: the two not yet looked up
// name no process, and nobody is asked about them.
TEST_F(ProcessCheckTest, WindowsGoneBeforeTheyAreLookedUpNameNoProcessAndAreNotAskedAbout) {
    for (std::uintptr_t w : {40, 41, 42}) desktop.Open(L"群 " + std::to_wstring(w), w, L"C:\\x\\c.exe", 80);
    desktop.duringQuestion = [&] {
        for (std::uintptr_t w : {40, 41, 42}) desktop.Close(w), desktop.processes.erase(w);
    };
    ASSERT_TRUE(Check(check, desktop));
    EXPECT_EQ(desktop.questions.size(), 1u) << "asked about a program that is gone";
    EXPECT_EQ(desktop.reports.back().logEntry,
              L"【开启进程】\r\n标题：群 42\r\n路径：" + std::wstring(kGonePath) + L"\r\nPID：（无法得知）\r\n");
}

TEST_F(ProcessCheckTest, PromptsOffOrAnIgnoredImageNameStillReportButDoNotAsk) {
    desktop.Open(L"shell", 9, L"C:\\windows\\Explorer.EXE", 60);
    desktop.Open(L"shell2", 10, L"C:\\windows\\explorer.exe", 61); // letter case differs: asked
    ASSERT_TRUE(Check(check, desktop));
    EXPECT_EQ(desktop.reports.size(), 2u);
    EXPECT_EQ(desktop.questions.size(), 1u);
    EXPECT_NE(desktop.questions[0].find(L"explorer.exe"), std::wstring::npos);

    desktop.settings.prompts = false;
    desktop.Open(L"quiet", 11, L"C:\\x\\quiet.exe", 62);
    ASSERT_TRUE(Check(check, desktop));
    EXPECT_EQ(desktop.reports.size(), 3u);
    EXPECT_EQ(desktop.questions.size(), 1u);

    desktop.settings.ignored = {L"", L"", L""}; // boxes off ignore nothing
    desktop.settings.prompts = true;
    desktop.Open(L"shell3", 12, L"C:\\windows\\Explorer.EXE", 63);
    ASSERT_TRUE(Check(check, desktop));
    EXPECT_EQ(desktop.questions.size(), 2u);
}

// A window whose title changed and windows that share a title: each close names the window's own process.
TEST_F(ProcessCheckTest, ClosedWindowsAreReportedOnlyWithCloseNoticesOnWithWhatWasKnown) {
    desktop.Close(2);
    ASSERT_TRUE(Check(check, desktop));
    EXPECT_TRUE(desktop.reports.empty());

    desktop.settings.closeNotices = true;
    desktop.settings.prompts = false;
    desktop.Open(L"renamed", 13, L"C:\\x\\r.exe", 70);
    ASSERT_TRUE(Check(check, desktop));
    desktop.windows.back().title = L"renamed - page 2"; // a title that changes: closed old, started new
    ASSERT_TRUE(Check(check, desktop));
    ASSERT_EQ(desktop.reports.size(), 3u);
    EXPECT_EQ(desktop.reports[1].noticeTitle, L"开启进程");
    EXPECT_EQ(desktop.reports[2].noticeTitle, L"关闭进程");
    EXPECT_EQ(desktop.reports[2].logEntry, L"【关闭进程】\r\n标题：renamed\r\n路径：C:\\x\\r.exe\r\nPID：70\r\n");
    desktop.processes.erase(13); // the renamed window closes: its process is what was known of it
    desktop.Close(13);
    ASSERT_TRUE(Check(check, desktop));
    ASSERT_EQ(desktop.reports.size(), 4u);
    EXPECT_EQ(desktop.reports[3].logEntry, L"【关闭进程】\r\n标题：renamed - page 2\r\n路径：C:\\x\\r.exe\r\nPID：70\r\n");
    // Two windows share a title: only the windows open are remembered, and the last one's close names its own process.
    desktop.Open(L"同名", 30, L"C:\\x\\a.exe", 71);
    ASSERT_TRUE(Check(check, desktop));
    desktop.Open(L"同名", 31, L"C:\\x\\b.exe", 72);
    ASSERT_TRUE(Check(check, desktop));
    desktop.Close(30);
    ASSERT_TRUE(Check(check, desktop));
    EXPECT_EQ(check.Remembered(), desktop.windows.size()) << "a closed window is still remembered";
    desktop.Close(31);
    ASSERT_TRUE(Check(check, desktop));
    EXPECT_EQ(desktop.reports.back().logEntry, L"【关闭进程】\r\n标题：同名\r\n路径：C:\\x\\b.exe\r\nPID：72\r\n");
}

TEST_F(ProcessCheckTest, KorimosOwnWindowsAreNeverReported) {
    desktop.settings.closeNotices = true;
    desktop.windows.push_back({L"保存日志", 20, true}); // its Save As dialog opens
    desktop.processes[20] = {1, L"C:\\Tools\\korimo.exe"};
    desktop.Open(L"提示", 21, L"C:\\Tools\\korimo.exe", 2); // a second copy refusing to start
    desktop.processes[21].korimo = true;
    ASSERT_TRUE(Check(check, desktop));
    desktop.Close(20);
    desktop.Close(21);
    ASSERT_TRUE(Check(check, desktop));
    EXPECT_TRUE(desktop.reports.empty());
    EXPECT_TRUE(desktop.questions.empty());
}

TEST_F(ProcessCheckTest, MoreThan250TitlesAreHandledWhole) {
    for (int i = 0; i < 400; ++i) desktop.Open(L"w" + std::to_wstring(i), 100 + i, L"C:\\x\\w.exe", 80);
    desktop.settings.prompts = false;
    ASSERT_TRUE(Check(check, desktop));
    EXPECT_EQ(desktop.reports.size(), 400u);
}

TEST(ProcessReport, ControlCharactersInTitlesCannotSplitOrForgeAnEntry) {
    const std::wstring entry = StartedLogEntry(L"evil\r\n【关闭进程】\r\n标题：x", L"C:\\a\tb.exe", 1);
    EXPECT_EQ(entry, L"【开启进程】\r\n标题：evil  【关闭进程】  标题：x\r\n路径：C:\\a b.exe\r\nPID：1\r\n");
    EXPECT_EQ(OneLine(L"a\u2028b\x7f"), L"a b ");
}

TEST(ProcessReport, ImageNameIsThePartAfterTheLastBackslash) {
    EXPECT_EQ(ImageName(L"C:\\Windows\\notepad.exe"), L"notepad.exe");
    EXPECT_EQ(ImageName(L"SYSTEM"), L"SYSTEM");
    EXPECT_EQ(ImageName(L"C:\\程序\\我的 程序.exe"), L"我的 程序.exe");
}

bool SamePathIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}
const std::wstring kSystem = L"C:\\Windows\\System32";

// Closing hits the process asked about and the other instances of its own executable file, by id: never a
// namesake from another folder, a process that took over a reused id, Korimo itself or the desktop shell.
TEST(ClosePlan, TheAskedProcessAndItsOwnInstancesNeverANamesakeAReusedIdKorimoOrTheShell) {
    const std::wstring app = L"C:\\apps\\notepad.exe";
    const CloseOrder order{L"notepad.exe", app, 40, 1000, false, true};
    std::vector<RunningProcess> running = {
        {4, L"C:\\windows\\explorer.exe", 5}, {30, L"C:\\Apps\\NOTEPAD.EXE", 900}, {40, app, 1000},
        {50, L"D:\\other\\notepad.exe", 1100}, {99, app, 1300}, {7, L"SYSTEM", 0}, {8, L"SYSTEM", 0},
    };
    const auto plan = [&](const CloseOrder& o) { return PlanClose(o, running, {4}, 99, kSystem, SamePathIgnoringCase); };
    ClosePlan p = plan(order);
    EXPECT_EQ(p.pids, (std::vector<std::uint32_t>{40, 30})) << "the asked process first, then its instances";
    EXPECT_FALSE(p.shellSpared);

    running[2].started = 2000; // it ended and its id went to a new process of the same file
    p = plan(order);
    EXPECT_EQ(p.pids, (std::vector<std::uint32_t>{30, 40})) << "a new start of the same file is an instance too";
    running[2].path = L"C:\\games\\x.exe"; // its id went to another program
    running[1].path = L"C:\\old\\notepad.exe";
    p = plan(order);
    EXPECT_TRUE(p.pids.empty()) << "the namesake and the reused id were closed";
    EXPECT_FALSE(p.shellSpared);

    p = plan({L"explorer.exe", L"C:\\windows\\explorer.exe", 4, 5, true, true});
    EXPECT_TRUE(p.pids.empty());
    EXPECT_TRUE(p.shellSpared);
    EXPECT_TRUE(plan({L"notepad.exe", app, 99, 1300, true, true}).pids.empty()) << "Korimo closed itself";
    EXPECT_EQ(plan({L"SYSTEM", L"SYSTEM", 7, 0, false, true}).pids, std::vector<std::uint32_t>{7})
        << "an unreadable path closes only that process, not every unreadable one";
    // Path and creation time unknown and the process not held: its id now belongs to another program.
    running[5] = {7, L"C:\\games\\x.exe", 3000};
    EXPECT_TRUE(plan({L"SYSTEM", L"SYSTEM", 7, 0, false, false}).pids.empty()) << "closed by a bare id";
    EXPECT_TRUE(plan({L"notepad.exe", app, 40, 1000, false, false}).pids.empty());
}

// Closes under way: one that ends is quiet; a process still running when its close's time is up is told once,
// with the reason that fits, and let go; several closes are watched at once.
TEST(CloseWatch, AProcessStillRunningAtItsDeadlineIsAFailureWithItsReason) {
    bool ended[3] = {};
    const auto closing = [&](std::uint32_t pid) {
        return ClosingProcess{pid, L"C:\\x\\p" + std::to_wstring(pid) + L".exe",
                              std::make_unique<FakeHold>(true, &ended[pid])};
    };
    CloseWatch watch;
    std::vector<ClosingProcess> polite;
    polite.push_back(closing(0));
    polite.push_back(closing(1));
    watch.Watch(std::move(polite), CloseKind::Polite, 1000);
    std::vector<ClosingProcess> forced;
    forced.push_back(closing(2));
    watch.Watch(std::move(forced), CloseKind::Forced, 2000);
    const auto mayEnd = [](std::uint32_t pid) { return pid != 2; }; // the system refuses Korimo process 2
    ended[0] = true;
    EXPECT_TRUE(watch.Poll(6999, mayEnd).empty());
    EXPECT_EQ(FakeHold::live, 2) << "an ended process was not let go";
    const std::vector<CloseFailure> refused = watch.Poll(7000, mayEnd);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].pid, 2u);
    EXPECT_EQ(refused[0].reason, CloseFailureReason(CloseKind::Forced, false));
    EXPECT_NE(refused[0].reason.find(L"以管理员身份运行 Korimo"), std::wstring::npos);
    EXPECT_TRUE(watch.Poll(15999, mayEnd).empty());
    const std::vector<CloseFailure> unanswered = watch.Poll(16000, mayEnd);
    ASSERT_EQ(unanswered.size(), 1u);
    EXPECT_EQ(CloseFailedLogEntry(unanswered[0].path, unanswered[0].pid, unanswered[0].reason),
              L"【关闭失败】\r\n路径：C:\\x\\p1.exe\r\nPID：1\r\n原因：它在 15 秒内没有响应关闭请求（"
              L"它可能正在询问是否保存，或不理会关闭请求），可以用“强制关闭”结束它。\r\n");
    EXPECT_EQ(CloseFailureReason(CloseKind::Forced, true), L"强制结束它没有成功，它仍在运行。");
    const std::wstring console = CloseFailureReason(CloseKind::Console, true); // it asks nobody whether to save
    EXPECT_TRUE(console.find(L"控制台程序") != console.npos && console.find(L"保存") == console.npos);
    EXPECT_TRUE(watch.Empty());
    EXPECT_EQ(FakeHold::live, 0) << "a hold outlived its close";
}

// A shared host of the system folder is closed alone: its other processes serve other programs. A Store app or
// a console program asked to close goes through its window, alone; the frame host with no app is never closed.
TEST(ClosePlan, SharedHostsAndProgramsAskedThroughTheirWindowAloneAndTheLoneFrameHostNever) {
    EXPECT_TRUE(IsSharedHost(L"c:\\windows\\SYSTEM32\\RuntimeBroker.exe", kSystem + L"\\", SamePathIgnoringCase));
    EXPECT_FALSE(IsSharedHost(L"C:\\Tools\\svchost.exe", kSystem, SamePathIgnoringCase)) << "a namesake elsewhere";
    const std::wstring svchost = kSystem + L"\\svchost.exe", app = L"C:\\Program Files\\WindowsApps\\Calc.exe";
    const std::vector<RunningProcess> running = {{10, svchost, 1}, {11, svchost, 2}, {20, app, 3}, {21, app, 4}};
    const auto pids = [&](CloseOrder order) {
        return PlanClose(order, running, {}, 99, kSystem, SamePathIgnoringCase).pids;
    };
    EXPECT_EQ(pids({L"svchost.exe", svchost, 10, 1, true, true}), std::vector<std::uint32_t>{10});
    CloseOrder storeApp{L"Calc.exe", app, 20, 3, false, true, 5, Frame::StoreApp};
    EXPECT_EQ(RoadOf(storeApp), CloseRoad::CloseWindow);
    EXPECT_EQ(pids(storeApp), std::vector<std::uint32_t>{20}) << "instances owning no window were asked";
    CloseOrder console{L"Calc.exe", app, 21, 4, false, true, 6, Frame::Own, true};
    EXPECT_EQ(KindOf(console), CloseKind::Console);
    EXPECT_EQ(pids(console), std::vector<std::uint32_t>{21});
    console.forced = storeApp.forced = true; // by force: by id, with the other instances
    EXPECT_TRUE(RoadOf(storeApp) == CloseRoad::Taskkill && KindOf(console) == CloseKind::Forced);
    EXPECT_EQ(pids(console), (std::vector<std::uint32_t>{21, 20}));
    const CloseOrder lone{kFrameHostImage, kSystem + L"\\" + kFrameHostImage, 10, 1, true, true, 7, Frame::HostAlone};
    EXPECT_TRUE(RoadOf(lone) == CloseRoad::Refused && pids(lone).empty()) << "every Store app's frame host closed";
}

// The subsystem of a PE header, 32- or 64-bit; bytes cut short or pointing outside themselves name none.
TEST(ProgramFile, TheSubsystemIsReadFromThePeHeaderAndNothingElseIsTakenForOne) {
    const auto pe = [](std::uint16_t magic, std::uint16_t subsystem, std::uint32_t at = 0x80) {
        std::vector<std::uint8_t> bytes(at + 24 + 240);
        for (const auto& [offset, value] : std::initializer_list<std::pair<std::size_t, std::uint32_t>>{
                 {0, 'M' | 'Z' << 8}, {0x3C, at}, {at, 0x4550}, {at + 20, 240}, {at + 24, magic}, {at + 92, subsystem}})
            for (int i = 0; i < 4; ++i) bytes[offset + i] |= static_cast<std::uint8_t>(value >> (8 * i));
        return bytes;
    };
    EXPECT_EQ(PeSubsystem(pe(0x20B, kConsoleSubsystem)), kConsoleSubsystem);
    EXPECT_EQ(PeSubsystem(pe(0x10B, 2, 0x400)), 2);
    auto bytes = pe(0x20B, 3);
    EXPECT_FALSE(PeSubsystem(std::span(bytes).first(0x80 + 93))) << "read past the end";
    bytes[0x3F] = 0xFF; // the header's place far beyond the bytes
    EXPECT_FALSE(PeSubsystem(bytes));
    EXPECT_FALSE(PeSubsystem(pe(0x107, 3))) << "an unknown optional header";
}

TEST(TaskkillLine, TheSystemsOwnTaskkillByProcessIds) {
    const std::wstring taskkill = L"\"C:\\windows\\system32\\taskkill.exe\"";
    EXPECT_EQ(TaskkillLine(L"C:\\windows\\system32\\", false, {40, 30}), taskkill + L" /PID 40 /PID 30\r\n");
    EXPECT_EQ(TaskkillLine(L"C:\\windows\\system32", true, {7}), taskkill + L" /F /PID 7\r\n");
    EXPECT_FALSE(TaskkillLine(L"C:\\windows\\system32", false, {}));
    EXPECT_FALSE(TaskkillLine(L"", false, {7}));
    EXPECT_FALSE(TaskkillLine(L"C:\\a\"&calc", false, {7}));
}

TEST(Period, TheNumberAtTheStartOfTheTextWithinWhatATimerTakes) {
    EXPECT_EQ(ParsePeriod(L"200"), 200u);
    EXPECT_EQ(ParsePeriod(L"1500ms"), 1500u);
    EXPECT_EQ(ParsePeriod(L"abc"), 0u);
    EXPECT_EQ(ParsePeriod(L""), 0u);
    EXPECT_EQ(ParsePeriod(L"  1 5 0 0"), 1500u);
    EXPECT_EQ(ParsePeriod(L"2.5"), 2u);
    EXPECT_EQ(ParsePeriod(L"3.5"), 4u);
    EXPECT_EQ(ParsePeriod(L"999.7x"), 1000u);
    EXPECT_EQ(ParsePeriod(L"1e3"), 1000u);
    EXPECT_EQ(ParsePeriod(L"15e"), 15u);
    EXPECT_EQ(ParsePeriod(L"1.2.3"), 1u);
    EXPECT_EQ(ParsePeriod(L"65535"), 65535u);
    EXPECT_EQ(ParsePeriod(L"70000"), 65535u);
    EXPECT_EQ(ParsePeriod(L"-5"), 0u);
    EXPECT_EQ(ParsePeriod(L"1e400"), 65535u);
    EXPECT_EQ(ParsePeriod(L"-"), 0u);
}
