#include <gtest/gtest.h>

#include "app/tray_record.h"

using namespace korimo::app;

TEST(FitField, NeverSplitsASurrogatePair) {
    const std::u16string text = u"ab\U0001F600cd"; // a, b, high, low, c, d
    EXPECT_EQ(FitField<char16_t>(text, 4), u"ab");                 // would end in the high half: dropped
    EXPECT_EQ(FitField<char16_t>(text, 5), u"ab\U0001F600");        // the pair fits whole
    EXPECT_EQ(FitField<char16_t>(u"\U0001F600", 2), u"");
    EXPECT_EQ(FitField<char16_t>(text, 10), text);
}

TEST(TrayRecord, NoticeReplacesTextsAndTipIsKeptUnlessGiven) {
    TrayRecord record;
    EXPECT_EQ(record.Tip(), L"Korimo 正在保护你的电脑...");
    record.StoreNotice(L"提示：", L"Korimo已经最小化到托盘！", 1, L"");
    EXPECT_EQ(record.Notice().title, L"提示：");
    EXPECT_EQ(record.Notice().text, L"Korimo已经最小化到托盘！");
    EXPECT_EQ(record.Notice().infoFlags, 1u);
    EXPECT_EQ(record.Tip(), L"Korimo 正在保护你的电脑...");

    record.StoreNotice(L"开启进程", std::wstring(400, L'x'), 1, L"another tip");
    EXPECT_EQ(record.Notice().text.size(), kInfoField - 1);
    EXPECT_EQ(record.Tip(), L"another tip");
    record.StoreNotice(std::wstring(100, L't'), L"", 2, L"");
    EXPECT_EQ(record.Notice().title.size(), kInfoTitleField - 1);
    EXPECT_EQ(record.Tip(), L"another tip");
}

TEST(NoticePacer, AFloodGivesTheShellOneNoticePerIntervalAndTheLastOneAlways) {
    korimo::app::NoticePacer pacer;
    EXPECT_TRUE(pacer.Arrive(1000).showNow);
    const auto wait = pacer.Arrive(1100); // too soon: the newest waits for the rest of the interval
    EXPECT_FALSE(wait.showNow);
    EXPECT_EQ(wait.waitMs, korimo::app::kNoticeIntervalMs - 100);
    for (std::uint64_t t = 1101; t < 1250; ++t) EXPECT_EQ(pacer.Arrive(t).waitMs, 0u) << "a second wait was started";
    EXPECT_TRUE(pacer.Due(1250));
    EXPECT_FALSE(pacer.Due(1251)) << "one notice waited, and it was shown";
    EXPECT_FALSE(pacer.Arrive(1300).showNow);
    EXPECT_TRUE(pacer.Due(1500));
    EXPECT_TRUE(pacer.Arrive(1500 + korimo::app::kNoticeIntervalMs).showNow) << "a quiet interval shows at once";
}
