#include "alerts/log_file_win.h"

#include <shlobj.h>

#include <algorithm>
#include <optional>

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

SaveResult Failed(DWORD error) { return {false, ui::SystemMessage(error)}; }
SaveResult Failed() { return Failed(GetLastError()); }
} // namespace

// A write that reports success having written nothing leaves no error code of its own: the disk took nothing
// more, so that is the reason given.
DWORD WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 24));
        DWORD written = 0;
        SetLastError(ERROR_SUCCESS);
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
            const DWORD error = GetLastError();
            return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
        }
        if (written == 0) return ERROR_DISK_FULL;
        bytes.remove_prefix(written);
    }
    return ERROR_SUCCESS;
}

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
    if (PathExists(folder)) return;
    EnsureFolderOf(folder); // parents first
    CreateDirectoryW(folder.c_str(), nullptr);
}

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string LogFileBytes(std::wstring_view text, UINT codePage) {
    if (ui::FitsCodePage(text, codePage)) return ui::ToCodePage(text, codePage);
    return std::string(kUtf8Mark) + ui::ToCodePage(text, CP_UTF8);
}

namespace {
// The file a save writes before it moves it over its target: deleted when it goes, unless it was moved.
class TemporaryFile {
public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }
    const std::wstring& Path() const { return path_; }
    void MovedInPlace() { path_.clear(); }

private:
    std::wstring path_;
};

// The bytes go to a temporary file beside the target first, then replace it in one move.
SaveResult SaveBytes(const std::wstring& path, const std::string& bytes, JournalFlush flush) {
    EnsureFolderOf(path);
    TemporaryFile temporary(path + L".saving");
    {
        ui::Handle file(CreateFileW(temporary.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) {
            const DWORD error = GetLastError();
            temporary.MovedInPlace(); // not made: nothing of ours to delete
            return Failed(error);
        }
        DWORD error = WriteAll(file.Get(), bytes);
        if (error == ERROR_SUCCESS && !flush(file.Get())) error = GetLastError();
        if (error != ERROR_SUCCESS) return Failed(error);
    } // closed before the temporary file is moved or deleted
    if (!MoveFileExW(temporary.Path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Failed();
    temporary.MovedInPlace();
    return {true, {}};
}
} // namespace

SaveResult SaveLogFile(const std::wstring& path, std::wstring_view logText, JournalFlush flush) {
    return SaveBytes(path, LogFileBytes(LogFileText(logText), CP_ACP), flush);
}

std::wstring WinLogDisk::ProposedLogPath(const std::wstring& folder) {
    std::wstring path = alerts::ProposedLogPath(folder);
    EnsureFolderOf(path);
    return path;
}

std::wstring WinLogDisk::DocumentsFolder() {
    wchar_t documents[MAX_PATH]{};
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
    return documents;
}

bool WinLogDisk::Exists(const std::wstring& path) { return PathExists(path); }

// As the file system compares names: without regard to case.
bool WinLogDisk::SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool FolderTakesFiles(const std::wstring& folder) {
    EnsureFolderOf(folder + L"probe");
    const std::wstring probe = folder + L"korimo-write-test-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    ui::Handle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file.Valid();
}

namespace {
struct FoundJournal {
    FILETIME written;
    int number;
    std::wstring path;
};

using FileSearch = ui::Owned<HANDLE, &FindClose>;

std::vector<FoundJournal> FindJournals(const std::wstring& logFolder) {
    std::vector<FoundJournal> found;
    WIN32_FIND_DATAW data{};
    HANDLE first = FindFirstFileW((logFolder + L"korimo-journal*.log").c_str(), &data);
    if (first == INVALID_HANDLE_VALUE) return found;
    const FileSearch search(first);
    do {
        const int number = JournalNumber(data.cFileName);
        if (number && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            found.push_back({data.ftLastWriteTime, number, logFolder + data.cFileName});
    } while (FindNextFileW(search.Get(), &data));
    std::sort(found.begin(), found.end(), [](const FoundJournal& a, const FoundJournal& b) {
        const LONG order = CompareFileTime(&a.written, &b.written);
        return order != 0 ? order < 0 : a.number < b.number;
    });
    return found;
}

// The journal's text: UTF-8 after its byte-order mark; a journal without one was written by an earlier Korimo
// in the ANSI code page.
DWORD ReadJournal(HANDLE file, std::wstring& text) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) return GetLastError();
    if (size.QuadPart >= (1LL << 31)) return ERROR_FILE_TOO_LARGE;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!bytes.empty() && !ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
        return GetLastError();
    if (got != bytes.size()) return ERROR_HANDLE_EOF;
    const bool utf8 = std::string_view(bytes).starts_with(kUtf8Mark);
    text = ui::FromCodePage(std::string_view(bytes).substr(utf8 ? kUtf8Mark.size() : 0), utf8 ? CP_UTF8 : CP_ACP);
    return ERROR_SUCCESS;
}

// The journal is opened for this process alone: one that another process holds is a running copy's, and stays
// as it is. Read, saved and deleted through that one handle, it cannot change hands in between.
std::optional<JournalRecovery> Recover(std::wstring_view appFolder, const FoundJournal& journal) {
    ui::Handle file(CreateFileW(journal.path.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid() && GetLastError() == ERROR_SHARING_VIOLATION) return std::nullopt;
    std::wstring text;
    SYSTEMTIME utc{}, local{};
    DWORD error = file.Valid() ? ReadJournal(file.Get(), text) : GetLastError();
    if (error == ERROR_SUCCESS &&
        (!FileTimeToSystemTime(&journal.written, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)))
        error = GetLastError();
    if (error != ERROR_SUCCESS) return JournalRecovery{journal.path, {}, ui::SystemMessage(error)};
    const std::wstring path = AutoSavePath(LogPathAt(appFolder, local), PathExists);
    const SaveResult saved = SaveLogFile(path, text);
    if (!saved.ok) return JournalRecovery{journal.path, {}, saved.error};
    FILE_DISPOSITION_INFO gone{TRUE};
    SetFileInformationByHandle(file.Get(), FileDispositionInfo, &gone, sizeof(gone));
    return JournalRecovery{journal.path, path, {}};
}
} // namespace

std::vector<JournalRecovery> RecoverJournals(std::wstring_view appFolder) {
    std::vector<JournalRecovery> recoveries;
    for (const FoundJournal& journal : FindJournals(LogFolder(appFolder)))
        if (std::optional<JournalRecovery> recovery = Recover(appFolder, journal)) recoveries.push_back(*recovery);
    return recoveries;
}

} // namespace korimo::alerts
