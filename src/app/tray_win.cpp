#include "app/tray_win.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "ui/messages.h"

namespace korimo::app {

namespace {
template <std::size_t N> void CopyField(wchar_t (&field)[N], const std::wstring& text) {
    const std::wstring fitted = FitField<wchar_t>(text, N);
    std::copy(fitted.begin(), fitted.end(), field);
    field[fitted.size()] = L'\0';
}
} // namespace

NOTIFYICONDATAW TrayIcon::Data() const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = Hwnd();
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO | (record_.Notice().realtime ? NIF_REALTIME : 0);
    data.uCallbackMessage = ui::WM_KORIMO_TRAY;
    data.hIcon = icon_;
    CopyField(data.szTip, record_.Tip());
    CopyField(data.szInfo, record_.Notice().text);
    CopyField(data.szInfoTitle, record_.Notice().title);
    data.dwInfoFlags = record_.Notice().infoFlags;
    return data;
}

bool TrayIcon::AddTrayIcon(HICON icon, Events* events) {
    if (!IsLoaded()) {
        if (!CreateWindowOf({L"Korimo.TrayIcon"}, L"", WS_POPUP, WS_EX_TOOLWINDOW, {0, 0, 0, 0})) return false;
        // An elevated Korimo hears the shell's broadcast only when it lets it through: Explorer runs at a lower
        // integrity level, and without this the icon would be gone for good after Explorer restarts.
        taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
        if (taskbarCreated_) ChangeWindowMessageFilterEx(Hwnd(), taskbarCreated_, MSGFLT_ALLOW, nullptr);
    }
    events_ = events;
    icon_ = icon;
    wanted_ = true;
    if (Add()) return true;
    retriesLeft_ = kAddRetries;
    addTimer_.Start(kAddRetryMs);
    return false;
}

void TrayIcon::RetryAdd() {
    if (wanted_ && !added_ && Add()) return;
    if (added_ || !wanted_ || --retriesLeft_ <= 0) addTimer_.Stop();
}

bool TrayIcon::Add() {
    NOTIFYICONDATAW data = Data();
    data.szInfo[0] = L'\0'; // adding shows no balloon; an old notice is not repeated after a shell restart
    added_ = notify_(NIM_ADD, &data) || notify_(NIM_MODIFY, &data);
    if (!added_) return false;
    addTimer_.Stop();
    // Version 3: the shell then tells Enter or Space on the icon (NIN_KEYSELECT), so the keyboard reaches it.
    data.uVersion = NOTIFYICON_VERSION;
    notify_(NIM_SETVERSION, &data);
    if (std::exchange(held_, false) && noticesOn_) Offer();
    if (events_) events_->OnTrayArrived();
    return true;
}

void TrayIcon::ShowTrayNotice(std::wstring_view title, std::wstring_view text, DWORD infoFlags,
                              std::wstring_view tip, HICON icon) {
    if (icon) icon_ = icon;
    Show(title, text, infoFlags, tip, false);
}

void TrayIcon::ShowReport(std::wstring_view title, std::wstring_view text) {
    Show(title, text, NIIF_INFO | NIIF_RESPECT_QUIET_TIME, L"", true);
}

void TrayIcon::Show(std::wstring_view title, std::wstring_view text, DWORD infoFlags, std::wstring_view tip,
                    bool realtime) {
    record_.StoreNotice(title, text, infoFlags, tip, realtime);
    if (!noticesOn_) return;
    if (!added_) {
        held_ = true; // no icon to show it on yet
        return;
    }
    Offer();
}

void TrayIcon::Offer() {
    const NoticePacer::Decision decision = pacer_.Arrive(GetTickCount64());
    if (decision.showNow) {
        SendNotice();
    } else if (decision.waitMs) {
        noticeTimer_.Start(decision.waitMs);
    }
}

void TrayIcon::SendNotice() {
    NOTIFYICONDATAW data = Data();
    notify_(NIM_MODIFY, &data);
    ++noticesSent_;
}

void TrayIcon::FlushNotice() {
    noticeTimer_.Stop();
    // A notice held back while the notices were on is not shown once they are off.
    if (pacer_.Due(GetTickCount64()) && added_ && noticesOn_) SendNotice();
}

void TrayIcon::RemoveTrayIcon() {
    noticeTimer_.Stop();
    addTimer_.Stop();
    NOTIFYICONDATAW data = Data();
    notify_(NIM_DELETE, &data);
    wanted_ = false;
    added_ = false;
}

void TrayIcon::ChangeIcon(HICON icon) {
    icon_ = icon;
    if (!added_) return;
    NOTIFYICONDATAW data = Data();
    data.uFlags = NIF_ICON;
    notify_(NIM_MODIFY, &data);
}

void TrayIcon::Restore() {
    if (wanted_) AddTrayIcon(icon_, events_);
}

LRESULT TrayIcon::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == taskbarCreated_ && msg != 0) {
        Restore();
        return 0;
    }
    if (msg != ui::WM_KORIMO_TRAY) return ui::Window::HandleMessage(msg, wParam, lParam);
    if (events_) events_->OnTrayEvent(static_cast<UINT>(LOWORD(lParam)));
    return 0;
}

std::span<const ui::TimerBinding> TrayIcon::Timers() const {
    static constexpr ui::TimerBinding kTimers[]{ui::Every<&TrayIcon::FlushNotice>(kNoticeTimer),
                                                ui::Every<&TrayIcon::RetryAdd>(kAddTimer)};
    return kTimers;
}

} // namespace korimo::app
