#include "alerts/log_file_win.h"

#include <algorithm>

#include "alerts/log_file.h"
#include "ui/handle.h"
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
    return LogPathAt(appFolder, now);
}

std::wstring LogPathAt(std::wstring_view appFolder, const SYSTEMTIME& localTime) {
    return LogFolder(appFolder) + LogFileName(ShortDate(localTime), localTime.wHour, localTime.wMinute);
}

void EnsureFolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash == 0) return;
    const std::wstring folder = path.substr(0, slash);
    if (GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    EnsureFolderOf(folder); // parents first
    CreateDirectoryW(folder.c_str(), nullptr);
}

namespace {
// The bytes go to a temporary file beside the target first, then replace it in one move.
SaveResult SaveBytes(const std::wstring& path, const std::string& bytes) {
    EnsureFolderOf(path);
    const std::wstring temporary = path + L".saving";
    SaveResult wrote{true, {}};
    {
        ui::Handle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) return Failed();
        if (!WriteWhole(file.Get(), bytes)) wrote = Failed();
    } // closed before the temporary file is moved or deleted
    if (!wrote.ok) {
        DeleteFileW(temporary.c_str());
        return wrote;
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const SaveResult result = Failed();
        DeleteFileW(temporary.c_str());
        return result;
    }
    return {true, {}};
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
} // namespace

SaveResult SaveLogFile(const std::wstring& path, std::wstring_view logText) {
    return SaveBytes(path, ui::ToAnsi(LogFileText(logText)));
}

SaveResult WriteJournal(const std::wstring& path, std::wstring_view text, bool fresh) {
    EnsureFolderOf(path);
    ui::Handle file(CreateFileW(path.c_str(), fresh ? GENERIC_WRITE : FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                fresh ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return Failed();
    const std::string bytes = ui::ToAnsi(text);
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        return Failed();
    return {true, {}};
}

std::wstring RecoverJournal(std::wstring_view appFolder) {
    const std::wstring journal = JournalPath(appFolder);
    FILETIME written{};
    std::string bytes;
    bool read = false;
    {
        ui::Handle file(CreateFileW(journal.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) return {};
        LARGE_INTEGER size{};
        read = GetFileTime(file.Get(), nullptr, nullptr, &written) && GetFileSizeEx(file.Get(), &size) &&
               size.QuadPart < (1LL << 31);
        if (read) {
            bytes.resize(static_cast<size_t>(size.QuadPart));
            DWORD got = 0;
            read = bytes.empty() ||
                   (ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                    got == bytes.size());
        }
    } // closed before the journal is deleted
    SYSTEMTIME utc{}, local{};
    if (!read || !FileTimeToSystemTime(&written, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return {};
    const std::wstring path = AutoSavePath(LogPathAt(appFolder, local), Exists);
    if (!SaveBytes(path, bytes + "\r\n").ok) return {};
    DeleteFileW(journal.c_str());
    return path;
}

} // namespace korimo::alerts
