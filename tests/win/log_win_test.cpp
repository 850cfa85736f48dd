// The event log panel and the log files for real: edit controls under Wine, files in code page 936 (and UTF-8
// where it falls short), the common dialogs answered as a user would, the journal written by its own thread on a
// disk that fills up, and journals of crashed runs recovered at the next start.
#include <gtest/gtest.h>

#include <windowsx.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "alerts/log_file_win.h"
#include "alerts/log_form.h"
#include "alerts/log_form_layout.h"
#include "../support/desktop.h"
#include "answerer.h"
#include "face_pixels.h"
#include "ui/text_win.h"

using namespace korimo;
using test::Answerer;
using test::PumpFor;

namespace {

const std::string kRuleGbk = [] {
    std::string rule;
    for (int i = 0; i < 30; ++i) rule += "\xA1\xAA"; // U+2014 in GBK
    return rule;
}();
const std::string kHeaderGbk = kRuleGbk + "\r\nKorimo\xC8\xD5\xD6\xBE\r\n" + kRuleGbk + "\r\n"; // 日志
const std::string kUtf8Mark = "\xEF\xBB\xBF";

// Counts the updates `view` is given (EM_REPLACESEL); the next one is made to take `slowMs` longer.
struct ViewUpdates {
    static LRESULT CALLBACK Seen(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (call->hwnd == view && call->message == EM_REPLACESEL) ++count, Sleep(std::exchange(slowMs, 0));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline HWND view = nullptr;
    static inline int count = 0;
    static inline DWORD slowMs = 0;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &Seen, nullptr, GetCurrentThreadId());
    ~ViewUpdates() { UnhookWindowsHookEx(hook); }
};

// A file that takes the free space of its disk but `leave` bytes (whole pages of them).
void FillDiskLeaving(const std::filesystem::path& filler, LONGLONG leave) {
    HANDLE file = CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::string block(4096, 'f');
    DWORD written = 0;
    while (WriteFile(file, block.data(), 4096, &written, nullptr) && written == 4096) {}
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    size.QuadPart = size.QuadPart / 4096 * 4096 - leave;
    ASSERT_GT(size.QuadPart, 0) << "the small disk has less room than the test needs";
    SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
}

class LogPanelTest : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder);
        ASSERT_TRUE(log.Load(96));
        ShowWindow(log.Hwnd(), SW_SHOWNOACTIVATE);
    }
    void TearDown() override {
        log.Unload(ui::UnloadMode::SessionEnding);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    HWND View(bool wrapped) const { return GetDlgItem(log.Hwnd(), wrapped ? alerts::IDC_LOG_TEXT1 : alerts::IDC_LOG_TEXT); }

    static std::filesystem::path NewFolder() {
        static int counter = 0;
        return std::filesystem::temp_directory_path() /
               (L"korimo-log-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
    }

    // A run of Korimo on the same folder that ends without its unload step, as a kill or a crash ends it: its
    // journal stays. Returns what its log held and what its start recovered.
    std::pair<std::wstring, std::vector<alerts::JournalRecovery>> CrashedRun(const std::wstring& title) {
        alerts::log_form run{folder.wstring() + L"\\", true};
        EXPECT_TRUE(run.Load(96));
        auto recoveries = run.RecoverJournals();
        run.AppendLogEntry(L"【开启进程】\r\n标题：" + title + L"\r\n");
        run.FlushJournal();
        return {run.Log().Text(), std::move(recoveries)};
    }

    std::filesystem::path folder = NewFolder();
    alerts::log_form log{folder.wstring() + L"\\", false};
};

} // namespace

// A burst reaches the view that shows in one update, when its batch is due; an update that took long holds the
// next one back nine times as long, so that the views never take more than a tenth of the thread.
TEST_F(LogPanelTest, ABurstReachesTheShownViewInOneUpdateAndASlowUpdateHoldsTheNextBackNineTimesAsLong) {
    ViewUpdates::view = View(true);
    const ViewUpdates updates;
    for (int i = 0; i < 50; ++i) log.AppendLogEntry(L"【开启进程】" + std::to_wstring(i) + L"\r\n");
    EXPECT_EQ(test::ControlText(View(true)), alerts::LogModel::Header()) << "the views did not wait for the batch";
    ASSERT_TRUE(test::WaitFor([&] { return test::ControlText(View(true)) == log.Log().Text(); }, 5000));
    EXPECT_EQ(updates.count, 1) << "the burst took more than one update";
    updates.slowMs = 60;
    log.AppendLogEntry(L"【建立文件】slow\r\n");
    ASSERT_TRUE(test::WaitFor([&] { return updates.count == 2; }, 5000));
    const ULONGLONG appended = GetTickCount64();
    log.AppendLogEntry(L"【建立文件】held back\r\n");
    ASSERT_TRUE(test::WaitFor([&] { return updates.count == 3; }, 5000, 5)) << "the next update never came";
    EXPECT_GE(GetTickCount64() - appended, 9 * 60 - 60u) << "the slow update did not hold the next one back";
}

// Word wrap switches the view that shows and never the text: the covered view catches up when it comes out, the
// whole log of 2 MB, following the newest entry, and a view where the user selected text keeps the selection.
// Tab walks the controls that show in the table's order.
TEST_F(LogPanelTest, WordWrapSwitchesTheViewAndNeverTheTextOfTwoMegabytesAndTabWalksTheTablesOrder) {
    SendMessageW(View(true), EM_SETSEL, 2, 9);
    for (bool wrapped : {false, true}) {
        for (int i = 0; i < 10000; ++i) log.AppendLogEntry(L"【开启进程】" + std::wstring(86, L'w') + L"日志\r\n");
        log.AppendLogEntry(L"");
        log.FlushViews();
        SendMessageW(GetDlgItem(log.Hwnd(), alerts::IDC_LOG_CHECK1), BM_CLICK, 0, 0); // off, then on again
        EXPECT_TRUE(IsWindowVisible(View(wrapped)) && !IsWindowVisible(View(!wrapped)));
        EXPECT_TRUE(test::ControlText(View(wrapped)) == log.Log().Text()) << "an empty entry changed something";
        DWORD start = 0, end = 0, size = static_cast<DWORD>(log.Log().Size());
        SendMessageW(View(wrapped), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(std::make_pair(start, end), std::make_pair(wrapped ? 2ul : size, wrapped ? 9ul : size));
        std::vector<int> shown, walked;
        for (const ui::ControlSpec& entry : alerts::LogControls())
            if (IsWindowVisible(GetDlgItem(log.Hwnd(), entry.id))) shown.push_back(entry.id);
        for (HWND at = nullptr; walked.size() < shown.size();)
            walked.push_back(GetDlgCtrlID(at = GetNextDlgTabItem(log.Hwnd(), at, FALSE)));
        EXPECT_EQ(walked, shown) << "Tab does not walk the table's order";
    }
}

TEST_F(LogPanelTest, SavedFileIsTheLogInTheAnsiCodePageWithoutAByteOrderMarkAndInUtf8WhenThePageFallsShort) {
    ASSERT_EQ(GetACP(), 936u) << "the tests run with the Simplified-Chinese code page";
    const std::filesystem::path file = folder / L"log" / L"深层" / L"2026-12-8# 0# 5.log";
    ASSERT_TRUE(alerts::SaveLogFile(file.wstring(), log.Log().Text()).ok) << "missing folders are created";
    EXPECT_EQ(test::ReadBytes(file), kHeaderGbk + "\r\n");
    log.AppendLogEntry(L"【关闭进程】b\r\n");
    ASSERT_TRUE(alerts::SaveLogFile(file.wstring(), log.Log().Text()).ok);
    EXPECT_EQ(test::ReadBytes(file), kHeaderGbk + "\xA1\xBE\xB9\xD8\xB1\xD5\xBD\xF8\xB3\xCC\xA1\xBF" "b\r\n\r\n")
        << "a second save replaces the file";

    log.AppendLogEntry(L"【开启进程】\r\n标题：Emoji\U0001F600한국Win\r\n"); // beyond GBK
    ASSERT_TRUE(alerts::SaveLogFile(file.wstring(), log.Log().Text()).ok);
    const std::string bytes = test::ReadBytes(file);
    ASSERT_TRUE(bytes.starts_with(kUtf8Mark)) << "not UTF-8 with its byte-order mark";
    EXPECT_NE(bytes.find("Emoji\xF0\x9F\x98\x80\xED\x95\x9C\xEA\xB5\xADWin"), std::string::npos);
    EXPECT_EQ(ui::FromCodePage(std::string_view(bytes).substr(3), CP_UTF8), log.Log().Text() + L"\r\n");

    // On a Western system (code page 1252) Chinese is UTF-8; what the page holds stays one byte a character, and
    // a look-alike ("a" for "ā") is no fit.
    EXPECT_EQ(alerts::LogFileBytes(L"日志\r\n", 1252), kUtf8Mark + "\xE6\x97\xA5\xE5\xBF\x97\r\n");
    EXPECT_EQ(alerts::LogFileBytes(L"Korimo café\r\n", 1252), "Korimo caf\xE9\r\n");
    EXPECT_EQ(alerts::LogFileBytes(L"Korimo ā\r\n", 1252), kUtf8Mark + "Korimo \xC4\x81\r\n");
    // A save that fails says so and keeps the file it would have replaced.
    std::ofstream(folder / L"blocker") << "a file where the folder should be";
    EXPECT_FALSE(alerts::SaveLogFile((folder / L"blocker" / L"x.log").wstring(), L"text").error.empty());
    EXPECT_EQ(test::ReadBytes(folder / L"blocker"), "a file where the folder should be");
}

// The journal on a disk that fills up: scripts/test.sh mounts a small disk and names it in KORIMO_SMALL_DISK.
TEST_F(LogPanelTest, OnAFullDiskTheJournalKeepsOnlyWholeEntriesAndTheUserIsToldTheDiskIsFull) {
    const char* mounted = std::getenv("KORIMO_SMALL_DISK");
    if (!mounted)
        GTEST_SKIP() << "KORIMO_SMALL_DISK is not set: scripts/test.sh mounts a small disk for this test as root";
    const std::filesystem::path disk = test::WindowsPath(std::filesystem::path(mounted).wstring());
    const std::filesystem::path runFolder = disk / folder.filename();
    std::filesystem::create_directories(runFolder / L"log");
    FillDiskLeaving(runFolder / L"filler", 3 * 4096);
    alerts::log_form onDisk{runFolder.wstring() + L"\\", true};
    ASSERT_TRUE(onDisk.Load(96));
    std::wstring said, flushed;
    {
        Answerer told(L"#32770", L"Korimo", test::ReadAndConfirm(said));
        for (int i = 0; i < 100 && said.empty(); ++i) {
            onDisk.AppendLogEntry(L"【建立文件】" + std::wstring(500, L'满') + L"\r\n"); // 1.5 kB in UTF-8
            onDisk.FlushJournal(); // the failure's message box is answered before this returns
            if (said.empty()) flushed = onDisk.Log().Text();
        }
    }
    ASSERT_FALSE(said.empty()) << "the disk never filled up";
    ASSERT_GT(flushed.size(), alerts::LogModel::Header().size()) << "the disk was full before the first entry";
    EXPECT_NE(said.find(ui::SystemMessage(ERROR_DISK_FULL)), std::wstring::npos) << "not the real reason: " << said;

    const std::filesystem::path file = runFolder / L"log" / L"full.log";
    const alerts::SaveResult saved = alerts::SaveLogFile(file.wstring(), onDisk.Log().Text());
    EXPECT_EQ(saved.error, ui::SystemMessage(ERROR_DISK_FULL));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(std::filesystem::exists(file.wstring() + L".saving")) << "a fragment stayed behind";
    onDisk.Unload(ui::UnloadMode::SessionEnding); // no save: the writer tries once more, and keeps the journal
    EXPECT_TRUE(test::ReadBytes(runFolder / L"log" / L"korimo-journal.log") == kUtf8Mark + ui::ToCodePage(flushed, CP_UTF8))
        << "the journal is not the log up to its last whole write";
    std::filesystem::remove_all(runFolder);
}

// A journal whose log file cannot be made (a folder stands at the file's temporary name) is kept whole through a
// new run, which journals under another name; the start after recovers both, oldest first.
TEST_F(LogPanelTest, AJournalThatCannotBeRecoveredOutlivesTheNextRunAndTheStartAfterRecoversBoth) {
    const std::filesystem::path first = folder / L"log" / L"korimo-journal.log";
    const std::filesystem::path second = folder / L"log" / L"korimo-journal (2).log";
    const auto [firstLog, firstStart] = CrashedRun(L"甲\U0001F600");
    EXPECT_TRUE(firstStart.empty());
    const std::string firstJournal = test::ReadBytes(first);
    ASSERT_EQ(firstJournal, kUtf8Mark + ui::ToCodePage(firstLog, CP_UTF8));

    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(first.c_str(), GetFileExInfoStandard, &data));
    SYSTEMTIME utc{}, local{};
    FileTimeToSystemTime(&data.ftLastWriteTime, &utc);
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    const std::filesystem::path block = alerts::LogPathAt(folder.wstring() + L"\\", local) + L".saving";
    std::filesystem::create_directories(block);

    const auto [secondLog, secondStart] = CrashedRun(L"乙");
    ASSERT_EQ(secondStart.size(), 1u);
    EXPECT_EQ(secondStart[0].journal, first.wstring());
    EXPECT_TRUE(secondStart[0].savedTo.empty());
    EXPECT_FALSE(secondStart[0].error.empty());
    EXPECT_EQ(test::ReadBytes(first), firstJournal) << "the new run touched the journal it could not recover";
    EXPECT_EQ(test::ReadBytes(second), kUtf8Mark + ui::ToCodePage(secondLog, CP_UTF8));

    std::filesystem::remove(block);
    const std::vector<alerts::JournalRecovery> recovered = log.RecoverJournals();
    ASSERT_EQ(recovered.size(), 2u);
    EXPECT_EQ(recovered[0].journal, first.wstring()) << "not oldest first";
    EXPECT_EQ(recovered[1].journal, second.wstring());
    EXPECT_EQ(test::ReadBytes(recovered[0].savedTo), kUtf8Mark + ui::ToCodePage(firstLog + L"\r\n", CP_UTF8));
    EXPECT_EQ(test::ReadBytes(recovered[1].savedTo), ui::ToCodePage(secondLog + L"\r\n", 936)) << "GBK as it fits";
    EXPECT_FALSE(std::filesystem::exists(first));
    EXPECT_FALSE(std::filesystem::exists(second));
}

// Two copies of Korimo on one folder (two users of one machine, two sessions): the running copy's journal is held
// open, so the other's start neither turns it into a log file nor removes it, and the other journals under a name
// of its own; the running copy's journal then still holds its log once.
TEST_F(LogPanelTest, AStartLeavesTheJournalOfACopyThatIsRunningAlone) {
    const std::filesystem::path first = folder / L"log" / L"korimo-journal.log";
    alerts::log_form running{folder.wstring() + L"\\", true};
    ASSERT_TRUE(running.Load(96));
    running.AppendLogEntry(L"【开启进程】\r\n标题：甲\r\n");
    running.FlushJournal();
    const std::string before = test::ReadBytes(first);
    ASSERT_EQ(before, kUtf8Mark + ui::ToCodePage(running.Log().Text(), CP_UTF8));
    EXPECT_FALSE(DeleteFileW(first.c_str()) || MoveFileW(first.c_str(), (first.wstring() + L".moved").c_str()))
        << "a running copy's journal could be deleted or renamed";
    {
        const auto [otherLog, otherStart] = CrashedRun(L"乙");
        EXPECT_TRUE(otherStart.empty()) << "the other start listed the running copy's journal";
        EXPECT_EQ(test::ReadBytes(first), before) << "the other start touched the running copy's journal";
        EXPECT_EQ(test::ReadBytes(folder / L"log" / L"korimo-journal (2).log"), kUtf8Mark + ui::ToCodePage(otherLog, CP_UTF8));
    }
    running.AppendLogEntry(L"【关闭进程】\r\n标题：甲\r\n");
    running.FlushJournal();
    EXPECT_EQ(test::ReadBytes(first), kUtf8Mark + ui::ToCodePage(running.Log().Text(), CP_UTF8));
    running.Unload(ui::UnloadMode::SessionEnding);
}

// A journal switched off and on again holds the whole log. At the end the log is saved whole and its journal is
// gone before the box says so, so a log-off while the box is up leaves nothing to recover a second time; an entry
// that comes after the end is not taken.
TEST_F(LogPanelTest, AJournalSwitchedOffAndOnHoldsTheWholeLogAndGoesBeforeTheBoxSaysTheLogIsSaved) {
    const std::filesystem::path journal = folder / L"log" / L"korimo-journal.log";
    alerts::log_form run{folder.wstring() + L"\\", true};
    ASSERT_TRUE(run.Load(96));
    run.AppendLogEntry(L"【开启进程】\r\n标题：甲\r\n");
    for (bool on : {false, true}) {
        run.FlushJournal();
        ASSERT_EQ(std::filesystem::exists(journal), !on);
        run.AutoSaveSwitched(on);
        run.AppendLogEntry(on ? L"" : L"【关闭进程】\r\n标题：甲\r\n");
    }
    run.FlushJournal();
    EXPECT_EQ(test::ReadBytes(journal), kUtf8Mark + ui::ToCodePage(run.Log().Text(), CP_UTF8)) << "not the whole log";
    const std::wstring saved = run.Log().Text();
    std::wstring said;
    {
        Answerer box(L"#32770", L"Korimo", [&](HWND window) {
            said = std::filesystem::exists(journal) ? L"(the journal is there) " : L"";
            said += test::ControlText(GetDlgItem(window, 0xFFFF));
            test::Confirm(window);
        });
        run.Unload(ui::UnloadMode::Closing);
    }
    EXPECT_EQ(said, L"程序正在结束，日志已保存");
    run.AppendLogEntry(L"【建立文件】too late\r\n");
    EXPECT_EQ(run.Log().Text(), saved) << "an entry after the end reached the log";
    const std::vector<std::filesystem::directory_entry> files{std::filesystem::directory_iterator(folder / L"log"), {}};
    ASSERT_EQ(files.size(), 1u) << "the journal stayed, or the log was not saved";
    EXPECT_EQ(test::ReadBytes(files[0].path()), ui::ToCodePage(saved + L"\r\n", 936)) << "the saved log is not the log";
}

// A cancelled font or colour dialog changes nothing; a colour chosen goes to both views and its swatch, a font to
// both views.
TEST_F(LogPanelTest, AColourOrFontChosenGoesToBothViewsAndACancelledDialogChangesNothing) {
    const LOGFONTW before = log.ViewFont();
    const COLORREF text = log.TextColour(), back = log.BackColour();
    const std::pair<const wchar_t*, void (alerts::log_form::*)()> dialogs[]{
        {L"设置字体'", &alerts::log_form::Command2_Click}, {L"字体颜色", &alerts::log_form::Picture1_Click},
        {L"背景颜色", &alerts::log_form::Picture2_Click}};
    for (const auto& [title, open] : dialogs) {
        Answerer cancel(L"#32770", title, [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
        (log.*open)();
        EXPECT_TRUE(cancel.Acted()) << "no dialog titled " << title;
    }
    EXPECT_EQ(log.ViewFont().lfHeight, before.lfHeight);
    EXPECT_STREQ(log.ViewFont().lfFaceName, before.lfFaceName);
    EXPECT_EQ(std::make_pair(log.TextColour(), log.BackColour()), std::make_pair(text, back));
    {
        Answerer pick(L"#32770", L"背景颜色", [](HWND dialog) {
            SetDlgItemInt(dialog, 706, 250, FALSE); // red, green and blue of the full dialog
            SetDlgItemInt(dialog, 707, 240, FALSE);
            SetDlgItemInt(dialog, 708, 200, FALSE);
            Sleep(100);
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        log.Picture2_Click();
    }
    EXPECT_EQ(log.BackColour(), RGB(250, 240, 200));
    // A font chosen in its dialog goes to both views.
    {
        Answerer pick(L"#32770", L"设置字体'", [](HWND dialog) {
            SetDlgItemTextW(dialog, 0x472, L"26"); // the size box, set before OK is pressed
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        log.Command2_Click();
        EXPECT_TRUE(pick.Acted());
    }
    EXPECT_NE(log.ViewFont().lfHeight, before.lfHeight) << "the chosen size was not taken";
    for (bool wrapped : {false, true}) {
        LOGFONTW used{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(View(wrapped), WM_GETFONT, 0, 0)), sizeof(used), &used);
        EXPECT_EQ(used.lfHeight, log.ViewFont().lfHeight) << "a view does not use the chosen font";
    }
    // The views and the swatch paint with it: read a pixel of each.
    SendMessageW(View(true), EM_SETSEL, 0, 0);
    UpdateWindow(log.Hwnd());
    for (int id : {alerts::IDC_LOG_TEXT1, alerts::IDC_LOG_PICTURE2}) {
        HWND control = GetDlgItem(log.Hwnd(), id);
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        SIZE size{};
        const std::vector<COLORREF> pixels = test::ClientPixels(control, size);
        EXPECT_EQ(pixels[(size.cy - 6) * size.cx + size.cx - 30], RGB(250, 240, 200)) << id;
    }
}
