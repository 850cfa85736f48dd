#include "procmon/close_by_image_win.h"

#include <shellapi.h>

#include "procmon/process_report.h"
#include "ui/text_win.h"

namespace korimo::procmon {

namespace {
bool WriteBatch(const std::wstring& path, const std::string& line) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
                    written == line.size();
    CloseHandle(file);
    return ok;
}
} // namespace

bool CloseByImageName(HWND owner, const std::wstring& appFolder, const std::wstring& imageName, bool forced) {
    const std::optional<std::wstring> line = TaskkillLine(imageName, forced);
    if (!line) {
        ui::ShowFailure(owner, L"无法关闭进程：程序名\n" + imageName + L"\n含有不能安全写入批处理文件的字符。");
        return false;
    }
    const std::wstring batch = appFolder + L"tasklill.bat";
    if (!WriteBatch(batch, ui::ToAnsi(*line))) {
        ui::ShowFailure(owner, L"无法关闭进程：不能写入批处理文件\n" + batch + L"\n\n" + ui::SystemMessage(GetLastError()));
        return false;
    }
    const auto started = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, nullptr, batch.c_str(), nullptr, appFolder.c_str(), SW_SHOWMINIMIZED));
    if (started <= 32) {
        ui::ShowFailure(owner, L"无法关闭进程：不能运行批处理文件\n" + batch);
        return false;
    }
    return true;
}

} // namespace korimo::procmon
