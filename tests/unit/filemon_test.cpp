#include <gtest/gtest.h>

#include "filemon/file_events.h"

using namespace korimo::filemon;

namespace {
struct FakeItems final : ItemReader {
    bool present[2]{};
    std::wstring names[2], paths[2];
    std::optional<std::int32_t> value;
    bool Present(int item) const override { return present[item - 1]; }
    std::wstring DisplayName(int item) const override { return names[item - 1]; }
    std::wstring Path(int item) const override { return paths[item - 1]; }
    std::optional<std::int32_t> Value() const override { return value; }
};

FakeItems OneFile(std::wstring name, std::wstring path) {
    FakeItems items;
    items.present[0] = true;
    items.names[0] = std::move(name);
    items.paths[0] = std::move(path);
    return items;
}

std::array<int, kSwitchCount> DesignStates() {
    std::array<int, kSwitchCount> states{};
    for (std::size_t i = 0; i < kSwitchCount; ++i) states[i] = EventSwitches()[i].ticked ? 1 : 0;
    return states;
}
} // namespace

TEST(EventText, EveryCodeByExactEqualityOnly) {
    EXPECT_EQ(GetEventText(0x00000002), L"建立文件");
    EXPECT_EQ(GetEventText(0x00000040), L"移去可移动存储介");
    EXPECT_EQ(GetEventText(0x00000040).size(), 8u);
    EXPECT_EQ(GetEventText(0x00040000), L"磁盘空间大小改变");
    EXPECT_EQ(GetEventText(static_cast<std::int32_t>(0x80000000)), L"系统发生改变");
    EXPECT_EQ(GetEventText(0x7FFFFFFF), L"全体结合");
    EXPECT_EQ(GetEventText(0x0002381F), L"结合磁盘");
    EXPECT_EQ(GetEventText(static_cast<std::int32_t>(0x80000002)), L"") << "an extra bit matches nothing";
    EXPECT_EQ(GetEventText(0), L"");
    EXPECT_EQ(GetEventText(0x00000800), L"改变文件(目录)属性");
}

TEST(EventSwitches, OnlyAnUntickedBoxWithTheEventsNameDropsIt) {
    auto states = DesignStates();
    EXPECT_FALSE(SwitchedOff(L"建立文件", states));
    EXPECT_TRUE(SwitchedOff(L"新建目录", states));
    EXPECT_TRUE(SwitchedOff(L"移去可移动存储介", states)) << "box 6 compares the event's eight characters";
    EXPECT_FALSE(SwitchedOff(L"", states)) << "an unknown event passes every switch";
    states[3] = 2; // greyed
    EXPECT_FALSE(SwitchedOff(L"新建目录", states));
    states[1] = 0;
    EXPECT_TRUE(SwitchedOff(L"建立文件", states));
    EXPECT_EQ(EventSwitches()[6].caption, L"移去可移动存储介质");
    EXPECT_EQ(EventSwitches()[19].fixedText, L"非法使用");
    // The shell is asked for exactly the events the switches would not drop (a combined code's box takes no event
    // away), and always with the interrupt flag, which the file system's events carry.
    const auto askedForWhatIsKept = [&] {
        const std::uint32_t asked = EventsToRegister(states);
        for (int bit = 0; bit < 31; ++bit)
            if (((asked >> bit) & 1u) == SwitchedOff(GetEventText(1 << bit), states)) return false;
        return (asked >> 31) == 1u;
    };
    EXPECT_TRUE(askedForWhatIsKept());
    for (std::size_t box : {21, 22, 23, 24}) states[box] = 0; // 结合磁盘, 全盘结合, 全体结合, 系统发生改变
    EXPECT_TRUE(askedForWhatIsKept()) << "a combined code's box or the interrupt's took a bit away";
}

TEST(Details, PathNameAndRenameLines) {
    const DetailOptions byPath;
    EXPECT_EQ(BuildDetails(2, OneFile(L"a.txt", L"C:\\测试\\a.txt"), byPath), L"路径：C:\\测试\\a.txt\r\n");
    FakeItems rename = OneFile(L"a.txt", L"C:\\a.txt");
    rename.present[1] = true;
    rename.names[1] = L"b.txt";
    rename.paths[1] = L"C:\\b.txt";
    EXPECT_EQ(BuildDetails(1, rename, byPath), L"路径：C:\\a.txt\r\n改为：C:\\b.txt\r\n");
    EXPECT_EQ(BuildDetails(1, rename, {true, true, false}), L"名字：a.txt\r\n改为：b.txt\r\n");
    EXPECT_EQ(BuildDetails(2, OneFile(L"Control Panel", L""), byPath), L"路径：\r\n") << "a virtual folder";
    EXPECT_EQ(BuildDetails(2, OneFile(L"", L"C:\\x"), byPath), L"first item is invalid\r\n");
    EXPECT_EQ(BuildDetails(2, OneFile(L"a", L"C:\\a"), {false, false, true}), L"") << "details off";
    EXPECT_EQ(BuildDetails(2, FakeItems{}, byPath), L"") << "no item, no line";
}

TEST(Details, FreeSpaceAndImageIndexCarryValuesWhateverTheSettings) {
    FakeItems value;
    value.present[0] = true;
    value.value = 0x0000000C;
    EXPECT_EQ(BuildDetails(0x00040000, value, {false, false, false}), L"C:\\\r\nD:\\\r\n");
    value.value = 0x03FFFFFF;
    EXPECT_EQ(BuildDetails(0x00040000, value, {}).substr(0, 10), L"A:\\\r\nB:\\\r\n");
    value.value = 0;
    EXPECT_EQ(BuildDetails(0x00040000, value, {}), L"") << "no drive can be derived from an empty mask";
    value.value = static_cast<std::int32_t>(0x80000004);
    EXPECT_EQ(BuildDetails(0x00040000, value, {}), L"");
    value.value = -3;
    EXPECT_EQ(BuildDetails(0x00008000, value, {}), L"Index of image in system imagelist: -3\r\n");
    FakeItems none;
    EXPECT_EQ(BuildDetails(0x00008000, none, {}), L"") << "no item: nothing is read through it";
    EXPECT_EQ(BuildDetails(0x00040000, none, {}), L"");
}

TEST(ReportEntry, NameDateTimeThenTheDetails) {
    EXPECT_EQ(ReportEntry(L"建立文件", L"2026/12/8 10:15:00", L"路径：C:\\a\r\n"),
              L"【建立文件】2026/12/8 10:15:00\r\n路径：C:\\a\r\n");
    EXPECT_EQ(ReportEntry(L"", L"t", L""), L"【】t\r\n");
    EXPECT_EQ(StripNull(std::wstring(L"ab\0cd", 5)), L"ab");
    EXPECT_EQ(StripNull(std::wstring(L"\0x", 2)), L"");
    EXPECT_EQ(StripNull(L"abc"), L"abc");
}

TEST(FlashCounter, SixInversionsTheFirstQuickThenEvery200ms) {
    FlashCounter flash;
    int inversions = 0;
    FlashCounter::Step step{};
    do {
        step = flash.Tick();
        EXPECT_EQ(step.slowDown, inversions == 0);
        ++inversions;
    } while (!step.done);
    EXPECT_EQ(inversions, 6) << "an even count leaves the caption as it was";
    EXPECT_EQ(flash.Count(), 0);
}

TEST(FileFilter, WithRepeatsSkippedNoDetailsOrTheLogsOwnEndIsARepeat) {
    EXPECT_FALSE(IsRepeat(L"路径：C:\\b\r\n", true, false));
    EXPECT_TRUE(IsRepeat(L"路径：C:\\a\r\n", true, true)) << "it repeats the log's end";
    EXPECT_TRUE(IsRepeat(L"", true, false)) << "no details with repeats skipped";
    EXPECT_FALSE(IsRepeat(L"", false, true));
    EXPECT_FALSE(IsRepeat(L"路径：C:\\a\r\n", false, true));
}
