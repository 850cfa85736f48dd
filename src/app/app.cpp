#include "app/app.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <optional>
#include <utility>

#include "alerts/log_file_win.h"
#include "app/app_folder.h"
#include "res/resource.h"
#include "ui/gdi.h"
#include "ui/handle.h"
#include "ui/messages.h"
#include "ui/window.h"

namespace korimo::app {

namespace {
constexpr wchar_t kAlreadyRunning[] = L"对不起本程序已在运行中, 不得重复加载!!";

// The icon at the size a metric asks at that DPI. The icon file holds its own drawing at every size the common
// scalings ask (16 to 64 pixels, and 100), so the system picks that image rather than blowing up a small one.
HICON LoadProgramIcon(int metric, int dpi) {
    const int size = ui::SystemMetricForDpi(metric, dpi);
    return static_cast<HICON>(
        LoadImageW(ui::ModuleInstance(), MAKEINTRESOURCEW(IDI_KORIMO), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// A file as the system knows it, whatever path leads to it: its volume and its index there.
struct FileIdentity {
    DWORD volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const std::wstring& path) {
    ui::Handle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.Valid() || !GetFileInformationByHandle(file.Get(), &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// The single-instance key of the program file itself, however its path is spelt.
std::wstring ProgramInstanceKey() {
    const std::wstring path = ui::ModulePath();
    const std::optional<FileIdentity> identity = IdentityOf(path);
    return identity ? InstanceKey(identity->volume, identity->index) : InstanceKey(path);
}

// The main window of the copy that runs this very program file: another program may name a window class as ours,
// and a Korimo from another folder runs on its own. An elevated copy's path is read with the limited right.
HWND RunningCopysMainWindow() {
    const std::optional<FileIdentity> own = IdentityOf(ui::ModulePath());
    for (HWND window = FindWindowExW(nullptr, nullptr, L"Korimo.frmmain", nullptr); window;
         window = FindWindowExW(nullptr, window, L"Korimo.frmmain", nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        ui::Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        std::wstring path(32768, L'\0');
        DWORD length = static_cast<DWORD>(path.size());
        if (!process.Valid() || !QueryFullProcessImageNameW(process.Get(), 0, path.data(), &length)) continue;
        path.resize(length);
        if (pid != GetCurrentProcessId() && (!own || IdentityOf(path) == own)) return window;
    }
    return nullptr;
}

// After the refusal the running copy comes forward, as a double-click on its tray icon brings it: a second start
// is how users look for a tray program whose icon Windows has hidden. A copy that is still starting has no window
// yet: the request waits a few seconds for it. It is posted, never sent, so a busy copy cannot hold this one up,
// and it waits in the running copy's queue until its start-up is over.
void BringRunningCopyForward() {
    for (int waited = 0; waited <= 5000; waited += 100) {
        if (HWND main = RunningCopysMainWindow()) {
            DWORD pid = 0;
            GetWindowThreadProcessId(main, &pid);
            AllowSetForegroundWindow(pid); // this copy's refusal was in front: the running one may take its place
            PostMessageW(main, ui::WM_KORIMO_COME_FORWARD, 0, 0);
            return;
        }
        Sleep(100);
    }
}

// Held for the whole run; a second start of the same program file finds it. A copy that may not open the mutex
// runs as well: an elevated copy's mutex refuses a normal one (ERROR_ACCESS_DENIED), and only a running copy
// can have made it.
class SingleInstance {
public:
    explicit SingleInstance(const std::wstring& key) : mutex_(CreateMutexW(nullptr, FALSE, key.c_str())) {
        const DWORD error = GetLastError();
        alreadyRunning_ = mutex_.Valid() ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
    }
    bool AlreadyRunning() const { return alreadyRunning_; }

private:
    ui::Handle mutex_;
    bool alreadyRunning_ = false;
};

// The user's own folder for Korimo's files, %LOCALAPPDATA%\Korimo\; empty where the system names none.
std::wstring UserFolder() {
    ui::Owned<PWSTR, &CoTaskMemFree> local;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, local.Receive())) || !local)
        return {};
    return NormaliseAppFolder(local.Get()) + L"Korimo\\";
}

// The folder Korimo writes in: beside the program when the program folder and its log folder take files.
std::wstring ChooseDataFolder(const std::wstring& appFolder) {
    const auto takesFiles = [](const std::wstring& folder) {
        return !folder.empty() && alerts::FolderTakesFiles(folder) && alerts::FolderTakesFiles(alerts::LogFolder(folder));
    };
    if (takesFiles(appFolder)) return appFolder;
    const std::wstring user = UserFolder();
    return DataFolder(appFolder, false, user, takesFiles(user));
}
} // namespace

// Every window is built complete, with this program as what it asks of it (PanelHost, MainWindowHost); nothing
// is asked before the windows are loaded.
App::App()
    : appFolder_(NormaliseAppFolder(FolderOfPath(ui::ModulePath()))),
      dataFolder_(ChooseDataFolder(appFolder_)),
      pro_(*this, dataFolder_),
      dir_(*this),
      // At the end of a session nothing may ask where the log should go: the user's own folder is the spare.
      log_(dataFolder_, kAutoSaveLogAtStart, dataFolder_ == appFolder_ ? UserFolder() : L""),
      main_(tray_, {&pro_, &dir_, &log_}, *this) {}

void App::Notice(const std::wstring& title, const std::wstring& text) {
    tray_.ShowTrayNotice(title, text, NIIF_INFO, L"", nullptr);
}

void App::Report(const std::wstring& title, const std::wstring& text) { tray_.ShowReport(title, text); }

void App::Log(const std::wstring& entry) { log_.AppendLogEntry(entry); }

void App::LogAndShow(const std::wstring& entry) {
    log_.AppendLogEntry(entry);
    log_.MoveCaretToEnd();
}

bool App::LogEndsWith(std::wstring_view tail) const { return log_.Log().EndsWith(tail); }

alerts::Answer App::Ask(const std::wstring& question) { return Alert().Ask(question); }

// The new icons are in use before the old ones go.
void App::TakeIcons(int windowDpi) {
    ui::Icon big(LoadProgramIcon(SM_CXICON, windowDpi)), small(LoadProgramIcon(SM_CXSMICON, windowDpi));
    ui::Icon tray(LoadProgramIcon(SM_CXSMICON, ui::MonitorDpi(ui::MonitorOf(nullptr))));
    if (main_.IsLoaded()) main_.SetIcons(big.Get(), small.Get());
    if (tray_.IsAdded()) tray_.ChangeIcon(tray.Get());
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);
    trayIcon_ = std::move(tray);
}

void App::MainWindowDpiChanged(int dpi) { TakeIcons(dpi); }

int App::Main() {
    SingleInstance instance(ProgramInstanceKey());
    if (instance.AlreadyRunning()) {
        MessageBoxW(nullptr, kAlreadyRunning, L"提示", MB_OK | MB_ICONERROR);
        BringRunningCopyForward();
        return 0;
    }
    if (!LoadMainWindow()) {
        MessageBoxW(nullptr, L"无法创建 Korimo 的主窗口，程序将退出。", L"Korimo", MB_OK | MB_ICONERROR);
        return 1;
    }
    return RunMessageLoop();
}

bool App::LoadMainWindow() {
    // The main window comes up centred on the primary monitor, and the panels dock under it at its DPI.
    const int dpi = ui::MonitorDpi(ui::MonitorOf(nullptr));
    TakeIcons(dpi);
    if (!main_.Load(dpi, bigIcon_.Get(), smallIcon_.Get())) return false;

    tray_.AddTrayIcon(trayIcon_.Get(), &main_);
    // Journals left behind by runs that did not end in order become log files before anything is logged.
    const std::wstring recoveryNotice = alerts::RecoveryNotice(alerts::LogFolder(dataFolder_), log_.RecoverJournals());
    // The file monitor first, then the process monitor (its baseline), then the log.
    if (!dir_.Load(main_.Dpi()) || !pro_.Load(main_.Dpi()) || !log_.Load(main_.Dpi())) {
        tray_.RemoveTrayIcon(); // the program ends: no icon may stay behind
        return false;
    }
    main_.DockPanels();
    main_.Image2_Click();
    // After the minimised notice, so that this one is the balloon the user sees: where the log goes, if not beside
    // the program, and what became of the journals of earlier runs.
    std::wstring notice = DataFolderNotice(appFolder_, dataFolder_);
    if (!notice.empty() && !recoveryNotice.empty()) notice += L"\n";
    notice += recoveryNotice;
    if (!notice.empty()) Notice(L"提示：", notice);
    return true;
}

int App::RunMessageLoop() {
    MSG msg;
    for (;;) {
        // Here no nested loop is on the stack (the pop-up's, a message box's, a dialog's): an ordinary close runs.
        if (const std::optional<CloseReason> reason = std::exchange(pendingClose_, std::nullopt)) Close(*reason);
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
        // Tab and the arrow keys move between the controls of whichever of our windows has them.
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        const bool ours = root && (root == main_.Hwnd() || root == log_.Hwnd() || root == pro_.Hwnd() ||
                                   root == dir_.Hwnd());
        if ((ours || (maker_ && root == maker_->Hwnd())) && HandleKey(msg, root)) continue;
        if (ours && IsDialogMessageW(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

// Esc puts Korimo into the tray as the minimise mark does (from the about box: puts the box away), Alt+F4 ends
// it as the close mark does, F1 opens the about box, F6 moves between the main window and the open panel.
bool App::HandleKey(const MSG& msg, HWND root) {
    const bool altF4 = msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4;
    if (msg.message != WM_KEYDOWN && !altF4) return false;
    const bool about = maker_ && root == maker_->Hwnd();
    if (altF4) {
        if (about) return false; // the box's own close request puts it away
        CloseProgram(CloseReason::CloseImage);
        return true;
    }
    switch (msg.wParam) {
    case VK_ESCAPE:
        if (!about) {
            main_.Image2_Click();
        } else {
            maker_->Hide();
            if (main_.IsVisible()) SetForegroundWindow(main_.Hwnd());
        }
        return true;
    case VK_F1:
        ShowAbout();
        return true;
    case VK_F6:
        if (!about) main_.SwitchKeyboardPane();
        return !about;
    default:
        return false;
    }
}

void App::ShowAbout() {
    if (!maker_) maker_ = std::make_unique<frm_maker>();
    maker_->Show(ui::MonitorDpi(ui::MonitorOf(nullptr))); // it opens centred on the primary monitor
}

alerts::Frm_Outputbox& App::Alert() {
    if (!alert_) alert_ = std::make_unique<alerts::Frm_Outputbox>();
    alert_->Load(ui::MonitorOf(main_.Hwnd())); // at the bottom of the main window's monitor
    return *alert_;
}

void App::AutoSaveSwitched(bool on) { log_.AutoSaveSwitched(on); }

bool App::AlertShowing() const { return alert_ && alert_->IsVisible(); }

void App::BringQuestionForward() {
    if (alert_) alert_->BringForward();
}

// The end of a session is answered at once, wherever the message came: Windows ends the program when the answer is
// given. Any other close is made from the message loop, once what waits on the stack (a question, a message box
// of a close, the Save As dialog) has returned: the question is withdrawn at once, and the check goes no further.
void App::CloseProgram(CloseReason reason) {
    if (reason == CloseReason::EndSession) {
        Close(reason);
        return;
    }
    if (!pendingClose_) pendingClose_ = reason;
    if (alert_) alert_->Withdraw();
    pro_.WithdrawCheck();
    PostMessageW(main_.Hwnd(), WM_NULL, 0, 0); // the loop wakes to make it
}

void App::Close(CloseReason reason) {
    if (closing_) return;
    closing_ = true;
    // A question still waiting ends unanswered: nothing is closed, and the check that asked it reports nothing
    // more (the process monitor's unload withdraws it), so the log saved below is the whole log.
    if (alert_) alert_->Withdraw();
    // Monitors first: the file monitor ends its notifications, the log saves itself. At the end of a session
    // nothing may ask the user anything.
    const auto mode = reason == CloseReason::EndSession ? ui::UnloadMode::SessionEnding : ui::UnloadMode::Closing;
    dir_.Unload(mode);
    pro_.Unload(mode);
    log_.Unload(mode);

    const bool closeImage = reason == CloseReason::CloseImage;
    tray_.ShowTrayNotice(L"提示：", closeImage ? L"Korimo正在关闭程序！" : L"关闭程序！", NIIF_INFO, L"", nullptr);
    tray_.FlushNotice();
    // The close image leaves its notice on screen a moment; a shutdown is never held up.
    if (closeImage) Sleep(kClosePauseMs);
    tray_.RemoveTrayIcon();

    if (maker_) maker_.reset();
    main_.Hide();
    PostQuitMessage(0);
}

} // namespace korimo::app
