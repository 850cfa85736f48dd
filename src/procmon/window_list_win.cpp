#include "procmon/window_list_win.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <unordered_set>

#include "procmon/process_report.h"
#include "procmon/program_file.h"
#include "ui/handle.h"
#include "ui/window.h"

namespace korimo::procmon {

namespace {

std::wstring MainModulePath(DWORD processId) {
    ui::Handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process.Get()) return {};
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (!EnumProcessModules(process.Get(), &module, sizeof(module), &needed) || !module) return {};
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameExW(process.Get(), module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size() - 1) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring ImagePathLimited(DWORD processId) {
    ui::Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process.Get()) return {};
    std::wstring path(32768, L'\0');
    DWORD length = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process.Get(), 0, path.data(), &length)) return {};
    path.resize(length);
    return path;
}

// The creation time of a running process; nothing once it has ended (a process whose handle is still open
// somewhere stays listed after its end), 0 where it cannot be read.
std::optional<std::uint64_t> StartTimeIfRunning(DWORD processId) {
    ui::Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId));
    if (!process.Get()) return 0;
    if (WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) return std::nullopt;
    return CreationTime(process.Get());
}

DWORD OwnerOf(HWND window) {
    DWORD processId = 0;
    return window && GetWindowThreadProcessId(window, &processId) ? processId : 0;
}

// One call for the usual title; a title that fills the buffer is read again whole.
std::wstring TitleOf(HWND window) {
    wchar_t buffer[256];
    const int length = GetWindowTextW(window, buffer, 256);
    if (length < 255) return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    std::wstring title(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    title.resize(static_cast<size_t>(GetWindowTextW(window, title.data(), static_cast<int>(title.size()))));
    return title;
}

// Korimo's own top-level windows, found once per walk rather than by asking the owner of every window.
std::unordered_set<HWND> OwnWindows() {
    std::unordered_set<HWND> own;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM set) -> BOOL {
            reinterpret_cast<std::unordered_set<HWND>*>(set)->insert(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&own));
    return own;
}

// The top-level windows as one list, top of the window stack first. A walk from window to window
// (GW_HWNDNEXT) ends where a window is destroyed under it, and every window below would look closed; the list
// is taken whole first, and a window that goes while the titles are read is left out.
std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}
} // namespace

std::vector<WindowEntry> GetOpenWindowNames() {
    std::vector<WindowEntry> windows;
    const std::unordered_set<HWND> own = OwnWindows();
    for (HWND window : TopLevelWindows()) {
        std::wstring title = TitleOf(window); // empty once the window has gone
        if (!title.empty())
            windows.push_back({std::move(title), reinterpret_cast<std::uintptr_t>(window), own.count(window) != 0});
    }
    return windows;
}

namespace {
ProcessInfo LookUpProcess(DWORD processId) {
    if (!processId) return {0, kGonePath};
    ProcessInfo info{processId, GetProcessPathByProcessID(processId), StartTimeIfRunning(processId).value_or(0)};
    static const std::wstring ownPath = ui::ModulePath();
    info.korimo = info.path != kUnknownPath && SamePath(info.path, ownPath);
    return info;
}
} // namespace

ProcessInfo LookUpWindow(HWND window) {
    ProcessInfo info = LookUpProcess(OwnerOf(window));
    if (!IsSystemProgram(info.path, kFrameHostImage, SystemFolder(), SamePath)) return info;
    HWND app = StoreAppWindow(window);
    if (!app) {
        info.frame = Frame::HostAlone;
        return info;
    }
    ProcessInfo inside = LookUpProcess(OwnerOf(app));
    inside.frame = Frame::StoreApp;
    return inside;
}

HWND StoreAppWindow(HWND frame) {
    struct Search {
        DWORD frameOwner;
        HWND found = nullptr;
    } search{OwnerOf(frame)};
    if (!search.frameOwner) return nullptr;
    EnumChildWindows(
        frame,
        [](HWND child, LPARAM param) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(param);
            wchar_t cls[64]{};
            GetClassNameW(child, cls, 64);
            const DWORD owner = OwnerOf(child);
            if (std::wstring_view(cls) != kStoreAppWindowClass || !owner || owner == search.frameOwner) return TRUE;
            search.found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

const std::wstring& SystemFolder() {
    static const std::wstring folder = [] {
        wchar_t path[MAX_PATH]{};
        const UINT length = GetSystemDirectoryW(path, MAX_PATH);
        std::wstring text = length && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
        if (text.ends_with(L'\\')) text.pop_back();
        return text;
    }();
    return folder;
}

bool IsConsoleProgram(const std::wstring& path) {
    ui::Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    std::vector<std::uint8_t> head(kProgramHeadBytes);
    DWORD read = 0;
    if (!ReadFile(file.Get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr)) return false;
    head.resize(read);
    return PeSubsystem(head) == kConsoleSubsystem;
}

std::wstring GetProcessPathByProcessID(DWORD processId) {
    std::wstring path = MainModulePath(processId);
    if (path.empty()) path = ImagePathLimited(processId);
    return path.empty() ? kUnknownPath : path;
}

bool SamePath(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::uint64_t CreationTime(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

std::optional<std::vector<RunningProcess>> RunningProcesses() {
    ui::Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.Valid()) return std::nullopt;
    std::vector<RunningProcess> running;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        const std::optional<std::uint64_t> started = StartTimeIfRunning(entry.th32ProcessID);
        if (started) running.push_back({entry.th32ProcessID, GetProcessPathByProcessID(entry.th32ProcessID), *started});
    }
    if (running.empty()) return std::nullopt; // a list without even this process is no list
    return running;
}

std::vector<std::uint32_t> ShellProcesses() {
    std::vector<std::uint32_t> shell;
    for (HWND window : {GetShellWindow(), FindWindowW(L"Shell_TrayWnd", nullptr)})
        if (const DWORD owner = OwnerOf(window)) shell.push_back(owner);
    return shell;
}

} // namespace korimo::procmon
