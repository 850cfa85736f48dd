#include "app/app_folder.h"

#include <cstdint>
#include <cwctype>

namespace korimo::app {

std::wstring NormaliseAppFolder(std::wstring_view folder) {
    const auto first = folder.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return L"\\";
    const auto last = folder.find_last_not_of(L' ');
    std::wstring result(folder.substr(first, last - first + 1));
    if (result.back() != L'\\') result += L'\\';
    return result;
}

std::wstring FolderOfPath(std::wstring_view programPath) {
    const auto slash = programPath.find_last_of(L"\\/");
    if (slash == std::wstring_view::npos) return std::wstring();
    // Keep the backslash of a drive root ("C:\korimo.exe" -> "C:\").
    if (slash == 2 && programPath[1] == L':') return std::wstring(programPath.substr(0, 3));
    return std::wstring(programPath.substr(0, slash));
}

std::wstring BaseNameWithoutExtension(std::wstring_view programPath) {
    const auto slash = programPath.find_last_of(L"\\/");
    std::wstring_view name = slash == std::wstring_view::npos ? programPath : programPath.substr(slash + 1);
    const auto dot = name.find_last_of(L'.');
    return std::wstring(dot == std::wstring_view::npos ? name : name.substr(0, dot));
}

std::wstring RunValueToWrite(bool startWithWindows, std::wstring_view programPath) {
    return startWithWindows ? RunValueFor(FolderOfPath(programPath), BaseNameWithoutExtension(programPath)) : L"";
}

bool TellRunValueFailure(int boxIndex, bool startWithWindows) { return boxIndex == 1 && startWithWindows; }

bool StartupEntrySwitchedOff(std::span<const std::uint8_t> state) { return !state.empty() && (state[0] & 1) != 0; }

std::wstring StartupSwitchedOffNotice(std::wstring_view valueName) {
    return L"开机时启动已写入注册表（启动项 " + std::wstring(valueName) +
           L"），但 Windows 的启动应用设置中 Korimo 已被禁用，登录时 Windows 不会启动它。\n\n"
           L"请打开任务管理器的“启动应用”页（Windows 10 中为“启动”页）或“设置 > 应用 > 启动”，找到 Korimo desktop monitor，"
           L"把它改为“已启用”。Korimo 不会替你更改这项设置。";
}

std::wstring RunValueFor(std::wstring_view folder, std::wstring_view baseName) {
    std::wstring value(folder);
    if (value.empty() || value.back() != L'\\') value += L'\\';
    value += std::wstring(baseName) + L".EXE";
    return value.find(L' ') == std::wstring::npos ? value : L"\"" + value + L"\"";
}

std::wstring ProgramOfRunValue(std::wstring_view value) {
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"') value = value.substr(1, value.size() - 2);
    return std::wstring(value);
}

namespace {
void AppendHex(std::wstring& text, std::uint64_t value, int digits) {
    static const wchar_t hex[] = L"0123456789abcdef";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) text += hex[(value >> shift) & 0xf];
}
} // namespace

std::wstring InstanceKey(std::uint32_t volumeSerial, std::uint64_t fileIndex) {
    std::wstring key = L"Korimo.Instance.File.";
    AppendHex(key, volumeSerial, 8);
    key += L'.';
    AppendHex(key, fileIndex, 16);
    return key;
}

std::wstring DataFolder(const std::wstring& appFolder, bool appFolderTakesFiles, const std::wstring& userFolder,
                        bool userFolderTakesFiles) {
    return !appFolderTakesFiles && userFolderTakesFiles ? userFolder : appFolder;
}

std::wstring DataFolderNotice(const std::wstring& appFolder, const std::wstring& dataFolder) {
    if (dataFolder == appFolder) return {};
    return L"Korimo 所在的文件夹不能写入，日志和批处理文件改存到：\n" + dataFolder;
}

std::wstring InstanceKey(std::wstring_view programPath) {
    std::uint64_t hash = 0xcbf29ce484222325ull; // FNV-1a over the upper-cased UTF-16 units
    for (wchar_t ch : programPath) {
        const auto unit = static_cast<std::uint32_t>(std::towupper(static_cast<std::wint_t>(ch == L'/' ? L'\\' : ch)));
        for (int shift = 0; shift < 32; shift += 8) {
            hash ^= (unit >> shift) & 0xffu;
            hash *= 0x100000001b3ull;
        }
    }
    std::wstring key = L"Korimo.Instance.";
    AppendHex(key, hash, 16);
    return key;
}

} // namespace korimo::app
