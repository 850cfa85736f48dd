#include "procmon/close_by_image_win.h"

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
} // namespace

bool CloseByImageName(HWND owner, const std::wstring& appFolder, const CloseOrder& order) {
    const std::wstring systemFolder = SystemFolder();
    const std::optional<std::wstring> line = TaskkillLine(systemFolder, order, ImageName(ui::ModulePath()),
                                                          ui::FitsAnsi(order.imageName));
    if (!line || !ui::FitsAnsi(*line)) {
        ui::ShowFailure(owner, L"无法关闭进程：程序名\n" + order.imageName + L"\n含有不能安全写入批处理文件的字符。");
        return false;
    }
    const std::wstring batch = appFolder + kBatchFileName;
    if (!WriteBatch(batch, ui::ToAnsi(*line))) {
        ui::ShowFailure(owner, L"无法关闭进程：不能写入批处理文件\n" + batch + L"\n\n" + ui::SystemMessage(GetLastError()));
        return false;
    }
    if (!RunBatch(systemFolder, batch, appFolder)) {
        ui::ShowFailure(owner, L"无法关闭进程：不能运行批处理文件\n" + batch + L"\n\n" + ui::SystemMessage(GetLastError()));
        return false;
    }
    return true;
}

} // namespace korimo::procmon
