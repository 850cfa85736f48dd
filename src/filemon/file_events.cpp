#include "filemon/file_events.h"

#include <array>
#include <bit>

namespace korimo::filemon {

namespace {
struct EventName {
    std::uint32_t code;
    const wchar_t* name;
};
// "移去可移动存储介" (one character short of its box's caption "移去可移动存储介质") is the event's name as Korimo
// logs it and as the box's fixed text compares it: meant, keep it.
constexpr std::array<EventName, 24> kEvents{{
    {0x00000001, L"重命名文件"},       {0x00000002, L"建立文件"},         {0x00000004, L"删除文件"},
    {0x00000008, L"新建目录"},         {0x00000010, L"删除目录"},         {0x00000020, L"插入可移动存储介质"},
    {0x00000040, L"移去可移动存储介"}, {0x00000080, L"移去驱动器"},       {0x00000100, L"添加驱动器"},
    {0x00000200, L"开启目录的共享属性"}, {0x00000400, L"取消目录的共享属性"}, {0x00000800, L"改变文件(目录)属性"},
    {0x00001000, L"更新目录"},         {0x00002000, L"更新文件"},         {0x00004000, L"断开与服务器的连接"},
    {0x00008000, L"改变系统图片"},     {0x00010000, L"成功安装驱动"},     {0x00020000, L"重命名文件夹"},
    {0x00040000, L"磁盘空间大小改变"}, {0x08000000, L"改变文件关联"},     {0x0002381F, L"结合磁盘"},
    {0x0C0581E0, L"全盘结合"},         {0x7FFFFFFF, L"全体结合"},         {0x80000000, L"系统发生改变"},
}};

constexpr std::array<EventSwitch, kSwitchCount> kSwitches{{
    {L"重命名文件", L"重命名文件", true},
    {L"建立文件", L"建立文件", true},
    {L"删除文件", L"删除文件", true},
    {L"新建目录", L"新建目录", false},
    {L"删除目录", L"删除目录", false},
    {L"插入可移动存储介质", L"插入可移动存储介质", true},
    {L"移去可移动存储介", L"移去可移动存储介质", false},
    {L"移去驱动器", L"移去驱动器", false},
    {L"添加驱动器", L"添加驱动器", true},
    {L"开启目录的共享属性", L"开启目录的共享属性", true},
    {L"取消目录的共享属性", L"取消目录的共享属性", false},
    {L"改变文件(目录)属性", L"改变文件(目录)属性", true},
    {L"更新目录", L"更新目录", false},
    {L"更新文件", L"更新文件", false},
    {L"断开与服务器的连接", L"断开与服务器的连接", true},
    {L"改变系统图片", L"改变系统图片", false},
    {L"成功安装驱动", L"成功安装驱动", true},
    {L"重命名文件夹", L"重命名文件夹", true},
    {L"磁盘空间大小改变", L"磁盘空间大小改变", false},
    {L"非法使用", L"非法使用", true},
    {L"改变文件关联", L"改变文件关联", true},
    {L"结合磁盘", L"结合磁盘", true},
    {L"全盘结合", L"全盘结合", true},
    {L"全体结合", L"全体结合", true},
    {L"系统发生改变", L"系统发生改变", true},
}};

constexpr std::uint32_t kUpdateImage = 0x00008000;
constexpr std::uint32_t kInterrupt = 0x80000000;
constexpr std::uint32_t kFreeSpace = 0x00040000;

std::wstring DriveLines(std::uint32_t mask) {
    if (mask == 0 || (mask & 0x80000000u)) return {}; // no drive letter can be derived
    std::wstring lines;
    for (int bit = 0; bit < 31; ++bit)
        if (mask & (1u << bit)) lines += std::wstring(1, static_cast<wchar_t>(L'A' + bit)) + L":\\\r\n";
    return lines;
}

// The lines of one item: its name and/or its path under the item's own labels (the second item's name and path
// share one label), or a note that the shell could not name it.
std::wstring ItemLines(const ItemReader& items, int item, const DetailOptions& options, const wchar_t* nameLabel,
                       const wchar_t* pathLabel, const wchar_t* invalid) {
    if (!items.Present(item)) return {};
    const std::wstring name = items.DisplayName(item);
    if (name.empty()) return std::wstring(invalid) + L"\r\n";
    std::wstring lines;
    if (options.byName) lines += nameLabel + name + L"\r\n";
    if (options.byPath) lines += pathLabel + items.Path(item) + L"\r\n";
    return lines;
}
} // namespace

bool IsRepeat(std::wstring_view details, bool skipRepeats, bool logEndsWithDetails) {
    return skipRepeats && (details.empty() || logEndsWithDetails);
}

std::uint32_t EventsToRegister(const std::array<int, kSwitchCount>& states) {
    std::uint32_t events = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < kSwitchCount; ++i)
        for (const EventName& event : kEvents)
            if (states[i] == 0 && kSwitches[i].fixedText == event.name && std::has_single_bit(event.code) &&
                event.code != kInterrupt)
                events &= ~event.code;
    return events;
}

std::wstring GetEventText(std::int32_t code) {
    for (const EventName& event : kEvents)
        if (event.code == static_cast<std::uint32_t>(code)) return event.name;
    return {};
}

std::wstring StripNull(std::wstring_view text) {
    const auto nul = text.find(L'\0');
    return std::wstring(nul == std::wstring_view::npos ? text : text.substr(0, nul));
}

const std::array<EventSwitch, kSwitchCount>& EventSwitches() { return kSwitches; }

bool SwitchedOff(std::wstring_view eventName, const std::array<int, kSwitchCount>& states) {
    for (std::size_t i = 0; i < kSwitchCount; ++i)
        if (eventName == kSwitches[i].fixedText && states[i] == 0) return true;
    return false;
}

std::wstring BuildDetails(std::int32_t code, const ItemReader& items, const DetailOptions& options) {
    const auto event = static_cast<std::uint32_t>(code);
    if (event == kUpdateImage || event == kFreeSpace) {
        const std::optional<std::int32_t> value = items.Present(1) ? items.Value() : std::nullopt;
        if (!value) return {};
        if (event == kFreeSpace) return DriveLines(static_cast<std::uint32_t>(*value));
        return L"Index of image in system imagelist: " + std::to_wstring(*value) + L"\r\n";
    }
    if (!options.detailed) return {};
    return ItemLines(items, 1, options, L"名字：", L"路径：", L"first item is invalid") +
           ItemLines(items, 2, options, L"改为：", L"改为：", L"second item is invalid");
}

std::wstring ReportEntry(std::wstring_view eventName, std::wstring_view dateTime, std::wstring_view details) {
    return L"【" + std::wstring(eventName) + L"】" + std::wstring(dateTime) + L"\r\n" + std::wstring(details);
}

FlashCounter::Step FlashCounter::Tick() {
    Step step{count_ == 0, false};
    if (++count_ == 6) {
        count_ = 0;
        step.done = true;
    }
    return step;
}

} // namespace korimo::filemon
