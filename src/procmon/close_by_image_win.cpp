#include "procmon/close_by_image_win.h"

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

// Which processes the answer closes, as they run now; the user is told when that is none of them or the shell.
std::optional<std::vector<std::uint32_t>> ProcessesToClose(HWND owner, const CloseOrder& order) {
    const std::optional<std::vector<RunningProcess>> running = RunningProcesses();
    if (!running) {
        ui::ShowFailure(owner, L"无法关闭进程：不能列出正在运行的程序\n\n" + ui::SystemMessage(GetLastError()));
        return std::nullopt;
    }
    const ClosePlan plan = PlanClose(order, *running, ShellProcesses(), GetCurrentProcessId(), SamePath);
    if (plan.shellSpared)
        ui::ShowFailure(owner, L"不能关闭桌面外壳程序：\n" + order.path +
                                   L"\n\n它提供桌面、任务栏和托盘，关闭它会使它们连同 Korimo 的托盘图标一起消失。");
    if (plan.pids.empty() && !plan.shellSpared)
        ui::ShowFailure(owner, L"程序\n" + order.path + L"\n已经结束，没有关闭任何进程。");
    if (plan.pids.empty()) return std::nullopt;
    return plan.pids;
}
} // namespace

bool CloseByImageName(HWND owner, const std::wstring& appFolder, const CloseOrder& order) {
    const std::optional<std::vector<std::uint32_t>> pids = ProcessesToClose(owner, order);
    if (!pids) return false;
    const std::optional<std::wstring> line = TaskkillLine(SystemFolder(), order.forced, *pids);
    if (!line || !ui::FitsAnsi(*line)) {
        ui::ShowFailure(owner, L"无法关闭进程：系统文件夹\n" + SystemFolder() + L"\n含有不能安全写入批处理文件的字符。");
        return false;
    }
    const std::wstring batch = appFolder + kBatchFileName;
    if (!WriteBatch(batch, ui::ToAnsi(*line))) {
        ui::ShowFailure(owner, L"无法关闭进程：不能写入批处理文件\n" + batch + L"\n\n" + ui::SystemMessage(GetLastError()));
        return false;
    }
    if (!RunBatch(SystemFolder(), batch, appFolder)) {
        ui::ShowFailure(owner, L"无法关闭进程：不能运行批处理文件\n" + batch + L"\n\n" + ui::SystemMessage(GetLastError()));
        return false;
    }
    return true;
}

} // namespace korimo::procmon
