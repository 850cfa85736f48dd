// The other program of the process monitor's benchmarks: Korimo reports neither its own windows nor those of a
// copy of its own program file, so the titled windows it watches must belong to a program of their own. Reads
// one command per line (UTF-16) from its standard input and answers each with one byte on its standard output
// once it is done:
//   open <count> <prefix>   opens `count` hidden windows titled <prefix>0, <prefix>1, ...
//   title <index> <text>    gives the window opened <index>-th (of those open) a new title
//   close                   closes every window it opened
// It ends when its standard input closes.
#include <windows.h>

#include <string>
#include <vector>

namespace {

bool ReadLine(HANDLE input, std::wstring& line) {
    line.clear();
    wchar_t ch = 0;
    DWORD read = 0;
    while (ReadFile(input, &ch, sizeof(ch), &read, nullptr) && read == sizeof(ch)) {
        if (ch == L'\n') return true;
        line += ch;
    }
    return false;
}

// The number at the start of `text` and what follows the space after it.
std::wstring SplitNumber(const std::wstring& text, std::size_t& number) {
    const std::size_t space = text.find(L' ');
    number = std::stoul(text.substr(0, space));
    return space == std::wstring::npos ? std::wstring() : text.substr(space + 1);
}

void Run(std::vector<HWND>& windows, const std::wstring& command) {
    std::size_t number = 0;
    if (command.starts_with(L"open ")) {
        const std::wstring prefix = SplitNumber(command.substr(5), number);
        for (std::size_t i = 0; i < number; ++i)
            windows.push_back(CreateWindowExW(0, L"STATIC", (prefix + std::to_wstring(i)).c_str(), WS_POPUP, 0, 0,
                                              10, 10, nullptr, nullptr, nullptr, nullptr));
    } else if (command.starts_with(L"title ")) {
        const std::wstring title = SplitNumber(command.substr(6), number);
        if (number < windows.size()) SetWindowTextW(windows[number], title.c_str());
    } else if (command == L"close") {
        for (HWND window : windows) DestroyWindow(window);
        windows.clear();
    }
}

} // namespace

int wmain() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE), output = GetStdHandle(STD_OUTPUT_HANDLE);
    std::vector<HWND> windows;
    std::wstring command;
    while (ReadLine(input, command)) {
        Run(windows, command);
        const char done = '.';
        DWORD written = 0;
        WriteFile(output, &done, 1, &written, nullptr);
    }
    for (HWND window : windows) DestroyWindow(window);
    return 0;
}
