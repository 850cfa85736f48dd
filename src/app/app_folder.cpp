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

std::wstring RunValueFor(std::wstring_view folder, std::wstring_view baseName) {
    std::wstring value(folder);
    if (value.empty() || value.back() != L'\\') value += L'\\';
    return value + std::wstring(baseName) + L".EXE";
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
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring key = L"Korimo.Instance.";
    for (int shift = 60; shift >= 0; shift -= 4) key += digits[(hash >> shift) & 0xf];
    return key;
}

} // namespace korimo::app
