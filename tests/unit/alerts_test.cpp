#include <gtest/gtest.h>

#include <set>

#include <limits>
#include <utility>
#include <vector>

#include "alerts/countdown.h"
#include "alerts/log_file.h"
#include "alerts/log_model.h"
#include "alerts/view_pacer.h"

using namespace korimo::alerts;

TEST(LogModel, StartsWithTheThreeHeaderLinesAndAppendsUnchangedAtTheBottom) {
    const std::wstring rule(30, L'\u2014');
    EXPECT_EQ(LogModel::Header(), rule + L"\r\nKorimo日志\r\n" + rule + L"\r\n");
    LogModel log;
    log.Append(L"【开启进程】a\r\n");
    log.Append(L"");
    log.Append(L"【关闭进程】b\r\n");
    EXPECT_EQ(log.Text(), LogModel::Header() + L"【开启进程】a\r\n【关闭进程】b\r\n");
    EXPECT_TRUE(log.EndsWith(L"【关闭进程】b\r\n"));
    EXPECT_FALSE(log.EndsWith(L"【开启进程】a\r\n"));
    EXPECT_EQ(log.Since(74), L"【开启进程】a\r\n【关闭进程】b\r\n");
    EXPECT_TRUE(log.Since(log.Size() + 10).empty());
}

// Hour and minute without a leading zero after one space; date forms that file names cannot hold are made safe.
// The file goes into the log folder and ends with one more line break.
TEST(LogFile, NamedForTheMinuteInTheLogFolderAndEndingWithOneMoreLineBreak) {
    EXPECT_EQ(LogFileName(L"2008-4-5", 14, 7), L"2008-4-5# 14# 7.log");
    EXPECT_EQ(LogFileName(L"2008-4-5", 0, 0), L"2008-4-5# 0# 0.log");
    EXPECT_EQ(LogFileName(L"2026/12/8", 9, 3), L"2026-12-8# 9# 3.log"); // the zh-CN short date
    EXPECT_EQ(FileNameSafe(L"12\\8:2026*?\"<>|"), L"12-8-2026------");
    EXPECT_EQ(FileNameSafe(L"8.12.2026."), L"8.12.2026"); // Windows would drop the final dot
    EXPECT_EQ(FileNameSafe(L"2026年12月8日"), L"2026年12月8日");
    EXPECT_EQ(FileNameSafe(std::wstring(L"a\tb\nc")), L"a-b-c");
    EXPECT_EQ(LogFolder(L"C:\\Tools\\"), L"C:\\Tools\\log\\");
    EXPECT_EQ(LogFileText(LogModel::Header()), LogModel::Header() + L"\r\n");
}

TEST(Journal, ANewRunTakesTheFirstFreeNameAndEveryJournalNameIsFoundAgain) {
    std::set<std::wstring> taken{L"C:\\k\\log\\korimo-journal.log"};
    const std::wstring path = FreeJournalPath(L"C:\\k\\", [&](const std::wstring& p) { return taken.count(p) > 0; });
    EXPECT_EQ(path, L"C:\\k\\log\\korimo-journal (2).log");
    EXPECT_EQ(JournalNumber(L"korimo-journal.log"), 1);
    EXPECT_EQ(JournalNumber(path.substr(path.find_last_of(L'\\') + 1)), 2);
    EXPECT_EQ(JournalNumber(L"korimo-journal (12).log"), 12);
    for (const wchar_t* other : {L"korimo-journal (1).log", L"korimo-journal (02).log", L"korimo-journal ().log",
                                 L"korimo-journal (2x).log", L"korimo-journal.log.saving", L"2008-4-5# 14# 7.log"})
        EXPECT_EQ(JournalNumber(other), 0) << other;
}

TEST(Journal, TheStartsNoticeSaysWhereEachLogWentAndWhichJournalsWereKept) {
    const std::wstring folder = L"C:\\k\\log\\";
    EXPECT_EQ(RecoveryNotice(folder, {}), L"");
    const JournalRecovery first{folder + L"korimo-journal.log", folder + L"2008-4-5# 14# 7.log", L""};
    EXPECT_EQ(RecoveryNotice(folder, {first}), L"上次运行没有正常结束，它的日志已保存到：\nC:\\k\\log\\2008-4-5# 14# 7.log");
    const JournalRecovery second{folder + L"korimo-journal (2).log", folder + L"2008-4-5# 14# 9.log", L""};
    const JournalRecovery kept{folder + L"korimo-journal (3).log", L"", L"拒绝访问。"};
    EXPECT_EQ(RecoveryNotice(folder, {first, second, kept}),
              L"没有正常结束的运行留下的日志已保存到文件夹 C:\\k\\log 中：\n2008-4-5# 14# 7.log\n2008-4-5# 14# 9.log\n"
              L"以下日志暂时无法恢复，已原样保留在文件夹 C:\\k\\log 中，下次启动时再试：\nkorimo-journal (3).log（拒绝访问。）");
}

// An update of the views that took long makes the next one wait nine times as long, from 100 ms up to 1 s.
TEST(ViewPacer, TheNextUpdateWaitsNineTimesTheLastOnesCostFrom100MsUpTo1s) {
    ViewPacer pacer;
    for (const auto& [took, delay] : {std::pair{500u, 1000u}, std::pair{3u, 100u}, std::pair{50u, 450u}}) {
        pacer.UpdateTook(took);
        EXPECT_EQ(pacer.DelayMs(), delay) << took;
    }
}

namespace {
std::vector<std::wstring> RunCountdown(std::int16_t ot, std::int16_t ov, int ticks, std::int16_t& ovalue) {
    std::vector<std::wstring> shown;
    for (int i = 0; i < ticks && ovalue == 0; ++i) shown.push_back(CountdownTick(ot, ov, ovalue));
    return shown;
}
} // namespace

// Ten seconds show 10 down to 0 and the eleventh tick answers; zero seconds answer on the first tick.
TEST(Countdown, TheTickAfterZeroGivesTheDefaultAnswer) {
    std::int16_t ovalue = 0;
    const auto shown = RunCountdown(10, 1, 100, ovalue);
    ASSERT_EQ(shown.size(), 11u);
    EXPECT_EQ(shown[0] + shown[1] + shown[10], L" 10 9 0") << "not 10, 9 … 0";
    EXPECT_EQ(ovalue, 1);
    ovalue = 0;
    EXPECT_EQ(RunCountdown(0, 3, 100, ovalue), std::vector<std::wstring>{L" 0"});
    EXPECT_EQ(ovalue, 3);
}

// Without a default answer the count goes on below zero and never wraps round; a button's answer stands.
TEST(Countdown, WithoutADefaultAnswerItGoesOnBelowZeroAndNeverWrapsRound) {
    std::int16_t ot = 1, ovalue = 0;
    EXPECT_EQ(CountdownTick(ot, 0, ovalue), L" 1");
    EXPECT_EQ(CountdownTick(ot, 0, ovalue), L" 0");
    EXPECT_EQ(CountdownTick(ot, 0, ovalue), L"-1");
    EXPECT_EQ(ovalue, 0);
    ot = std::numeric_limits<std::int16_t>::min() + 1;
    for (int i = 0; i < 3; ++i) CountdownTick(ot, 0, ovalue);
    EXPECT_EQ(ot, std::numeric_limits<std::int16_t>::min()) << "the count wrapped round to a positive number";
    EXPECT_EQ(CountdownTick(ot, 0, ovalue), L"-32768");
    ot = 5, ovalue = 2; // the user pressed the second button
    CountdownTick(ot, 1, ovalue);
    EXPECT_EQ(ovalue, 2);
}
