#include "app/tray_win.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>

#include "ui/messages.h"

namespace korimo::app {

namespace {
template <std::size_t N> void CopyField(wchar_t (&field)[N], const std::wstring& text) {
    const std::wstring fitted = FitField<wchar_t>(text, N);
    std::copy(fitted.begin(), fitted.end(), field);
    field[fitted.size()] = L'\0';
}
} // namespace

void TrayIcon::Attach(HWND owner, HICON icon, NoticesOn noticesOn) {
    owner_ = owner;
    icon_ = icon;
    noticesOn_ = std::move(noticesOn);
}

NOTIFYICONDATAW TrayIcon::Data() const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner_;
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
    data.uCallbackMessage = ui::WM_KORIMO_TRAY;
    data.hIcon = icon_;
    CopyField(data.szTip, record_.Tip());
    CopyField(data.szInfo, record_.Notice().text);
    CopyField(data.szInfoTitle, record_.Notice().title);
    data.dwInfoFlags = record_.Notice().infoFlags;
    return data;
}

bool TrayIcon::AddTrayIcon() {
    NOTIFYICONDATAW data = Data();
    data.szInfo[0] = L'\0'; // adding shows no balloon; an old notice is not repeated after a shell restart
    wanted_ = true;
    added_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    return added_;
}

void TrayIcon::ShowTrayNotice(std::wstring_view title, std::wstring_view text, DWORD infoFlags,
                              std::wstring_view tip, HICON icon) {
    record_.StoreNotice(title, text, infoFlags, tip);
    if (icon) icon_ = icon;
    if (!noticesOn_ || !noticesOn_()) return;
    NOTIFYICONDATAW data = Data();
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void TrayIcon::RemoveTrayIcon() {
    NOTIFYICONDATAW data = Data();
    Shell_NotifyIconW(NIM_DELETE, &data);
    wanted_ = false;
    added_ = false;
}

void TrayIcon::Restore() {
    if (wanted_) AddTrayIcon();
}

} // namespace korimo::app
