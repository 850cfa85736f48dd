#include "procmon/close_by_image_win.h"

#include <algorithm>

#include "procmon/window_list_win.h"
#include "ui/handle.h"
#include "ui/text_win.h"
#include "ui/window.h"

namespace korimo::procmon {

namespace {
bool WriteBatch(const std::wstring& path, const std::string& line) {
    ui::Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.Valid() && WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
           written == line.size();
}

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH]{};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

// cmd.exe from the system folder, /d so that no AutoRun command of the registry runs first.
bool RunBatch(const std::wstring& systemFolder, const std::wstring& batch, const std::wstring& workingFolder) {
    const std::wstring cmd = systemFolder + L"\\cmd.exe";
    std::wstring commandLine = L"cmd.exe /d /c \"\"" + batch + L"\"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(cmd.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        workingFolder.c_str(), &startup, &process))
        return false;
    ui::Handle thread(process.hThread), started(process.hProcess); // not waited for
    return true;
}

// Which processes the answer closes, as they run now, each held from here on (the one asked about since its
// question); the user is told when that is none of them or the shell. An instance that cannot be held, or whose
// creation time is unknown, is left out: its id could be another program's by the time taskkill runs.
std::optional<std::vector<ClosingProcess>> ProcessesToClose(HWND owner, const CloseOrder& order,
                                                            std::unique_ptr<ProcessHold> asked) {
    const std::optional<std::vector<RunningProcess>> running = RunningProcesses();
    if (!running) {
        ui::ShowFailure(owner, L"无法关闭进程：不能列出正在运行的程序\n\n" + ui::SystemMessage(GetLastError()));
        return std::nullopt;
    }
    const ClosePlan plan = PlanClose(order, *running, ShellProcesses(), GetCurrentProcessId(), SamePath);
    if (plan.shellSpared)
        ui::ShowFailure(owner, L"不能关闭桌面外壳程序：\n" + order.path +
                                   L"\n\n它提供桌面、任务栏和托盘，关闭它会使它们连同 Korimo 的托盘图标一起消失。");
    std::vector<ClosingProcess> closing;
    for (std::uint32_t pid : plan.pids) {
        const auto process = std::find_if(running->begin(), running->end(), [&](auto& p) { return p.pid == pid; });
        std::unique_ptr<ProcessHold> hold;
        if (pid == order.pid) // held since its question, so no other process can have taken its id
            hold = std::move(asked);
        else if (process->started != 0)
            hold = std::make_unique<HeldProcess>(pid, process->started);
        if (hold && hold->Held()) closing.push_back({pid, process->path, std::move(hold)});
    }
    if (closing.empty() && !plan.shellSpared)
        ui::ShowFailure(owner, L"程序\n" + order.path + L"\n已经结束，没有关闭任何进程。");
    if (closing.empty()) return std::nullopt;
    return closing;
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

std::optional<std::vector<ClosingProcess>> CloseByImageName(HWND owner, const std::wstring& appFolder,
                                                            const CloseOrder& order,
                                                            std::unique_ptr<ProcessHold> asked) {
    if (!order.held || !asked || !asked->Held()) { // never by a bare id
        const std::wstring why = asked ? asked->Refusal() : std::wstring();
        ui::ShowFailure(owner, L"Korimo 不能关闭程序\n" + order.path + L"\nPID：" + std::to_wstring(order.pid) +
                                   L"\n\n" + why + L"\n\n没有关闭任何进程。");
        return std::nullopt;
    }
    std::optional<std::vector<ClosingProcess>> closing = ProcessesToClose(owner, order, std::move(asked));
    if (!closing) return std::nullopt;
    std::vector<std::uint32_t> pids;
    for (const ClosingProcess& process : *closing) pids.push_back(process.pid);
    const std::optional<std::wstring> line = TaskkillLine(SystemFolder(), order.forced, pids);
    if (!line || !ui::FitsAnsi(*line)) {
        ui::ShowFailure(owner, L"无法关闭进程：系统文件夹\n" + SystemFolder() + L"\n含有不能安全写入批处理文件的字符。");
        return std::nullopt;
    }
    const std::wstring batch = appFolder + kBatchFileName;
    if (!WriteBatch(batch, ui::ToAnsi(*line))) {
        ui::ShowFailure(owner, L"无法关闭进程：不能写入批处理文件\n" + batch + L"\n\n" + ui::SystemMessage(GetLastError()));
        return std::nullopt;
    }
    if (!RunBatch(SystemFolder(), batch, appFolder)) {
        ui::ShowFailure(owner, L"无法关闭进程：不能运行批处理文件\n" + batch + L"\n\n" + ui::SystemMessage(GetLastError()));
        return std::nullopt;
    }
    return closing;
}

} // namespace korimo::procmon
