#include "app/frmmain.h"

#include <windowsx.h>

#include <oleacc.h>

#include <utility>

#include "app/app_folder.h"
#include "app/frmmain_layout.h"
#include "ui/text_win.h"
#include "ui/messages.h"

namespace korimo::app {

namespace {
constexpr wchar_t kMinimisedNotice[] = L"Korimo已经最小化到托盘！";
constexpr wchar_t kNoticeTitle[] = L"提示：";

COLORREF FaceText() { return ui::FaceColour(RGB(0xFF, 0xFF, 0xFF), COLOR_WINDOWTEXT); }
COLORREF FaceSubtext() { return ui::FaceColour(RGB(0xC4, 0xDA, 0xF2), COLOR_WINDOWTEXT); }

const ui::ControlSpec& LayoutEntry(int id) { return *ui::FindControl(MainControls(), id); }
} // namespace

frmmain::frmmain(TrayIcon& tray, Panels panels, MainWindowHost& host, std::wstring programPath)
    : tray_(tray), panels_(panels), host_(host), programPath_(std::move(programPath)) {}

bool frmmain::Load(int dpi, HICON bigIcon, HICON smallIcon) {
    if (!CreateFaced({L"Korimo.frmmain", 0, bigIcon, smallIcon}, kMainTitle, kMainClientWidthTwips,
                     kMainClientHeightTwips, dpi))
        return false;
    SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    MakeFonts();
    for (const ui::ControlSpec& entry : MainControls()) CreateControl(entry);
    Button_SetCheck(Control(IDC_CHECK1_0), BST_CHECKED);
    Button_SetCheck(Control(IDC_CHECK1_2), kAutoSaveLogAtStart ? BST_CHECKED : BST_UNCHECKED);
    // A second start's request, made by a copy that runs without elevation, is let through to an elevated one.
    ChangeWindowMessageFilterEx(Hwnd(), ui::WM_KORIMO_COME_FORWARD, MSGFLT_ALLOW, nullptr);
    // The credit label is a link to the about box (F1 opens it too).
    ui::AccessibleSpec link;
    link.role = ROLE_SYSTEM_LINK;
    link.action = L"打开关于 Korimo";
    link.shortcut = L"F1";
    link.press = [this] { host_.ShowAbout(); };
    ui::DescribeControl(Control(IDC_LABEL1), std::move(link));
    return true;
}

bool frmmain::TrayNoticesOn() const { return Button_GetCheck(Control(IDC_CHECK1_0)) == BST_CHECKED; }

void frmmain::Image2_Click() {
    Command4_Click();
    if (!tray_.IsAdded()) { // no tray to go to yet (a start before the shell's): the window stays within reach
        waitingForTray_ = true;
        if (!IsVisible()) ShowCentred(false);
        return;
    }
    waitingForTray_ = false;
    if (IsVisible()) ShowWindow(Hwnd(), SW_MINIMIZE); // the size step hides the minimised window
    tray_.ShowTrayNotice(kNoticeTitle, kMinimisedNotice, NIIF_INFO, L"", nullptr);
}

// The icon is there at last: a window shown only because there was no tray goes to it, as at start, unless the
// user has taken it up meanwhile.
void frmmain::OnTrayArrived() {
    if (std::exchange(waitingForTray_, false) && IsVisible() && GetForegroundWindow() != Hwnd()) Image2_Click();
}


void frmmain::Command4_Click() {
    for (ui::PanelWindow* panel : panels_) panel->Hide();
}

void frmmain::OpenPanel(std::size_t index) {
    Command4_Click();
    panels_[index]->ShowDocked(ScreenRect());
}

void frmmain::DockPanels() {
    const ui::PixelRect own = ScreenRect();
    for (ui::PanelWindow* panel : panels_) panel->DockUnder(own);
}

void frmmain::SetIcons(HICON bigIcon, HICON smallIcon) {
    SetClassLongPtrW(Hwnd(), GCLP_HICON, reinterpret_cast<LONG_PTR>(bigIcon));
    SetClassLongPtrW(Hwnd(), GCLP_HICONSM, reinterpret_cast<LONG_PTR>(smallIcon));
    SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

void frmmain::MakeFonts() {
    titleFont_ = ui::CreateUiFont(Dpi(), 22, true);
    subtitleFont_ = ui::CreateUiFont(Dpi(), 10);
}

std::span<const ui::ControlSpec> frmmain::Controls() const { return MainControls(); }

// The panels follow: laid out at the main window's new DPI and docked under it, so an open one stays in place.
void frmmain::RelayOut(int oldDpi) {
    ui::FaceWindow::RelayOut(oldDpi);
    const ui::PixelRect own = ScreenRect();
    for (ui::PanelWindow* panel : panels_) panel->FollowMain(own, Dpi());
    host_.MainWindowDpiChanged(Dpi());
}

void frmmain::OnDisplayChanged() {
    ui::FaceWindow::OnDisplayChanged();
    DockPanels();
}

void frmmain::ShowCentred(bool activate) {
    ShowWindow(Hwnd(), activate ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE);
    const ui::PixelRect own = ScreenRect();
    const ui::PixelPoint origin =
        ui::CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), own.width, own.height);
    MoveTo(origin.x, origin.y);
}

void frmmain::RestoreFromTray(bool keyboardCues) {
    ShowCentred(true);
    SetForegroundWindow(Hwnd());
    if (keyboardCues) SendMessageW(Hwnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    FocusFirstControl();
}

void frmmain::FocusFirstControl() {
    for (const ui::ControlSpec& entry : MainControls()) {
        HWND control = entry.id ? Control(entry.id) : nullptr;
        if (control && IsWindowVisible(control) && (GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP)) {
            SetFocus(control);
            return;
        }
    }
}

ui::PanelWindow* frmmain::OpenPanelWindow() const {
    for (ui::PanelWindow* panel : panels_)
        if (panel->IsVisible()) return panel;
    return nullptr;
}

void frmmain::SwitchKeyboardPane() {
    ui::PanelWindow* panel = OpenPanelWindow();
    if (!panel) return;
    HWND focus = GetFocus();
    const bool inPanel = focus && GetAncestor(focus, GA_ROOT) == panel->Hwnd();
    HWND target = inPanel ? Hwnd() : panel->Hwnd();
    SetForegroundWindow(target); // back in the main window, activation gives the focus back to its control
    SendMessageW(target, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    if (!inPanel) SetFocus(GetNextDlgTabItem(target, nullptr, FALSE));
    else if (GetFocus() == Hwnd()) FocusFirstControl();
}

// The window keeps its control's focus while another window is active, as a dialog does: F6, the about box
// and the pop-up give it back where it was.
bool frmmain::OnActivate(WPARAM state) {
    if (LOWORD(state) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && GetParent(focus) == Hwnd()) lastFocus_ = focus;
        return false;
    }
    if (!lastFocus_ || !IsWindowVisible(lastFocus_) || !IsWindowEnabled(lastFocus_)) return false;
    SetFocus(lastFocus_);
    return true;
}

// The marks drawn on the face are push buttons to a screen reader, each with its rectangle and its action.
ui::AccessibleSpec frmmain::ClientAccessible() {
    const auto where = [this](int id) {
        return [this, id] {
            const ui::PixelRect r = ControlPixels(LayoutEntry(id));
            return RECT{r.left, r.top, r.right(), r.bottom()};
        };
    };
    ui::AccessibleSpec spec;
    spec.elements.push_back({L"关闭 Korimo", ROLE_SYSTEM_PUSHBUTTON, L"按下", L"Alt+F4", where(IDC_IMAGE1),
                             [this] { Image1_Click(); }});
    spec.elements.push_back(
        {L"最小化到托盘", ROLE_SYSTEM_PUSHBUTTON, L"按下", L"Esc", where(IDC_IMAGE2), [this] { Image2_Click(); }});
    return spec;
}

// A left double-click, or Enter or Space on the icon (the shell's NIN_KEYSELECT since version 3). While a question
// waits the double-click does nothing; the keys bring the question forward, since a keyboard has no other road to
// it (a tool window is not listed by Alt+Tab).
void frmmain::OnTrayEvent(UINT mouseMessage) {
    if (host_.AlertShowing()) {
        if (mouseMessage == NIN_KEYSELECT) host_.BringQuestionForward();
        return;
    }
    if (mouseMessage == WM_LBUTTONDBLCLK) RestoreFromTray();
    if (mouseMessage == NIN_KEYSELECT) RestoreFromTray(true);
}

// A second start of the program: the user is looking for the running copy (on Windows 11 its icon may hide
// behind "^").
void frmmain::ComeForward() {
    if (host_.AlertShowing())
        host_.BringQuestionForward();
    else
        RestoreFromTray();
}

bool frmmain::AutoSaveLogOn() const { return Button_GetCheck(Control(IDC_CHECK1_2)) == BST_CHECKED; }

bool frmmain::Check1_Click(int index) {
    const bool startWithWindows = Button_GetCheck(Control(IDC_CHECK1_1)) == BST_CHECKED;
    const std::wstring path = RunValueToWrite(startWithWindows, programPath_);
    if (MakePgmStartWithWin(L"fy", path)) {
        // Windows keeps its own switch beside the value, and a user who once switched Korimo off there would
        // otherwise wait in vain for it at the next log-on. Only the user may switch it on again.
        if (TellRunValueFailure(index, startWithWindows) && StartupSwitchedOff(L"fy"))
            MessageBoxW(Hwnd(), StartupSwitchedOffNotice(L"fy").c_str(), L"Korimo", MB_OK | MB_ICONWARNING);
        return true;
    }
    if (TellRunValueFailure(index, startWithWindows)) {
        Button_SetCheck(Control(IDC_CHECK1_1), BST_UNCHECKED);
        ui::ShowFailure(Hwnd(), L"无法设置开机时启动：不能把\n" + path + L"\n写入注册表项\nHKEY_LOCAL_MACHINE\\" +
                                    std::wstring(kRunKey) + L"\n\n请以管理员身份运行 Korimo 后再试。");
    }
    return false;
}

bool frmmain::MakePgmStartWithWin(const std::wstring& PgmLbl, const std::wstring& PgmFP) {
    if (!PgmFP.empty()) {
        const DWORD attributes = GetFileAttributesW(ProgramOfRunValue(PgmFP).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    }
    return WriteRegString(HKEY_LOCAL_MACHINE, kRunKey, PgmLbl, PgmFP);
}

bool frmmain::WriteRegString(HKEY hive, const wchar_t* key, const std::wstring& name, const std::wstring& data) {
    ui::RegistryKey opened;
    if (RegCreateKeyExW(hive, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, opened.Receive(), nullptr) != ERROR_SUCCESS)
        return false;
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(opened.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          bytes) == ERROR_SUCCESS;
}

bool frmmain::StartupSwitchedOff(const std::wstring& name) {
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        std::uint8_t state[64]{};
        DWORD size = sizeof(state);
        if (RegGetValueW(hive, kStartupApprovedKey, name.c_str(), RRF_RT_REG_BINARY, nullptr, state, &size) ==
                ERROR_SUCCESS &&
            StartupEntrySwitchedOff(std::span(state, size)))
            return true;
    }
    return false;
}

std::span<const ui::CommandBinding> frmmain::Commands() const {
    static constexpr ui::CommandBinding kCommands[]{
        ui::OnEach<&frmmain::OpenPanel>(IDC_COMMAND1, IDC_COMMAND3),
        ui::On<&frmmain::Command4_Click>(IDC_COMMAND4),
        ui::OnEach<&frmmain::NotYetMade_Click>(IDC_COMMAND5, IDC_COMMAND6),
        ui::On<&frmmain::Label1_Click>(IDC_LABEL1, STN_CLICKED),
        ui::OnEach<&frmmain::Check1_Click>(IDC_CHECK1_0, IDC_CHECK1_2),
        ui::On<&frmmain::TrayNotices_Click>(IDC_CHECK1_0),
        ui::On<&frmmain::AutoSave_Click>(IDC_CHECK1_2),
    };
    return kCommands;
}


void frmmain::TrayNotices_Click() { tray_.NoticesSwitched(TrayNoticesOn()); }

void frmmain::NotYetMade_Click() { MessageBoxW(Hwnd(), L"有待制作", kMainTitle, MB_OK); }

void frmmain::Label1_Click() { host_.ShowAbout(); }

void frmmain::AutoSave_Click() { host_.AutoSaveSwitched(AutoSaveLogOn()); }

void frmmain::Image1_Click() { host_.CloseProgram(CloseReason::CloseImage); }

void frmmain::OnSize(WPARAM state) {
    if (state == SIZE_MINIMIZED && tray_.IsAdded()) ShowWindow(Hwnd(), SW_HIDE);
}

const ui::ControlSpec* frmmain::ImageAt(int x, int y) const {
    for (int id : {IDC_IMAGE1, IDC_IMAGE2}) {
        const ui::ControlSpec& entry = LayoutEntry(id);
        if (ControlPixels(entry).Contains(x, y)) return &entry;
    }
    return nullptr;
}

void frmmain::OnButtonDown(int button, int x, int y) {
    if (button == 1) {
        if (const ui::ControlSpec* image = ImageAt(x, y)) {
            pressedImage_ = image; // an image is clicked when the button comes up over it
            SetCapture(Hwnd());
            return;
        }
        // Hand the press to the system's move loop; it returns when the button is released.
        ReleaseCapture();
        SendMessageW(Hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
    }
    DockPanels();
}

void frmmain::OnLeftButtonUp(int x, int y) {
    const ui::ControlSpec* pressed = std::exchange(pressedImage_, nullptr);
    if (!pressed) return;
    ReleaseCapture();
    if (ImageAt(x, y) != pressed) return;
    if (pressed->id == IDC_IMAGE1)
        Image1_Click();
    else
        Image2_Click();
}

bool frmmain::OnSetCursor(HWND over) {
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(Hwnd(), &cursor);
    const bool hand = over == Control(IDC_LABEL1) || (over == Hwnd() && ImageAt(cursor.x, cursor.y));
    if (!hand) return false;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
}

COLORREF frmmain::ControlTextColour(HWND control) const {
    if (control == Control(IDC_LABEL1)) return ui::FaceColour(RGB(0xC4, 0xDA, 0xF2), COLOR_HOTLIGHT);
    return ui::FaceWindow::ControlTextColour(control);
}

LRESULT frmmain::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        OnSize(wParam);
        return ui::FaceWindow::HandleMessage(msg, wParam, lParam);
    case WM_LBUTTONDOWN:
        OnButtonDown(1, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_RBUTTONDOWN:
        OnButtonDown(2, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MBUTTONDOWN:
        OnButtonDown(4, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnLeftButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_SETCURSOR:
        if (OnSetCursor(reinterpret_cast<HWND>(wParam))) return TRUE;
        return Default(msg, wParam, lParam);
    case ui::WM_KORIMO_COME_FORWARD:
        ComeForward();
        return 0;
    case WM_ACTIVATE:
        if (OnActivate(wParam)) return 0;
        return ui::FaceWindow::HandleMessage(msg, wParam, lParam);
    case WM_GETOBJECT:
        if (const LRESULT answer = ui::AnswerGetObject(Hwnd(), wParam, lParam, ClientAccessible())) return answer;
        return Default(msg, wParam, lParam);
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) host_.CloseProgram(CloseReason::EndSession);
        return 0;
    default:
        return ui::FaceWindow::HandleMessage(msg, wParam, lParam);
    }
}

// The main window's close request (Alt+F4, a polite taskkill) ends the program, in order.
void frmmain::OnClose() { host_.CloseProgram(CloseReason::CloseRequest); }

void frmmain::PaintFace(HDC dc, const ui::Scale& s, SIZE client) {
    ui::FillVerticalGradient(dc, RECT{0, 0, client.cx, client.cy}, ui::FaceColour(RGB(0x13, 0x30, 0x58), COLOR_WINDOW),
                             ui::FaceColour(RGB(0x21, 0x5A, 0x9B), COLOR_WINDOW));
    ui::DrawTextIn(dc, L"Korimo", s.Rect(240, 150, 4000, 660), titleFont_.Get(), FaceText(), DT_LEFT | DT_SINGLELINE);
    ui::DrawTextIn(dc, L"桌面进程与文件监视", s.Rect(255, 780, 4000, 330), subtitleFont_.Get(), FaceSubtext(),
                   DT_LEFT | DT_SINGLELINE);

    // The settings sit on a light card so the check boxes read well at any scaling.
    ui::FillRounded(dc, s.Rect(120, 1380, 2760, 1200), s(150), ui::FaceColour(RGB(0xF3, 0xF7, 0xFB), COLOR_WINDOW),
                    ui::FaceColour(RGB(0x9D, 0xB3, 0xCC), COLOR_WINDOWTEXT));

    const RECT emblem = s.Rect(4880, 1080, 1740, 2040);
    ui::DrawShieldEmblem(dc, emblem);
    ui::DrawTextIn(dc, L"正在保护你的电脑", s.Rect(3600, 3240, 4300, 330), subtitleFont_.Get(), FaceSubtext(),
                   DT_CENTER | DT_SINGLELINE);

    ui::Brush rule(CreateSolidBrush(ui::FaceColour(RGB(0x3C, 0x6E, 0xA8), COLOR_WINDOWTEXT)));
    RECT line = s.Rect(120, 4560, 9285, 15);
    if (line.bottom == line.top) ++line.bottom;
    FillRect(dc, &line, rule.Get());

    const int thickness = s(30) > 1 ? s(30) : 2;
    const ui::PixelRect minimise = ControlPixels(LayoutEntry(IDC_IMAGE2));
    const ui::PixelRect close = ControlPixels(LayoutEntry(IDC_IMAGE1));
    ui::DrawMinimiseMark(dc, RECT{minimise.left, minimise.top, minimise.right(), minimise.bottom()}, FaceText(),
                         thickness);
    ui::DrawCloseMark(dc, RECT{close.left, close.top, close.right(), close.bottom()}, FaceText(), thickness);
}

} // namespace korimo::app
