// The main window: a drawn face with the panel buttons, the three settings, the credit label and the close and
// minimise marks. It normally sits hidden in the tray; a double-click on the tray icon brings it back.
#pragma once

#include <array>
#include <string>

#include "app/tray_win.h"
#include "ui/accessible.h"
#include "ui/face_window.h"
#include "ui/panel_window.h"

namespace korimo::app {

// The machine-wide key whose value "fy" starts the program with Windows.
inline constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// Where Task Manager's "启动应用" page and Settings keep whether each Run entry is switched on: a binary value
// named like the entry, in the machine's hive and in the user's own.
inline constexpr wchar_t kStartupApprovedKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

enum class CloseReason {
    CloseImage,   // the close mark on the face
    CloseRequest, // the window-close command or the task manager
    EndSession,   // shutdown or log-off: nothing may hold it up
};

// "自动保存日志" as every run starts: ticked (the log is told each change through AutoSaveSwitched).
inline constexpr bool kAutoSaveLogAtStart = true;

// What the main window asks of the program that owns it.
class MainWindowHost {
public:
    virtual void ShowAbout() = 0;
    virtual void CloseProgram(CloseReason reason) = 0;
    // Whether the alert pop-up is up: a double-click on the tray icon does not restore the window meanwhile.
    virtual bool AlertShowing() const = 0;
    // The keyboard asked for Korimo (Enter on the tray icon, a second start) while a question waits: the question
    // comes forward, ready to be answered.
    virtual void BringQuestionForward() {}
    // "自动保存日志" was ticked or unticked.
    virtual void AutoSaveSwitched(bool on) = 0;
    // The main window took another DPI (another monitor, another scaling): its icons and the tray's are due.
    virtual void MainWindowDpiChanged(int /*dpi*/) {}

protected:
    ~MainWindowHost() = default;
};

class frmmain final : public ui::FaceWindow, public TrayIcon::Events {
public:
    // The panels in docking order: pro_form, dir_form, log_form.
    using Panels = std::array<ui::PanelWindow*, 3>;

    // `programPath` is the program file that "开机时启动" registers: this program's own unless a test says otherwise.
    frmmain(TrayIcon& tray, Panels panels, MainWindowHost& host, std::wstring programPath = ui::ModulePath());

    bool Load(int dpi, HICON bigIcon, HICON smallIcon);

    bool TrayNoticesOn() const; // Check1(0)
    bool AutoSaveLogOn() const; // Check1(2)

    // Any of the three boxes clicked: the Run value follows "开机时启动". Returns false when the value could
    // not be written.
    bool Check1_Click(int index);
    // Writes `PgmFP` as the Run value `PgmLbl` when that program file exists; an empty `PgmFP` empties the value.
    bool MakePgmStartWithWin(const std::wstring& PgmLbl, const std::wstring& PgmFP);

    // Minimise to the tray; while there is no tray icon yet (the shell not up), the window stays on screen instead
    // and goes to the tray once the icon is there.
    void Image2_Click();
    void Command4_Click(); // collapse the panels
    void OpenPanel(std::size_t index); // Command1..3: 0 opens pro_form, 1 dir_form, 2 log_form
    // Shows the window centred, the keyboard focus on the first control of the keyboard order; `keyboardCues`
    // when it came by the keyboard, so the focus shows at once.
    void RestoreFromTray(bool keyboardCues = false);
    // F6: the keyboard focus moves from the main window to the open panel and back.
    void SwitchKeyboardPane();
    // The panel on screen, if one is.
    ui::PanelWindow* OpenPanelWindow() const;
    void DockPanels();
    // The icons of the window (and of its class): for its caption-less face, the task switcher's and the system's.
    void SetIcons(HICON bigIcon, HICON smallIcon);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnClose() override;
    void PaintFace(HDC dc, const ui::Scale& scale, SIZE client) override;
    COLORREF ControlTextColour(HWND control) const override;
    std::span<const ui::ControlSpec> Controls() const override;
    void RelayOut(int oldDpi) override;
    void RemakeFonts(int) override { MakeFonts(); }
    void OnDisplayChanged() override;

private:
    std::span<const ui::CommandBinding> Commands() const override;
    void ShowCentred(bool activate);
    void TrayNotices_Click();   // after Check1(0)
    void NotYetMade_Click(); // Command5, Command6
    void Label1_Click();     // the about box
    void AutoSave_Click();   // after Check1(2)
    void Image1_Click();     // the close mark: the program ends
    void MakeFonts();
    static bool WriteRegString(HKEY hive, const wchar_t* key, const std::wstring& name, const std::wstring& data);
    // Whether Windows has the Run entry `name` switched off (Task Manager, Settings), in either hive.
    static bool StartupSwitchedOff(const std::wstring& name);
    void OnSize(WPARAM state);
    void OnButtonDown(int button, int x, int y);
    void OnLeftButtonUp(int x, int y);
    void OnTrayEvent(UINT mouseMessage) override;
    void OnTrayArrived() override;
    void ComeForward();
    bool OnSetCursor(HWND over);
    const ui::ControlSpec* ImageAt(int x, int y) const;
    void FocusFirstControl();
    bool OnActivate(WPARAM state);
    ui::AccessibleSpec ClientAccessible();

    TrayIcon& tray_;
    Panels panels_;
    MainWindowHost& host_;
    const ui::ControlSpec* pressedImage_ = nullptr;
    ui::Font titleFont_;
    ui::Font subtitleFont_;
    HWND lastFocus_ = nullptr; // the control that had the focus when the window was last active
    bool waitingForTray_ = false; // on screen only because there was no tray icon to go to
    std::wstring programPath_;
};

} // namespace korimo::app
