#include "procmon/process_report.h"

#include <cstdint>

namespace korimo::procmon {

std::wstring OneLine(std::wstring_view text) {
    std::wstring line(text);
    for (wchar_t& ch : line)
        if (ch < 0x20 || ch == 0x7F || ch == 0x85 || ch == 0x2028 || ch == 0x2029) ch = L' ';
    return line;
}

namespace {
std::wstring Lines(std::wstring_view title, std::wstring_view path, std::uint32_t pid, const wchar_t* end) {
    return L"标题：" + OneLine(title) + L"\r\n路径：" + OneLine(path) + L"\r\nPID：" +
           (pid ? std::to_wstring(pid) : L"（无法得知）") + end;
}
} // namespace

std::wstring ProcessNotice(std::wstring_view title, std::wstring_view path, std::uint32_t pid) {
    return Lines(title, path, pid, L"");
}

std::wstring StartedLogEntry(std::wstring_view title, std::wstring_view path, std::uint32_t pid) {
    return L"【开启进程】\r\n" + Lines(title, path, pid, L"\r\n");
}

std::wstring ClosedLogEntry(std::wstring_view title, std::wstring_view path, std::uint32_t pid) {
    return L"【关闭进程】\r\n" + Lines(title, path, pid, L"\r\n");
}

std::wstring StartedQuestion(std::wstring_view path) {
    return L"Korimo进程监视系统发现" + OneLine(path) + L"正在启动或正在被调用";
}

std::wstring CloseFailedNotice(std::wstring_view path, std::uint32_t pid, std::wstring_view reason) {
    return L"路径：" + OneLine(path) + L"\r\nPID：" + std::to_wstring(pid) + L"\r\n原因：" + OneLine(reason);
}

std::wstring CloseFailedLogEntry(std::wstring_view path, std::uint32_t pid, std::wstring_view reason) {
    return L"【关闭失败】\r\n" + CloseFailedNotice(path, pid, reason) + L"\r\n";
}

std::wstring SharedHostLogEntry(std::wstring_view path, std::uint32_t pid) {
    return L"【关闭宿主进程】\r\n路径：" + OneLine(path) + L"\r\nPID：" + std::to_wstring(pid) +
           L"\r\n说明：它是 Windows 的共享宿主程序，它的每个进程都在为别的程序工作：只关闭了所问的这一个进程，"
           L"没有关闭同一文件的其他进程。\r\n";
}

std::wstring ImageName(std::wstring_view path) {
    const auto slash = path.find_last_of(L'\\');
    return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

} // namespace korimo::procmon
