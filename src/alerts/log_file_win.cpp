#include "alerts/log_file_win.h"

#include <algorithm>

#include "alerts/log_file.h"
#include "ui/text_win.h"

namespace korimo::alerts {

namespace {
std::wstring ShortDate(const SYSTEMTIME& when) {
    wchar_t date[128]{};
    if (!GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, date, 128, nullptr))
        return std::to_wstring(when.wYear) + L"-" + std::to_wstring(when.wMonth) + L"-" + std::to_wstring(when.wDay);
    return date;
}

SaveResult Failed() { return {false, ui::SystemMessage(GetLastError())}; }

bool WriteWhole(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return FlushFileBuffers(file) != FALSE;
}
} // namespace

std::wstring ProposedLogPath(std::wstring_view appFolder) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return LogFolder(appFolder) + LogFileName(ShortDate(now), now.wHour, now.wMinute);
}

void EnsureFolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash == 0) return;
    const std::wstring folder = path.substr(0, slash);
    if (GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    EnsureFolderOf(folder); // parents first
    CreateDirectoryW(folder.c_str(), nullptr);
}

SaveResult SaveLogFile(const std::wstring& path, std::wstring_view logText) {
    EnsureFolderOf(path);
    const std::string bytes = ui::ToAnsi(LogFileText(logText));
    const std::wstring temporary = path + L".saving";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return Failed();
    const bool written = WriteWhole(file, bytes);
    const DWORD writeError = GetLastError();
    CloseHandle(file);
    if (!written) {
        DeleteFileW(temporary.c_str());
        SetLastError(writeError);
        return Failed();
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const SaveResult result = Failed();
        DeleteFileW(temporary.c_str());
        return result;
    }
    return {true, {}};
}

} // namespace korimo::alerts
