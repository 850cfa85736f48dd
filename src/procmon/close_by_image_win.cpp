#include "procmon/close_by_image_win.h"

#include <algorithm>

#include "procmon/process_report.h"
#include "procmon/window_list_win.h"
#include "ui/handle.h"
#include "ui/text_win.h"
#include "ui/window.h"

namespace korimo::procmon {

namespace {
// Written through a handle that is then held: readers may share it (cmd.exe reads it while it is held), writers and
// deleters may not. Nothing held where the file cannot be made, written whole, or held.
ui::Handle WriteHeldBatch(const std::wstring& path, const std::string& line) {
    ui::Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file.Valid() || !WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
        written != line.size())
        return ui::Handle();
    return file;
}

// cmd.exe from the system folder, /d so that no AutoRun command of the registry runs first. Its process, to hold
// the batch until it has ended; none when it could not be started.
ui::Handle RunBatch(const std::wstring& batch, const std::wstring& workingFolder) {
    const std::wstring cmd = SystemFolder() + L"\\cmd.exe";
    std::wstring commandLine = L"cmd.exe /d /c \"\"" + batch + L"\"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(cmd.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        workingFolder.c_str(), &startup, &process))
        return ui::Handle();
    ui::Handle thread(process.hThread);
    return ui::Handle(process.hProcess);
}

// Which processes the answer closes, as they run now, each held from here on (the one asked about since its
// question); the user is told when that is none of them or the shell. An instance that cannot be held, or whose
// creation time is unknown, is left out: its id could be another program's by the time taskkill runs.
std::optional<std::vector<ClosingProcess>> ProcessesToClose(std::wstring& told, const CloseOrder& order, const ClosePlan& plan,
                                                            const std::vector<RunningProcess>& running,
                                                            std::unique_ptr<ProcessHold> asked) {
    if (plan.shellSpared)
        told = (L"不能关闭桌面外壳程序：\n" + order.path +
                                   L"\n\n它提供桌面、任务栏和托盘，关闭它会使它们连同 Korimo 的托盘图标一起消失。");
    std::vector<ClosingProcess> closing;
    for (std::uint32_t pid : plan.pids) {
        const auto process = std::find_if(running.begin(), running.end(), [&](auto& p) { return p.pid == pid; });
        std::unique_ptr<ProcessHold> hold;
        if (pid == order.pid) // held since its question, so no other process can have taken its id
            hold = std::move(asked);
        else if (process->started != 0)
            hold = std::make_unique<HeldProcess>(pid, process->started);
        if (hold && hold->Held()) closing.push_back({pid, process->path, std::move(hold)});
    }
    if (closing.empty() && !plan.shellSpared)
        told = (L"程序\n" + order.path + L"\n已经结束，没有关闭任何进程。");
    if (closing.empty()) return std::nullopt;
    return closing;
}

// "关闭" as the window's own × mark gives it: the Store app's frame (the frame host closes that one app) or the
// console window (Windows closes the programs in that console). Only while the window still shows the process asked
// about: a window handle alone may be another window's by now.
bool AskWindowToClose(std::wstring& told, const CloseOrder& order) {
    HWND window = reinterpret_cast<HWND>(order.window);
    HWND shows = order.frame == Frame::StoreApp ? StoreAppWindow(window) : window;
    DWORD shown = 0;
    if (!IsWindow(window) || !shows || !GetWindowThreadProcessId(shows, &shown) || shown != order.pid) {
        told = (L"程序\n" + order.path + L"\n的窗口已经关闭，没有关闭任何进程。");
        return false;
    }
    if (PostMessageW(window, WM_CLOSE, 0, 0)) return true;
    const DWORD error = GetLastError();
    told = (L"无法关闭程序\n" + order.path + L"\n不能向它的窗口发出关闭请求" +
                               (error == ERROR_ACCESS_DENIED ? L"（它可能以管理员身份运行，需要以管理员身份运行 Korimo）"
                                                             : L"") +
                               L"：\n\n" + ui::SystemMessage(error));
    return false;
}

// The batch line for the processes, written, held and run.
std::unique_ptr<BatchRun> CloseByBatch(std::wstring& told, const std::wstring& appFolder, bool forced,
                                       const std::vector<ClosingProcess>& closing) {
    std::vector<std::uint32_t> pids;
    for (const ClosingProcess& process : closing) pids.push_back(process.pid);
    const std::optional<std::wstring> line = TaskkillLine(SystemFolder(), forced, pids);
    if (!line || !ui::FitsAnsi(*line)) {
        told = (L"无法关闭进程：系统文件夹\n" + SystemFolder() + L"\n含有不能安全写入批处理文件的字符。");
        return nullptr;
    }
    const std::wstring batch = appFolder + kBatchFileName;
    auto run = std::make_unique<BatchRun>();
    run->file = WriteHeldBatch(batch, ui::ToAnsi(*line));
    if (!run->file.Valid()) {
        const DWORD error = GetLastError();
        told = (L"无法关闭进程：不能写入批处理文件\n" + batch +
                                   (error == ERROR_SHARING_VIOLATION ? L"\n\n另一个程序正打开着它；为了安全，Korimo 不运行别人能改动的批处理文件。"
                                                                     : L"\n\n" + ui::SystemMessage(error)));
        return nullptr;
    }
    run->cmd = RunBatch(batch, appFolder);
    if (!run->cmd.Valid()) {
        told = (L"无法关闭进程：不能运行批处理文件\n" + batch + L"\n\n" + ui::SystemMessage(GetLastError()));
        return nullptr;
    }
    return run;
}
} // namespace

HeldProcess::HeldProcess(std::uint32_t pid, std::uint64_t started) {
    ++live_;
    ui::Handle process(pid ? OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid) : nullptr);
    const DWORD error = pid ? GetLastError() : ERROR_INVALID_PARAMETER;
    const bool ended = process.Valid() ? WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0 ||
                                             (started != 0 && CreationTime(process.Get()) != started)
                                       : error == ERROR_INVALID_PARAMETER; // no process has that id
    if (ended)
        refusal_ = L"Korimo 问起它时它已经结束。";
    else if (!process.Valid())
        refusal_ = L"Korimo 无法打开它的进程，不能确认这个进程号仍然属于它：\n" + ui::SystemMessage(error);
    else
        process_ = std::move(process);
}

HeldProcess::~HeldProcess() { --live_; }

bool HeldProcess::Ended() const {
    return !process_.Valid() || WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0;
}

bool MayEnd(std::uint32_t pid) {
    ui::Handle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
    return process.Valid() || GetLastError() != ERROR_ACCESS_DENIED;
}

CloseOutcome CloseByImageName(const std::wstring& appFolder, CloseOrder order, std::unique_ptr<ProcessHold> asked) {
    CloseOutcome outcome;
    std::wstring& told = outcome.told;
    if (!order.held || !asked || !asked->Held()) { // never by a bare id
        const std::wstring why = asked ? asked->Refusal() : std::wstring();
        told = L"Korimo 不能关闭程序\n" + order.path + L"\nPID：" + std::to_wstring(order.pid) + L"\n\n" + why +
               L"\n\n没有关闭任何进程。";
        return outcome;
    }
    if (RoadOf(order) == CloseRoad::Refused) {
        told = L"这个窗口属于 Windows 的应用框架宿主程序\n" + order.path +
               L"\n它承载着所有商店应用（设置、计算器、照片等）的窗口，关闭它就会关闭所有商店应用。\n\n没有关闭任何进程。";
        return outcome;
    }
    order.console = order.frame == Frame::Own && IsConsoleProgram(order.path);
    const std::optional<std::vector<RunningProcess>> running = RunningProcesses();
    if (!running) {
        told = L"无法关闭进程：不能列出正在运行的程序\n\n" + ui::SystemMessage(GetLastError());
        return outcome;
    }
    const ClosePlan plan = PlanClose(order, *running, ShellProcesses(), GetCurrentProcessId(), SystemFolder(), SamePath);
    std::optional<std::vector<ClosingProcess>> closing = ProcessesToClose(told, order, plan, *running, std::move(asked));
    if (!closing) return outcome;
    const bool started = RoadOf(order) == CloseRoad::CloseWindow
                             ? AskWindowToClose(told, order)
                             : (outcome.batch = CloseByBatch(told, appFolder, order.forced, *closing)) != nullptr;
    if (!started) return outcome;
    outcome.closing = std::move(*closing);
    outcome.kind = KindOf(order);
    if (plan.sharedHost) outcome.logEntry = SharedHostLogEntry(order.path, order.pid);
    return outcome;
}

} // namespace korimo::procmon
