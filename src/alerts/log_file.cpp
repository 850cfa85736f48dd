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

std::wstring LogFileText(std::wstring_view logText) { return std::wstring(logText) + L"\r\n"; }

} // namespace korimo::alerts
