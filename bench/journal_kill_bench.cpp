// What the journal keeps when Korimo is killed. A child process runs the real dir_form and log_form with the
// automatic save on, fed "建立文件" notifications from another thread: a steady trickle (20 a second, one at a
// time) or a flood (as fast as the window takes them). The journal is written by its writer thread, so a kill may
// land while the window thread hands entries over or while the writer writes or flushes them. Each report's time is kept in memory shared with this
// process, which kills the child at a random moment, 20 times for each case, each in a run of its own. After
// each kill it reads the journal and prints the age, at the kill, of the oldest report that the log held and
// the journal lacks (0 when it lacks none). Target: at most 1.5 s in every kill, in both cases. The journal
// must also hold whole entries only.
#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "alerts/log_form.h"
#include "filemon/dir_form.h"
#include "filemon/shell_win.h"
#include "target.h"

namespace {

constexpr int kMaxReports = 200000;
constexpr int kKills = 20;

// The reports' times, as the child made them; the child writes, this process reads after the kill.
struct Shared {
    std::atomic<long> count;
    LONGLONG when[kMaxReports]; // QueryPerformanceCounter at the report
};

LONGLONG Now() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double SecondsBetween(LONGLONG from, LONGLONG to) {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to - from) / static_cast<double>(frequency.QuadPart);
}

// The child: Korimo's file monitor and log, until it is killed.
int Child(const std::wstring& mapping, const std::wstring& folder, bool flood) {
    HANDLE section = OpenFileMappingW(FILE_MAP_WRITE, FALSE, mapping.c_str());
    auto* shared = static_cast<Shared*>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, sizeof(Shared)));
    if (!shared) return 2;
    korimo::alerts::log_form log(folder, true);
    // The file monitor's reports go to the log, each one's time to the shared memory.
    struct Reports final : korimo::alerts::PanelHost {
        korimo::alerts::log_form& log;
        Shared& shared;
        Reports(korimo::alerts::log_form& log, Shared& shared) : log(log), shared(shared) {}
        void Report(const std::wstring&, const std::wstring&) override {}
        void Log(const std::wstring& entry) override { log.AppendLogEntry(entry); }
        void LogAndShow(const std::wstring& entry) override {
            log.AppendLogEntry(entry);
            log.MoveCaretToEnd();
            const long n = shared.count.load();
            if (n < kMaxReports) shared.when[n] = Now();
            shared.count.store(n + 1);
        }
        bool LogEndsWith(std::wstring_view tail) const override { return log.Log().EndsWith(tail); }
        korimo::alerts::Answer Ask(const std::wstring&) override { return korimo::alerts::Answer::None; }
    } reports(log, *shared);
    korimo::filemon::dir_form files(reports);
    if (!log.Load(96) || !files.Load(96)) return 3;
    ShowWindow(log.Hwnd(), SW_SHOW);
    HWND target = files.Hwnd();
    std::thread shell([target, flood] {
        for (int i = 0; i < kMaxReports; ++i) {
            const std::wstring path = L"C:\\基准\\杀\\文件" + std::to_wstring(i) + L".txt";
            LPITEMIDLIST item = SHSimpleIDListFromPath(path.c_str());
            std::array<LPCITEMIDLIST, 2> items{item, nullptr};
            SendMessageW(target, korimo::filemon::WM_CHANGE_NOTIFY, reinterpret_cast<WPARAM>(items.data()), SHCNE_CREATE);
            CoTaskMemFree(item);
            if (!flood) Sleep(50);
        }
    });
    shell.detach(); // the child ends by being killed
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

std::wstring JournalText(const std::filesystem::path& journal) {
    std::ifstream file(journal, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
    return std::filesystem::path(std::u8string(bytes.begin(), bytes.end())).wstring();
}

std::size_t Count(std::wstring_view text, std::wstring_view what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::wstring_view::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

struct Kill {
    double worstAge = 0;
    bool whole = true;
    int runs = 0;
};

// One run of the child, killed `afterMs` after its first report.
void RunAndKill(const wchar_t* mode, DWORD afterMs, Kill& result) {
    const std::wstring mapping = L"KorimoJournalKill" + std::to_wstring(GetCurrentProcessId());
    HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Shared), mapping.c_str());
    auto* shared = static_cast<Shared*>(MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Shared)));
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / (L"korimo-kill-" + mapping);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    wchar_t self[MAX_PATH]{};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --child " + mode + L" " + mapping + L" \"" +
                           folder.wstring() + L"\\\\\"";
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION child{};
    if (!shared || !CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
        std::printf("  could not start the child\n");
        result.whole = false;
        return;
    }
    while (shared->count.load() == 0 && WaitForSingleObject(child.hProcess, 10) == WAIT_TIMEOUT) {
    }
    Sleep(afterMs);
    const LONGLONG killed = Now();
    TerminateProcess(child.hProcess, 1);
    WaitForSingleObject(child.hProcess, 10000);
    const long reports = std::min<long>(shared->count.load(), kMaxReports);
    const std::wstring journal = JournalText(folder / L"log" / L"korimo-journal.log");
    const auto held = static_cast<long>(Count(journal, L"【建立文件】"));
    const double age = held < reports ? SecondsBetween(shared->when[held], killed) : 0;
    const bool whole = journal.empty() || // not written yet
                       (journal.ends_with(L"\r\n") && Count(journal, L"路径：") == static_cast<std::size_t>(held));
    std::printf("  %-7ls kill %4lu ms after the first report: %6ld reports, journal holds %6ld, oldest missing %.3f s "
                "old%s\n", mode, afterMs, reports, held, age, whole ? "" : " (a cut entry)");
    result.worstAge = std::max(result.worstAge, age);
    result.whole = result.whole && whole;
    ++result.runs;
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    UnmapViewOfFile(shared);
    CloseHandle(section);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    SetProcessDPIAware();
    if (argc == 5 && std::wstring(argv[1]) == L"--child") return Child(argv[3], argv[4], std::wstring(argv[2]) == L"flood");
    korimo::bench::Targets targets;
    std::mt19937 random(20261209);
    std::uniform_int_distribution<DWORD> moment(300, 3300);
    std::printf("journal under kills, %d kills at random moments for each case\n", kKills);
    for (const wchar_t* mode : {L"trickle", L"flood"}) {
        Kill kill;
        for (int i = 0; i < kKills; ++i) RunAndKill(mode, moment(random), kill);
        const std::string name(mode, mode + std::wcslen(mode));
        targets.AtMost(("journal kill, " + name + ": oldest report missing from the journal (s)").c_str(),
                       kill.worstAge, 1.5);
        targets.Holds(("journal kill, " + name + ": every run ran and its journal holds whole entries only").c_str(),
                      kill.whole && kill.runs == kKills);
    }
    return targets.ExitCode();
}
