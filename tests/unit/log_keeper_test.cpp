#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "alerts/log_keeper.h"

using namespace korimo::alerts;

namespace {
// The system's side played by the test: a clock it moves, files in memory, a journal that is what the writer was
// handed, drives that fail or do not answer, and a user who says yes and picks `chosen`.
class LogKeeperTest : public testing::Test, protected LogDisk, protected LogUser {
protected:
    std::uint64_t NowMs() override { return now; }
    std::wstring ProposedLogPath(const std::wstring& folder) override { return folder + L"log\\2026-12-8# 9# 3.log"; }
    std::wstring DocumentsFolder() override { return L"D:\\文档"; }
    bool Exists(const std::wstring& path) override { return files.count(path) > 0; }
    bool SamePath(const std::wstring& a, const std::wstring& b) override { return a == b; }
    SaveResult Save(const std::wstring& path, std::wstring_view text) override {
        if (blocked.find(path[0]) != std::wstring::npos) return {false, L"拒绝访问。"};
        return files[path] = text, SaveResult{true, {}};
    }
    SaveResult SaveAtEnd(const std::wstring& path, std::wstring_view text, std::uint64_t) override {
        return hung.find(path[0]) != std::wstring::npos ? SaveResult{false, {}, true} : Save(path, text);
    }
    void HandToJournal(std::wstring_view entries) override { journal += entries; }
    void RemoveJournal() override { journal.clear(); }
    std::vector<JournalFailure> TakeJournalFailures() override { return std::exchange(failures, {}); }
    bool FinishJournal(bool keep, std::uint64_t) override { return journal = keep ? journal : L"", hung.empty(); }
    void Tell(const std::wstring& failure) override { said.push_back(failure); }
    void Announce(const std::wstring& news) override { said.push_back(news); }
    bool Ask(const std::wstring& question) override { return said.push_back(question), true; }
    std::wstring AskSavePath(const std::wstring& folder, const std::wstring& name) override {
        return asked = folder + L"\\" + name, chosen;
    }

    std::uint64_t now = 0;
    std::map<std::wstring, std::wstring> files;
    std::vector<std::wstring> said;
    std::wstring blocked, hung, journal, asked, chosen; // the drives whose saves fail, and those that do not answer
    std::vector<JournalFailure> failures;
    LogKeeper keeper{L"C:\\k\\", L"U:\\k\\", true, *this};
};
} // namespace

// Every moment is a kill point: the journal is the log's beginning, whole entries, each once, lacking none older than
// a period. A flood that holds the timer back hands over by its appends; a trickle, by the timer.
TEST_F(LogKeeperTest, AtEveryMomentOfAFloodAndATrickleTheJournalLacksNothingOlderThanAPeriod) {
    std::map<std::size_t, std::uint64_t> cameAt; // the log's size after each entry, and when the entry came
    std::uint64_t timerDue = UINT64_MAX;
    const auto step = [&](std::uint64_t ms, bool timersServed) {
        now += ms;
        if (timersServed && now >= timerDue) timerDue = UINT64_MAX, keeper.HandOver();
        const JournalTimer order = keeper.Append(L"【建立文件】" + std::to_wstring(now) + L"\r\n");
        if (order != JournalTimer::Keep) timerDue = order == JournalTimer::Start ? now + kJournalMs : UINT64_MAX;
        cameAt[keeper.Log().Size()] = now;
        ASSERT_TRUE(keeper.Log().Text().starts_with(journal));
        ASSERT_TRUE(journal.empty() || cameAt.count(journal.size())) << "the journal ends inside an entry";
        const auto oldestMissing = cameAt.upper_bound(journal.size());
        ASSERT_TRUE(oldestMissing == cameAt.end() || now - oldestMissing->second <= kJournalMs) << now;
    };
    for (int i = 0; i < 3000; ++i) step(1, false);
    for (int i = 0; i < 100; ++i) step(50, true);
}

// An earlier run's file of the same minute is never replaced by the save at the end; a file this run saved may be.
TEST_F(LogKeeperTest, TheSaveAtTheEndGoesBesideAnEarlierRunsFileAndOverThisRunsOwn) {
    const std::wstring proposed = L"C:\\k\\log\\2026-12-8# 9# 3.log", second = L"C:\\k\\log\\2026-12-8# 9# 3 (2).log";
    files[proposed] = L"an earlier run's log";
    chosen = second;
    keeper.SaveAs(*this);
    EXPECT_EQ(asked, proposed);
    keeper.Append(L"【建立文件】a\r\n");
    keeper.End(LogEnd::Closing, *this);
    EXPECT_EQ(files[proposed], L"an earlier run's log");
    EXPECT_EQ(files[second], keeper.Log().Text()) << "this run's own file was not the one replaced";
}

// A failing journal is told once. An orderly end whose save fails asks where the log should go and opens Save As
// in Documents; a Save As that fails too is told with its path and reason; the journal keeps the whole log. At the
// end of a session nobody is asked or told anything: the spare folder takes the log. A disk that does not answer
// at the end is asked nothing more, and the user is told that the journal keeps the log for the next start.
TEST_F(LogKeeperTest, AFailedSaveAtTheEndOffersSaveAsButAtTheEndOfASessionTheSpareFolderTakesTheLog) {
    const JournalFailure full{L"C:\\k\\log\\korimo-journal.log", L"磁盘空间不足。"};
    for (int i = 0; i < 2; ++i) failures = {full}, keeper.TellJournalFailure(*this);
    keeper.Append(L"【删除文件】最后一条\r\n");
    blocked = L"CD";
    chosen = L"D:\\文档\\2026-12-8# 9# 3.log";
    keeper.End(LogEnd::Closing, *this);
    EXPECT_EQ(asked, chosen);
    EXPECT_EQ(journal, keeper.Log().Text());
    LogKeeper ending{L"C:\\k\\", L"U:\\k\\", true, *this};
    failures = {full};
    ending.End(LogEnd::SessionEnding, *this);
    EXPECT_EQ(files[L"U:\\k\\log\\2026-12-8# 9# 3.log"], ending.Log().Text());
    LogKeeper stuck{L"H:\\k\\", L"U:\\k\\", true, *this};
    hung = L"H";
    stuck.End(LogEnd::Closing, *this);
    EXPECT_EQ(journal, stuck.Log().Text());
    ASSERT_EQ(said.size(), 4u);
    EXPECT_TRUE(said[3].find(L"\nH:\\k\\log\n") != std::wstring::npos &&
                said[3].find(L"下次启动") != std::wstring::npos);
    EXPECT_TRUE(
        said[0].starts_with(L"日志无法写入实时记录文件：\nC:\\k\\log\\korimo-journal.log\n\n磁盘空间不足。\n\n"));
    EXPECT_EQ(said[1],
              L"日志无法自动保存到：\nC:\\k\\log\\2026-12-8# 9# 3.log\n\n拒绝访问。\n\n要把日志另存到其他位置吗？");
    EXPECT_EQ(said[2], L"日志无法保存到：\nD:\\文档\\2026-12-8# 9# 3.log\n\n拒绝访问。");
}
