#include "procmon/process_report.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>

namespace korimo::procmon {

std::wstring OneLine(std::wstring_view text) {
    std::wstring line(text);
    for (wchar_t& ch : line)
        if (ch < 0x20 || ch == 0x7F || ch == 0x85 || ch == 0x2028 || ch == 0x2029) ch = L' ';
    return line;
}

namespace {
std::wstring Lines(std::wstring_view title, std::wstring_view path, std::uint32_t pid, const wchar_t* end) {
    return L"标题：" + OneLine(title) + L"\r\n路径：" + OneLine(path) + L"\r\nPID：" + std::to_wstring(pid) + end;
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

std::wstring ImageName(std::wstring_view path) {
    const auto slash = path.find_last_of(L'\\');
    return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

namespace {
// Quoted for a batch line, every "%" doubled; nothing when the text holds a control character or a quote.
std::optional<std::wstring> BatchQuoted(std::wstring_view text) {
    std::wstring quoted = L"\"";
    for (wchar_t ch : text) {
        if (ch < 0x20 || ch == 0x7F || ch == L'"') return std::nullopt;
        quoted += ch;
        if (ch == L'%') quoted += L'%'; // a batch file would expand %name%
    }
    return quoted + L'"';
}

bool SameImageName(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towupper(x) == std::towupper(y);
           });
}
} // namespace

std::optional<std::wstring> TaskkillLine(std::wstring_view systemFolder, const CloseOrder& order,
                                         std::wstring_view ownImageName, bool nameFitsCodePage) {
    std::wstring folder(systemFolder);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    const std::optional<std::wstring> taskkill = BatchQuoted(folder + L"\\taskkill.exe");
    if (folder.empty() || !taskkill) return std::nullopt;
    const std::wstring command = *taskkill + (order.forced ? L" /F" : L"");
    const std::optional<std::wstring> name = BatchQuoted(order.imageName);
    if (name && order.imageName.size() > 0 && nameFitsCodePage && !SameImageName(order.imageName, ownImageName))
        return command + L" /IM " + *name + L"\r\n";
    if (order.pid == 0) return std::nullopt;
    return command + L" /PID " + std::to_wstring(order.pid) + L"\r\n";
}

} // namespace korimo::procmon
