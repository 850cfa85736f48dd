#include "procmon/close_plan.h"

#include <algorithm>

#include "procmon/process_report.h"

namespace korimo::procmon {

namespace {
// The programs of the system folder whose processes serve other programs.
constexpr const wchar_t* kSharedHosts[] = {kFrameHostImage,      L"conhost.exe", L"OpenConsole.exe",
                                           L"dllhost.exe",       L"RuntimeBroker.exe", L"svchost.exe",
                                           L"sihost.exe",        L"taskhostw.exe"};

std::wstring_view FolderOf(std::wstring_view path) {
    const auto slash = path.find_last_of(L'\\');
    return slash == std::wstring_view::npos ? std::wstring_view() : path.substr(0, slash);
}
} // namespace

CloseRoad RoadOf(const CloseOrder& order) {
    if (order.frame == Frame::HostAlone) return CloseRoad::Refused;
    if (!order.forced && (order.frame == Frame::StoreApp || order.console)) return CloseRoad::CloseWindow;
    return CloseRoad::Taskkill;
}

CloseKind KindOf(const CloseOrder& order) {
    if (order.forced) return CloseKind::Forced;
    return RoadOf(order) == CloseRoad::CloseWindow && order.console ? CloseKind::Console : CloseKind::Polite;
}

bool IsSystemProgram(std::wstring_view path, std::wstring_view image, std::wstring_view systemFolder,
                     const SamePathTest& samePath) {
    std::wstring_view folder = systemFolder;
    if (folder.ends_with(L'\\')) folder.remove_suffix(1);
    return !folder.empty() && samePath(FolderOf(path), folder) && samePath(ImageName(path), image);
}

bool IsSharedHost(std::wstring_view path, std::wstring_view systemFolder, const SamePathTest& samePath) {
    for (const wchar_t* host : kSharedHosts)
        if (IsSystemProgram(path, host, systemFolder, samePath)) return true;
    return false;
}

ClosePlan PlanClose(const CloseOrder& order, const std::vector<RunningProcess>& running,
                    const std::vector<std::uint32_t>& spared, std::uint32_t ownPid, std::wstring_view systemFolder,
                    const SamePathTest& samePath) {
    const CloseRoad road = RoadOf(order);
    if (!order.held || road == CloseRoad::Refused) return {};
    ClosePlan plan;
    plan.sharedHost = IsSharedHost(order.path, systemFolder, samePath);
    const bool askedAlone = plan.sharedHost || road == CloseRoad::CloseWindow;
    const bool pathKnown = order.path != kUnknownPath && !order.path.empty();
    const auto isAsked = [&](const RunningProcess& process) {
        return process.pid == order.pid && (!pathKnown || samePath(process.path, order.path)) &&
               (order.started == 0 || process.started == order.started);
    };
    const auto isInstance = [&](const RunningProcess& process) {
        return !askedAlone && pathKnown && process.path != kUnknownPath && samePath(process.path, order.path);
    };
    std::vector<std::uint32_t> candidates;
    for (const RunningProcess& process : running)
        if (order.pid != 0 && isAsked(process))
            candidates.insert(candidates.begin(), process.pid);
        else if (isInstance(process))
            candidates.push_back(process.pid);
    for (std::uint32_t pid : candidates) {
        if (pid == 0 || pid == ownPid) continue;
        if (std::find(spared.begin(), spared.end(), pid) != spared.end()) {
            plan.shellSpared = true;
            continue;
        }
        if (std::find(plan.pids.begin(), plan.pids.end(), pid) == plan.pids.end()) plan.pids.push_back(pid);
    }
    return plan;
}

std::optional<std::wstring> TaskkillLine(std::wstring_view systemFolder, bool forced,
                                         const std::vector<std::uint32_t>& pids) {
    std::wstring folder(systemFolder);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    const bool quotable = std::none_of(folder.begin(), folder.end(), [](wchar_t ch) {
        return ch < 0x20 || ch == 0x7F || ch == L'"' || ch == L'%';
    });
    if (folder.empty() || !quotable || pids.empty()) return std::nullopt;
    std::wstring line = L"\"" + folder + L"\\taskkill.exe\"" + (forced ? L" /F" : L"");
    for (std::uint32_t pid : pids) line += L" /PID " + std::to_wstring(pid);
    return line + L"\r\n";
}

std::wstring CloseFailureReason(CloseKind kind, bool mayEnd) {
    if (!mayEnd)
        return L"Korimo 没有结束它的权限（它可能以管理员身份运行，或属于另一个用户），"
               L"需要以管理员身份运行 Korimo 才能关闭它。";
    const std::wstring seconds = std::to_wstring(kCloseWaitMs / 1000);
    switch (kind) {
    case CloseKind::Forced:
        return L"强制结束它没有成功，它仍在运行。";
    case CloseKind::Console:
        return L"它是控制台程序，关闭它的控制台窗口后 " + seconds + L" 秒内它没有结束，可以用“强制关闭”结束它。";
    default:
        return L"它在 " + seconds +
               L" 秒内没有响应关闭请求（它可能正在询问是否保存，或不理会关闭请求），可以用“强制关闭”结束它。";
    }
}

void CloseWatch::Watch(std::vector<ClosingProcess> processes, CloseKind kind, std::uint64_t nowMs) {
    if (processes.empty()) return;
    closes_.push_back({std::move(processes), kind, nowMs + (kind == CloseKind::Forced ? kForcedCloseWaitMs : kCloseWaitMs)});
}

std::vector<CloseFailure> CloseWatch::Poll(std::uint64_t nowMs, const std::function<bool(std::uint32_t)>& mayEnd) {
    std::vector<CloseFailure> failures;
    for (Close& close : closes_) {
        std::erase_if(close.processes,
                      [](const ClosingProcess& process) { return !process.hold || process.hold->Ended(); });
        if (nowMs < close.deadline) continue;
        for (const ClosingProcess& process : close.processes)
            failures.push_back({process.pid, process.path, CloseFailureReason(close.kind, mayEnd(process.pid))});
        close.processes.clear();
    }
    std::erase_if(closes_, [](const Close& close) { return close.processes.empty(); });
    return failures;
}

} // namespace korimo::procmon
