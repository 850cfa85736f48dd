#include "alerts/log_file.h"

namespace korimo::alerts {

std::wstring FileNameSafe(std::wstring_view text) {
    std::wstring safe;
    safe.reserve(text.size());
    for (wchar_t ch : text) {
        const bool forbidden = ch < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(ch) != std::wstring_view::npos;
        safe += forbidden ? L'-' : ch;
    }
    while (!safe.empty() && (safe.back() == L' ' || safe.back() == L'.')) safe.pop_back();
    return safe;
}

std::wstring LogFileName(std::wstring_view date, int hour, int minute) {
    return FileNameSafe(date) + L"# " + std::to_wstring(hour) + L"# " + std::to_wstring(minute) + L".log";
}

std::wstring LogFolder(std::wstring_view appFolder) { return std::wstring(appFolder) + L"log\\"; }

std::wstring AutoSavePath(std::wstring_view proposed, const std::function<bool(const std::wstring&)>& taken) {
    std::wstring path(proposed);
    const std::size_t dot = proposed.size() >= 4 && proposed.substr(proposed.size() - 4) == L".log"
                                ? proposed.size() - 4
                                : proposed.size();
    for (int n = 2; taken(path) && n < 100000; ++n)
        path = std::wstring(proposed.substr(0, dot)) + L" (" + std::to_wstring(n) + L")" + std::wstring(proposed.substr(dot));
    return path;
}

std::wstring JournalPath(std::wstring_view appFolder) { return LogFolder(appFolder) + L"korimo-journal.log"; }

std::wstring FreeJournalPath(std::wstring_view appFolder, const std::function<bool(const std::wstring&)>& taken) {
    return AutoSavePath(JournalPath(appFolder), taken);
}

int JournalNumber(std::wstring_view fileName) {
    constexpr std::wstring_view first = L"korimo-journal.log", opening = L"korimo-journal (", closing = L").log";
    if (fileName == first) return 1;
    if (!fileName.starts_with(opening) || !fileName.ends_with(closing)) return 0;
    const std::wstring_view digits = fileName.substr(opening.size(), fileName.size() - opening.size() - closing.size());
    if (digits.empty() || digits.size() > 5 || digits[0] == L'0') return 0;
    int number = 0;
    for (wchar_t ch : digits) {
        if (ch < L'0' || ch > L'9') return 0;
        number = number * 10 + (ch - L'0');
    }
    return number >= 2 ? number : 0;
}

namespace {
std::wstring FileNameOf(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }
} // namespace

// One log saved says where in full, as it always has; several, or any kept, name the folder once.
std::wstring RecoveryNotice(std::wstring_view logFolder, const std::vector<JournalRecovery>& recoveries) {
    std::vector<const JournalRecovery*> saved, kept;
    for (const JournalRecovery& recovery : recoveries) (recovery.savedTo.empty() ? kept : saved).push_back(&recovery);
    if (saved.size() == 1 && kept.empty()) return L"上次运行没有正常结束，它的日志已保存到：\n" + saved[0]->savedTo;
    std::wstring folder(logFolder);
    if (folder.ends_with(L'\\')) folder.pop_back();
    std::wstring notice;
    if (!saved.empty()) {
        notice = L"没有正常结束的运行留下的日志已保存到文件夹 " + folder + L" 中：";
        for (const JournalRecovery* recovery : saved) notice += L"\n" + FileNameOf(recovery->savedTo);
    }
    if (!kept.empty()) {
        if (!notice.empty()) notice += L"\n";
        notice += L"以下日志暂时无法恢复，已原样保留在文件夹 " + folder + L" 中，下次启动时再试：";
        for (const JournalRecovery* recovery : kept)
            notice += L"\n" + FileNameOf(recovery->journal) + L"（" + recovery->error + L"）";
    }
    return notice;
}

std::wstring LogFileText(std::wstring_view logText) { return std::wstring(logText) + L"\r\n"; }

} // namespace korimo::alerts
