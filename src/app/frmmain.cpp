#include "app/frmmain.h"

#include <windowsx.h>

#include <utility>

#include "app/app_folder.h"
#include "app/frmmain_layout.h"
#include "ui/text_win.h"
#include "ui/messages.h"

namespace korimo::app {

namespace {
constexpr wchar_t kMinimisedNotice[] = L"Korimo已经最小化到托盘！";
constexpr wchar_t kNoticeTitle[] = L"提示：";

constexpr COLORREF kFaceText = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kFaceSubtext = RGB(0xC4, 0xDA, 0xF2);

const ui::ControlSpec& LayoutEntry(std::wstring_view name) { return *ui::FindControl(MainControls(), name); }
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
    Button_SetCheck(Control(IDC_CHECK1_2), BST_CHECKED);
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    return true;
}

bool frmmain::TrayNoticesOn() const { return Button_GetCheck(Control(IDC_CHECK1_0)) == BST_CHECKED; }

void frmmain::Image2_Click() {
    if (IsVisible()) ShowWindow(Hwnd(), SW_MINIMIZE); // the size step hides the minimised window
    Command4_Click();
    tray_.ShowTrayNotice(kNoticeTitle, kMinimisedNotice, NIIF_INFO, L"", nullptr);
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

void frmmain::RestoreFromTray() {
    ShowWindow(Hwnd(), SW_SHOWNORMAL);
    const ui::PixelRect own = ScreenRect();
    const ui::PixelPoint origin =
        ui::CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), own.width, own.height);
    MoveTo(origin.x, origin.y);
    SetForegroundWindow(Hwnd());
}

void frmmain::OnTrayEvent(UINT mouseMessage) {
    if (mouseMessage == WM_LBUTTONDBLCLK && !host_.AlertShowing()) RestoreFromTray();
}

bool frmmain::AutoSaveLogOn() const { return Button_GetCheck(Control(IDC_CHECK1_2)) == BST_CHECKED; }

bool frmmain::Check1_Click(int index) {
    const bool startWithWindows = Button_GetCheck(Control(IDC_CHECK1_1)) == BST_CHECKED;
    const std::wstring path = RunValueToWrite(startWithWindows, programPath_);
    if (MakePgmStartWithWin(L"fy", path)) return true;
    if (TellRunValueFailure(index, startWithWindows)) {
        Button_SetCheck(Control(IDC_CHECK1_1), BST_UNCHECKED);
        ui::ShowFailure(Hwnd(), L"无法设置开机时启动：不能把\n" + path + L"\n写入注册表项\nHKEY_LOCAL_MACHINE\\" +
                                    std::wstring(kRunKey) + L"\n\n请以管理员身份运行 Korimo 后再试。");
    }
    return false;
}

bool frmmain::MakePgmStartWithWin(const std::wstring& PgmLbl, const std::wstring& PgmFP) {
    if (!PgmFP.empty()) {
        const DWORD attributes = GetFileAttributesW(PgmFP.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    }
    return WriteRegString(HKEY_LOCAL_MACHINE, kRunKey, PgmLbl, PgmFP);
}

bool frmmain::WriteRegString(HKEY hive, const wchar_t* key, const std::wstring& name, const std::wstring& data) {
    HKEY opened = nullptr;
    if (RegCreateKeyExW(hive, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return false;
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    const LSTATUS status =
        RegSetValueExW(opened, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes);
    RegCloseKey(opened);
    return status == ERROR_SUCCESS;
}

void frmmain::OnCommand(int id, int code) {
    switch (id) {
    case IDC_COMMAND1:
    case IDC_COMMAND2:
    case IDC_COMMAND3:
        if (code == BN_CLICKED) OpenPanel(static_cast<std::size_t>(id - IDC_COMMAND1));
        break;
    case IDC_COMMAND4:
        if (code == BN_CLICKED) Command4_Click();
        break;
    case IDC_COMMAND5:
    case IDC_COMMAND6:
        if (code == BN_CLICKED) MessageBoxW(Hwnd(), L"有待制作", kMainTitle, MB_OK);
        break;
    case IDC_LABEL1:
        if (code == STN_CLICKED) host_.ShowAbout();
        break;
    case IDC_CHECK1_0:
    case IDC_CHECK1_1:
    case IDC_CHECK1_2:
        if (code != BN_CLICKED) break;
        Check1_Click(id - IDC_CHECK1_0);
        if (id == IDC_CHECK1_2) host_.AutoSaveSwitched(AutoSaveLogOn());
        break;
    default:
        break;
    }
}

void frmmain::OnSize(WPARAM state) {
    if (state == SIZE_MINIMIZED) ShowWindow(Hwnd(), SW_HIDE);
}

const ui::ControlSpec* frmmain::ImageAt(int x, int y) const {
    for (const wchar_t* name : {L"Image1", L"Image2"}) {
        const ui::ControlSpec& entry = LayoutEntry(name);
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
    if (pressed->name == L"Image1")
        host_.CloseProgram(CloseReason::CloseImage);
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
    return control == Control(IDC_LABEL1) ? kFaceSubtext : RGB(0x1F, 0x2A, 0x37);
}

LRESULT frmmain::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == taskbarCreated_ && msg != 0) {
        tray_.Restore();
        return 0;
    }
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
    case ui::WM_KORIMO_TRAY:
        OnTrayEvent(static_cast<UINT>(LOWORD(lParam)));
        return 0;
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
    ui::FillVerticalGradient(dc, RECT{0, 0, client.cx, client.cy}, RGB(0x13, 0x30, 0x58), RGB(0x21, 0x5A, 0x9B));
    ui::DrawTextIn(dc, L"Korimo", s.Rect(240, 150, 4000, 660), titleFont_.Get(), kFaceText, DT_LEFT | DT_SINGLELINE);
    ui::DrawTextIn(dc, L"桌面进程与文件监视", s.Rect(255, 780, 4000, 330), subtitleFont_.Get(), kFaceSubtext,
                   DT_LEFT | DT_SINGLELINE);

    // The settings sit on a light card so the check boxes read well at any scaling.
    ui::FillRounded(dc, s.Rect(120, 1380, 2760, 1200), s(150), RGB(0xF3, 0xF7, 0xFB), RGB(0x9D, 0xB3, 0xCC));

    const RECT emblem = s.Rect(4880, 1080, 1740, 2040);
    ui::DrawShieldEmblem(dc, emblem);
    ui::DrawTextIn(dc, L"正在保护你的电脑", s.Rect(3600, 3240, 4300, 330), subtitleFont_.Get(), kFaceSubtext,
                   DT_CENTER | DT_SINGLELINE);

    ui::Brush rule(CreateSolidBrush(RGB(0x3C, 0x6E, 0xA8)));
    RECT line = s.Rect(120, 4560, 9285, 15);
    if (line.bottom == line.top) ++line.bottom;
    FillRect(dc, &line, rule.Get());

    const int thickness = s(30) > 1 ? s(30) : 2;
    const ui::PixelRect minimise = ControlPixels(LayoutEntry(L"Image2"));
    const ui::PixelRect close = ControlPixels(LayoutEntry(L"Image1"));
    ui::DrawMinimiseMark(dc, RECT{minimise.left, minimise.top, minimise.right(), minimise.bottom()}, kFaceText,
                         thickness);
    ui::DrawCloseMark(dc, RECT{close.left, close.top, close.right(), close.bottom()}, kFaceText, thickness);
}

} // namespace korimo::app
