#include "ui/face_window.h"

#include <string>
#include <utility>
#include <vector>

namespace korimo::ui {

bool FaceWindow::CreateFaced(const WindowClassInfo& cls, const std::wstring& title, int widthTwips, int heightTwips,
                             int dpi) {
    dpi_ = dpi;
    font_ = CreateUiFont(dpi, 9);
    const PixelRect rect = TwipsToPixels(0, 0, widthTwips, heightTwips, dpi);
    return CreateWindowOf(cls, title, WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, rect);
}

HWND FaceWindow::CreateControl(const ControlSpec& entry) {
    const wchar_t* cls = L"STATIC";
    DWORD style = WS_CHILD | (entry.visible ? WS_VISIBLE : 0);
    switch (entry.kind) {
    case ControlKind::PictureButton:
        cls = L"BUTTON";
        style |= BS_OWNERDRAW | WS_TABSTOP;
        break;
    case ControlKind::CheckBox:
        cls = L"BUTTON";
        style |= BS_AUTOCHECKBOX | WS_TABSTOP;
        break;
    case ControlKind::Label:
        style |= SS_LEFT | SS_NOTIFY | SS_NOPREFIX;
        break;
    case ControlKind::ImageArea:
        return nullptr; // drawn on the face; the window hit-tests it
    case ControlKind::TextView:
    case ControlKind::WrappedTextView:
        cls = L"EDIT";
        style |= ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_NOHIDESEL | WS_VSCROLL | WS_TABSTOP | WS_BORDER;
        if (entry.kind == ControlKind::TextView) style |= ES_AUTOHSCROLL | WS_HSCROLL;
        break;
    case ControlKind::Swatch:
        style |= SS_NOTIFY | WS_BORDER | WS_CLIPSIBLINGS | WS_TABSTOP;
        break;
    case ControlKind::TextBox:
        cls = L"EDIT";
        style |= ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
        break;
    case ControlKind::ListBox:
        cls = L"LISTBOX";
        style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
        break;
    case ControlKind::OptionButton:
        cls = L"BUTTON";
        style |= BS_AUTORADIOBUTTON | WS_TABSTOP | (entry.startsGroup ? WS_GROUP : 0);
        break;
    case ControlKind::Frame:
        style |= SS_SUNKEN | WS_CLIPSIBLINGS; // the controls on it stay visible when it repaints
        break;
    }
    const PixelRect r = ControlRect(entry, dpi_);
    const std::wstring caption(entry.caption);
    HWND control = CreateWindowExW(0, cls, caption.c_str(), style, r.left, r.top, r.width, r.height, Hwnd(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)), ModuleInstance(), nullptr);
    if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    return control;
}

void FaceWindow::ChangeDpi(int dpi, const RECT& rect) {
    if (dpi <= 0 || dpi == dpi_ || !Hwnd()) return;
    const int oldDpi = std::exchange(dpi_, dpi); // first: the move below may bring the same news again
    // Nothing is drawn half laid out: the window is painted once, whole, when it is done.
    SendMessageW(Hwnd(), WM_SETREDRAW, FALSE, 0);
    SetWindowPos(Hwnd(), nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RelayOut(oldDpi);
    SendMessageW(Hwnd(), WM_SETREDRAW, TRUE, 0);
    RepaintFace();
}

namespace {
constexpr UINT kMoveOnly = SWP_NOZORDER | SWP_NOACTIVATE;

bool IsTextView(const ControlSpec& entry) {
    return entry.kind == ControlKind::TextView || entry.kind == ControlKind::WrappedTextView;
}

// Where a text view is scrolled to: the first character of its top line (a view that wraps wraps anew at its
// new width), or its end when it shows its last line, as a view following the newest entry does.
struct ViewTop {
    LRESULT character = -1;
    bool atEnd = false;
};

ViewTop TopOf(HWND view) {
    SCROLLINFO bar{};
    bar.cbSize = sizeof(bar);
    bar.fMask = SIF_ALL;
    const bool atEnd = GetScrollInfo(view, SB_VERT, &bar) && bar.nPos + static_cast<int>(bar.nPage) > bar.nMax;
    return {SendMessageW(view, EM_LINEINDEX, SendMessageW(view, EM_GETFIRSTVISIBLELINE, 0, 0), 0), atEnd};
}

// A view's text and selection, taken out while the view changes size and font: a long text is then laid out
// into lines once, when it comes back, not once for each change.
struct ViewText {
    std::wstring text;
    DWORD start = 0, end = 0;
};

ViewText TakeText(HWND view) {
    ViewText kept;
    kept.text.resize(static_cast<std::size_t>(GetWindowTextLengthW(view)) + 1);
    kept.text.resize(static_cast<std::size_t>(GetWindowTextW(view, kept.text.data(), static_cast<int>(kept.text.size()))));
    SendMessageW(view, EM_GETSEL, reinterpret_cast<WPARAM>(&kept.start), reinterpret_cast<LPARAM>(&kept.end));
    SetWindowTextW(view, L"");
    return kept;
}

void GiveText(HWND view, const ViewText& kept) {
    SetWindowTextW(view, kept.text.c_str());
    SendMessageW(view, EM_SETSEL, kept.start, kept.end);
}

void ScrollTo(HWND view, const ViewTop& top) {
    const LRESULT lines = SendMessageW(view, EM_GETLINECOUNT, 0, 0);
    const LRESULT line = top.atEnd ? lines : SendMessageW(view, EM_LINEFROMCHAR, top.character, 0);
    SendMessageW(view, EM_LINESCROLL, 0, line - SendMessageW(view, EM_GETFIRSTVISIBLELINE, 0, 0));
}
} // namespace

// Controls that use a font of their own (the log's views, the pop-up's name and countdown) keep it here;
// RemakeFonts gives them one for the new DPI. Texts, ticks, carets and selections stay as they are.
void FaceWindow::RelayOut(int oldDpi) {
    const std::span<const ControlSpec> table = Controls();
    std::vector<ViewTop> tops(table.size());
    std::vector<ViewText> texts(table.size());
    for (std::size_t i = 0; i < table.size(); ++i)
        if (HWND view = IsTextView(table[i]) ? Control(table[i].id) : nullptr) {
            tops[i] = TopOf(view);
            texts[i] = TakeText(view);
        }
    Font previous = std::exchange(font_, CreateUiFont(dpi_, 9));
    HDWP moves = BeginDeferWindowPos(static_cast<int>(table.size())); // every control moves in one go
    for (const ControlSpec& entry : table) {
        HWND control = entry.id ? Control(entry.id) : nullptr;
        if (!control) continue;
        if (reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)) == previous.Get())
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
        const PixelRect r = ControlRect(entry, dpi_);
        if (moves) moves = DeferWindowPos(moves, control, nullptr, r.left, r.top, r.width, r.height, kMoveOnly);
    }
    if (!moves || !EndDeferWindowPos(moves)) // the system could not take them in one go: one by one
        for (const ControlSpec& entry : table)
            if (HWND control = entry.id ? Control(entry.id) : nullptr) {
                const PixelRect r = ControlRect(entry, dpi_);
                SetWindowPos(control, nullptr, r.left, r.top, r.width, r.height, kMoveOnly);
            }
    RemakeFonts(oldDpi);
    for (std::size_t i = 0; i < table.size(); ++i)
        if (tops[i].character >= 0) {
            GiveText(Control(table[i].id), texts[i]);
            ScrollTo(Control(table[i].id), tops[i]);
        }
    RepaintFace();
}

void FaceWindow::KeepInside(const PixelRect& area) {
    const PixelRect own = ScreenRect();
    const PixelPoint at = BroughtInside(area, own);
    if (at.x != own.left || at.y != own.top) MoveTo(at.x, at.y);
}

void FaceWindow::OnDisplayChanged() {
    const PixelRect own = ScreenRect();
    const RECT rect{own.left, own.top, own.right(), own.bottom()};
    if (!MonitorFromRect(&rect, MONITOR_DEFAULTTONULL))
        KeepInside(WorkAreaOf(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST)));
}

void FaceWindow::RepaintFace() {
    face_.Reset();
    faceBrush_.Reset();
    if (Hwnd()) RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void FaceWindow::EnsureFace() {
    RECT client{};
    GetClientRect(Hwnd(), &client);
    const SIZE size{client.right, client.bottom};
    if (face_ && size.cx == faceSize_.cx && size.cy == faceSize_.cy) return;
    faceSize_ = size;
    {
        const WindowDc screen(Hwnd());
        face_.Reset(CreateCompatibleBitmap(screen.Get(), size.cx > 0 ? size.cx : 1, size.cy > 0 ? size.cy : 1));
        const MemoryDc memory(CreateCompatibleDC(screen.Get()));
        SelectIn useBitmap(memory.Get(), face_.Get());
        PaintFace(memory.Get(), Scale{dpi_}, size);
    }
    faceBrush_.Reset(CreatePatternBrush(face_.Get()));
}

void FaceWindow::OnPaint() {
    const PaintDc dc(Hwnd());
    EnsureFace();
    const MemoryDc memory(CreateCompatibleDC(dc.Get()));
    SelectIn useBitmap(memory.Get(), face_.Get());
    const RECT& r = dc.Area();
    BitBlt(dc.Get(), r.left, r.top, r.right - r.left, r.bottom - r.top, memory.Get(), r.left, r.top, SRCCOPY);
}

LRESULT FaceWindow::OnControlColour(HDC dc, HWND control) {
    EnsureFace();
    RECT rc{};
    GetWindowRect(control, &rc);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&rc), 2);
    SetBrushOrgEx(dc, -rc.left, -rc.top, nullptr);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ControlTextColour(control));
    return reinterpret_cast<LRESULT>(faceBrush_.Get());
}

void FaceWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_BUTTON && item.CtlType != ODT_STATIC) return;
    OnControlColour(item.hDC, item.hwndItem); // the corners outside the rounded face show the window's face
    FillRect(item.hDC, &item.rcItem, faceBrush_.Get());
    if (item.CtlType == ODT_STATIC)
        DrawOwnLabel(item);
    else
        DrawPictureButton(item, font_.Get());
}

// Enter reaches a window of ours as the command IDOK (the dialog manager counts no drawn button as a push
// button): it presses the drawn button, or the clickable swatch, that has the focus.
void FaceWindow::PressFocusedControl() {
    HWND focus = GetFocus();
    if (!focus || GetParent(focus) != Hwnd() || !IsWindowEnabled(focus)) return;
    wchar_t cls[16]{};
    GetClassNameW(focus, cls, 16);
    const LONG style = GetWindowLongW(focus, GWL_STYLE);
    if (lstrcmpiW(cls, L"Button") == 0 && (style & BS_TYPEMASK) == BS_OWNERDRAW)
        SendMessageW(focus, BM_CLICK, 0, 0);
    else if (lstrcmpiW(cls, L"Static") == 0 && (style & SS_NOTIFY))
        SendMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), STN_CLICKED), reinterpret_cast<LPARAM>(focus));
}

LRESULT FaceWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (ChangesFaceColours(msg, wParam)) {
        ReadHighContrastAgain();
        OnFaceColoursChanged();
        return Default(msg, wParam, lParam);
    }
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) != IDOK || lParam != 0) return Window::HandleMessage(msg, wParam, lParam);
        PressFocusedControl();
        return 0;
    case WM_ERASEBKGND:
        return 1; // the face covers the whole client area
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SIZE:
        RepaintFace();
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
        if (HBRUSH own = OwnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
            return reinterpret_cast<LRESULT>(own);
        if (msg == WM_CTLCOLOREDIT) return Default(msg, wParam, lParam);
        return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
        OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DPICHANGED:
        ChangeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DISPLAYCHANGE:
        OnDisplayChanged();
        return Default(msg, wParam, lParam);
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETWORKAREA) OnDisplayChanged();
        return Default(msg, wParam, lParam);
    default:
        return Window::HandleMessage(msg, wParam, lParam); // commands, timers and the rest
    }
}

} // namespace korimo::ui
