#include "alerts/frm_outputbox.h"

#include "alerts/countdown.h"
#include "alerts/frm_outputbox_layout.h"
#include "ui/text_win.h"

#include <oleacc.h>

#include <algorithm>
#include <utility>

namespace korimo::alerts {

namespace {

BOOL CALLBACK CollectEnabled(HWND window, LPARAM context) {
    auto* found = reinterpret_cast<std::pair<HWND, std::vector<HWND>>*>(context);
    if (window != found->first && IsWindowEnabled(window)) found->second.push_back(window);
    return TRUE;
}
} // namespace

bool Frm_Outputbox::Load(HMONITOR monitor) {
    if (IsLoaded()) return true;
    if (!CreateFaced({L"Korimo.Frm_Outputbox"}, L"Korimo", kOutputboxWidthTwips, kOutputboxHeightTwips,
                     ui::MonitorDpi(monitor)))
        return false;
    for (const ui::ControlSpec& entry : OutputboxControls()) CreateControl(entry);
    MakeFonts();
    // The countdown is drawn by the pop-up itself (DrawOwnLabel): a static label would wrap " 10" out of sight.
    HWND time = Control(IDC_OUT_TIME);
    SetWindowLongW(time, GWL_STYLE, (GetWindowLongW(time, GWL_STYLE) & ~SS_TYPEMASK) | SS_OWNERDRAW);

    // Topmost, at the bottom centre of the work area, so that no answer lies under the taskbar; later
    // questions appear wherever the window is then.
    const ui::PixelRect own = ScreenRect();
    const ui::PixelPoint at = ui::BottomCentreOrigin(ui::WorkAreaOf(monitor), own.width, own.height,
                                                     ui::TwipsToPixels(kOutputboxBottomMarginTwips, Dpi()));
    SetWindowPos(Hwnd(), HWND_TOPMOST, at.x, at.y, own.width, own.height, SWP_NOACTIVATE);
    return true;
}

void Frm_Outputbox::MakeFonts() {
    const auto songti = [this](int height) {
        return ui::Font(CreateFontW(-height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"宋体"));
    };
    ui::Font name = songti(MulDiv(105, Dpi(), 720)), time = songti(MulDiv(2175, Dpi(), 7200));
    SendMessageW(Control(IDC_OUT_LABEL1), WM_SETFONT, reinterpret_cast<WPARAM>(name.Get()), TRUE);
    SendMessageW(Control(IDC_OUT_TIME), WM_SETFONT, reinterpret_cast<WPARAM>(time.Get()), TRUE);
    nameFont_ = std::move(name); // the old fonts go only once no label uses them
    timeFont_ = std::move(time);
}

std::span<const ui::ControlSpec> Frm_Outputbox::Controls() const { return OutputboxControls(); }

void Frm_Outputbox::KeepInWorkArea() { KeepInside(ui::WorkAreaOf(ui::MonitorOf(Hwnd()))); }

void Frm_Outputbox::OnDisplayChanged() { KeepInWorkArea(); }

bool Frm_Outputbox::outputbox(const std::wstring& Omsg, const std::wstring& Oc1, const std::wstring& Oc2,
                              const std::wstring& Oc3, std::int16_t ot, std::int16_t ov) {
    if (waiting_ || !Load(ui::MonitorOf(nullptr))) return false;
    SetWindowTextW(Control(IDC_OUT_MSGLABEL), Omsg.c_str());
    Ot = ot;
    Ov = ov;
    const std::wstring* captions[] = {&Oc1, &Oc2, &Oc3};
    for (int i = 0; i < 3; ++i) {
        HWND button = Control(IDC_OUT_COMMAND1 + i);
        if (!captions[i]->empty()) SetWindowTextW(button, captions[i]->c_str());
        ShowWindow(button, captions[i]->empty() ? SW_HIDE : SW_SHOW);
    }
    Ovalue = 0;
    Timer1_.Start(1000);
    KeepInWorkArea(); // where the user left it, unless a taskbar or a monitor has moved since
    RunModal();
    return true;
}

Answer Frm_Outputbox::Ask(const std::wstring& question) {
    if (!outputbox(question, kAnswerCaptions[0], kAnswerCaptions[1], kAnswerCaptions[2], kQuestionSeconds,
                   kAnswerWhenTimeIsUp))
        return Answer::None;
    return AnswerOf(Ovalue);
}

void Frm_Outputbox::BringForward() {
    if (!waiting_) return;
    SetForegroundWindow(Hwnd());
    SendMessageW(Hwnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    for (int id = IDC_OUT_COMMAND1; id <= IDC_OUT_COMMAND3; ++id)
        if (IsWindowVisible(Control(id))) {
            SetFocus(Control(id));
            return;
        }
}

void Frm_Outputbox::Withdraw() {
    if (!waiting_ || Ovalue != 0) return;
    Ovalue = kWithdrawn;
    EndModal();
}

void Frm_Outputbox::DisableOtherWindows() {
    std::pair<HWND, std::vector<HWND>> found{Hwnd(), {}};
    EnumThreadWindows(GetCurrentThreadId(), &CollectEnabled, reinterpret_cast<LPARAM>(&found));
    for (HWND window : found.second) EnableWindow(window, FALSE);
    disabled_ = std::move(found.second);
}

// The countdown stops, the other windows take input again and the pop-up hides; safe to call twice.
void Frm_Outputbox::EndModal() {
    Timer1_.Stop();
    for (HWND window : std::exchange(disabled_, {})) EnableWindow(window, TRUE); // first, so activation returns to one of ours
    ShowWindow(Hwnd(), SW_HIDE);
}

// The modal show: the program's other windows are disabled, and this loop handles every message of the
// thread (timers, shell notifications, the log) until the question has its answer.
void Frm_Outputbox::RunModal() {
    waiting_ = true;
    DisableOtherWindows();
    ShowWithoutTakingTheFocus();
    ui::AnnounceAlert(Hwnd()); // a screen reader speaks the question at once
    MSG msg;
    while (Ovalue == 0) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // the program is ending: the caller gets no answer
            break;
        }
        if (IsDialogMessageW(Hwnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    EndModal();
    waiting_ = false;
}

// The question comes up over everything but leaves the keyboard with the program the user is typing in; the
// user brings it forward to answer. Only when that program is Korimo itself, whose windows the question has just
// disabled, does the pop-up take the focus, or the keys would go nowhere.
void Frm_Outputbox::ShowWithoutTakingTheFocus() {
    DWORD owner = 0;
    HWND foreground = GetForegroundWindow();
    if (foreground) GetWindowThreadProcessId(foreground, &owner);
    const bool ours = !foreground || owner == GetCurrentProcessId();
    ShowWindow(Hwnd(), ours ? SW_SHOW : SW_SHOWNOACTIVATE);
    if (ours) SetForegroundWindow(Hwnd());
}

// To a screen reader the pop-up is an alert named by its question; its description tells the seconds left and
// the answer that time gives, when the reader asks (the countdown is not spoken every second).
ui::AccessibleSpec Frm_Outputbox::Accessible() const {
    ui::AccessibleSpec spec;
    spec.role = ROLE_SYSTEM_ALERT;
    spec.name = [this] { return ui::WindowTextOf(Control(IDC_OUT_MSGLABEL)); };
    spec.description = [this] {
        std::wstring seconds = ui::WindowTextOf(Control(IDC_OUT_TIME));
        seconds.erase(0, seconds.find_first_not_of(L' '));
        std::wstring text = L"还剩 " + seconds + L" 秒";
        if (Ov >= 1 && Ov <= 3) text += L"，到时自动选择“" + ui::WindowTextOf(Control(IDC_OUT_COMMAND1 + Ov - 1)) + L"”";
        return text + L"。按 Tab 键选择回答，按空格键或回车键确定。";
    };
    return spec;
}

void Frm_Outputbox::Timer1_Timer() {
    const std::wstring shown = CountdownTick(Ot, Ov, Ovalue);
    SetWindowTextW(Control(IDC_OUT_TIME), shown.c_str());
}

// The countdown figure on one line at the right of its label, never wrapped: the label's text (" 10", " 9" …) is
// wider than the label in 宋体 at its size, and a static control would wrap the figure below its bottom edge. Where
// even the figure alone is wider than the label (another font, a large scaling), it is drawn smaller until it fits.
void Frm_Outputbox::DrawOwnLabel(const DRAWITEMSTRUCT& item) {
    const std::wstring text = ui::WindowTextOf(item.hwndItem);
    const std::wstring figure = text.substr(std::min(text.find_first_not_of(L' '), text.size()));
    if (figure.empty()) return;
    RECT area = item.rcItem;
    ui::Font fitted;
    {
        ui::SelectIn measure(item.hDC, timeFont_.Get());
        // A glyph may reach past its advance (a negative right bearing): the figure keeps a pixel clear of the edge.
        ABC last{};
        const int overhang = GetCharABCWidthsW(item.hDC, figure.back(), figure.back(), &last) && last.abcC < 0 ? -last.abcC : 0;
        area.right -= 1 + overhang;
        const int width = area.right - area.left;
        SIZE extent{};
        GetTextExtentPoint32W(item.hDC, figure.c_str(), static_cast<int>(figure.size()), &extent);
        if (extent.cx >= width && width > 1) {
            LOGFONTW font{};
            GetObjectW(timeFont_.Get(), sizeof(font), &font);
            font.lfHeight = MulDiv(font.lfHeight, width - 1, extent.cx);
            font.lfWidth = 0;
            fitted.Reset(CreateFontIndirectW(&font));
        }
    }
    ui::SelectIn use(item.hDC, fitted ? fitted.Get() : timeFont_.Get());
    SetTextColor(item.hDC, ControlTextColour(item.hwndItem));
    SetBkMode(item.hDC, TRANSPARENT);
    DrawTextW(item.hDC, figure.c_str(), static_cast<int>(figure.size()), &area,
              DT_SINGLELINE | DT_RIGHT | DT_VCENTER | DT_NOPREFIX);
}

void Frm_Outputbox::Command_Click(int index) { Ovalue = static_cast<std::int16_t>(index + 1); }

std::span<const ui::CommandBinding> Frm_Outputbox::Commands() const {
    static constexpr ui::CommandBinding kCommands[]{
        ui::OnEach<&Frm_Outputbox::Command_Click>(IDC_OUT_COMMAND1, IDC_OUT_COMMAND3)};
    return kCommands;
}

std::span<const ui::TimerBinding> Frm_Outputbox::Timers() const {
    static constexpr ui::TimerBinding kTimers[]{ui::Every<&Frm_Outputbox::Timer1_Timer>(kTimer1)};
    return kTimers;
}

COLORREF Frm_Outputbox::ControlTextColour(HWND control) const {
    if (control == Control(IDC_OUT_TIME)) return ui::FaceColour(RGB(0xC0, 0x39, 0x2B), COLOR_WINDOWTEXT);
    return ui::FaceWindow::ControlTextColour(control);
}

LRESULT Frm_Outputbox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_GETOBJECT:
        if (const LRESULT answer = ui::AnswerGetObject(Hwnd(), wParam, lParam, Accessible())) return answer;
        return Default(msg, wParam, lParam);
    case WM_LBUTTONDOWN: // the background moves the window; other buttons do nothing
        ReleaseCapture();
        SendMessageW(Hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
        return 0;
    case WM_ACTIVATE:
        // No answer button looks chosen when the question comes up: a key typed for another program must not
        // answer it.
        if (LOWORD(wParam) != WA_INACTIVE) SendMessageW(Control(IDC_OUT_COMMAND1), WM_KILLFOCUS, 0, 0);
        return ui::FaceWindow::HandleMessage(msg, wParam, lParam);
    default:
        return ui::FaceWindow::HandleMessage(msg, wParam, lParam);
    }
}

void Frm_Outputbox::PaintFace(HDC dc, const ui::Scale& s, SIZE client) {
    ui::FillVerticalGradient(dc, RECT{0, 0, client.cx, client.cy}, ui::FaceColour(RGB(0xFB, 0xFC, 0xFE), COLOR_WINDOW),
                             ui::FaceColour(RGB(0xDD, 0xE7, 0xF3), COLOR_WINDOW));
    RECT band{0, 0, s(1080), client.cy};
    ui::FillVerticalGradient(dc, band, ui::FaceColour(RGB(0x2F, 0x80, 0xD1), COLOR_HIGHLIGHT),
                             ui::FaceColour(RGB(0x1F, 0x4E, 0x8C), COLOR_HIGHLIGHT));
    ui::Brush border(CreateSolidBrush(ui::FaceColour(RGB(0x1F, 0x4E, 0x8C), COLOR_WINDOWTEXT)));
    RECT frame{0, 0, client.cx, client.cy};
    FrameRect(dc, &frame, border.Get());
}

} // namespace korimo::alerts
