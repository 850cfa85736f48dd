// The program's one icon in the notification area: added at start, notices shown through it while the user
// wants them, removed when the program closes. Added again when the shell restarts (Explorer broadcasts
// "TaskbarCreated" and has forgotten every icon), or a program that lives in the tray would be unreachable. Started
// at log-on, Korimo can come before the shell's tray: the add fails (or times out) and no "TaskbarCreated" follows
// for it, so a failed add is tried again every two seconds for two minutes. The icon has a hidden window of its
// own: the shell's callbacks, "TaskbarCreated" and the icon's timers are its own, and its owner hears of them
// through Events. It is a top-level window, not a message-only one: those hear no broadcast, and the shell removes
// the icon of a window that is gone (a killed Korimo leaves no dead icon behind under Wine).
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string_view>

#include "app/tray_record.h"
#include "ui/timer.h"
#include "ui/window.h"

namespace korimo::app {

class TrayIcon final : public ui::Window {
public:
    // What the shell is told (Shell_NotifyIconW; a test's recorder).
    using Notify = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAW data);
    static constexpr UINT kAddRetryMs = 2000;
    static constexpr int kAddRetries = 60;

    // What the icon tells the window that owns it.
    class Events {
    public:
        // A mouse message over the icon, or the shell's NIN_KEYSELECT (Enter or Space on it).
        virtual void OnTrayEvent(UINT mouseMessage) = 0;
        // The icon has just been added (at last, after a late shell).
        virtual void OnTrayArrived() = 0;

    protected:
        ~Events() = default;
    };

    explicit TrayIcon(Notify notify = &Shell_NotifyIconW) : notify_(notify) {}
    // However the program ends, no icon of it stays behind in the tray.
    ~TrayIcon() override {
        if (added_) RemoveTrayIcon();
    }

    // Adds the icon; `events` hears of it. False when the shell did not take it yet: it is then tried again, and
    // every notice meanwhile waits (the newest) for the icon.
    bool AddTrayIcon(HICON icon, Events* events = nullptr);
    // "开启托盘提示" was ticked or unticked: balloons show only while it is ticked (they do at start).
    void NoticesSwitched(bool on) { noticesOn_ = on; }
    void ShowTrayNotice(std::wstring_view title, std::wstring_view text, DWORD infoFlags, std::wstring_view tip,
                        HICON icon);
    // A report of the monitors (a program started or closed, a file event). Windows 10 and 11 turn balloons into
    // toasts of the notification centre: a report respects the user's quiet time (the first hour after a user's
    // first log-on, and after an upgrade) and is shown at once or dropped, so that a flood never becomes a stream
    // of stale toasts long after the events. The log has every report anyway.
    void ShowReport(std::wstring_view title, std::wstring_view text);
    void RemoveTrayIcon();
    // Shows another picture (the same icon at another size); no notice is repeated.
    void ChangeIcon(HICON icon);
    // Gives the shell the newest notice at once if one waits for its turn (see NoticePacer).
    void FlushNotice();
    int NoticesSent() const { return noticesSent_; } // balloons given to the shell since start


    bool IsAdded() const { return added_; }
    // The window the shell tells the icon's events to.
    HWND IconWindow() const { return Hwnd(); }

private:
    static constexpr UINT_PTR kNoticeTimer = 1, kAddTimer = 2;
    UINT taskbarCreated_ = 0;

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    std::span<const ui::TimerBinding> Timers() const override;
    NOTIFYICONDATAW Data() const;
    // NIM_ADD, or NIM_MODIFY when the shell already has the icon (an add that timed out but was taken).
    bool Add();
    void RetryAdd();
    // After a restart of the shell: puts the icon back if the program wants one, also when the first add
    // failed because the shell was not up yet (a start with Windows can come before Explorer's).
    void Restore();
    void Offer(); // the newest notice to the shell, at once or when the pacing lets it
    void SendNotice();
    void Show(std::wstring_view title, std::wstring_view text, DWORD infoFlags, std::wstring_view tip, bool realtime);

    TrayRecord record_;
    Events* events_ = nullptr;
    HICON icon_ = nullptr;
    bool noticesOn_ = true;
    Notify notify_;
    bool wanted_ = false; // between AddTrayIcon and RemoveTrayIcon
    bool added_ = false;
    bool held_ = false; // a notice came while there was no icon: the newest is given once there is one
    int retriesLeft_ = 0;
    NoticePacer pacer_;
    int noticesSent_ = 0;
    ui::Timer noticeTimer_{*this, kNoticeTimer}; // the notice held back by the pacing
    ui::Timer addTimer_{*this, kAddTimer};       // a failed add tried again
};

} // namespace korimo::app
