// The program's one icon in the notification area: added at start, notices shown through it while the user
// wants them, removed when the program closes. Added again when the shell restarts (Explorer broadcasts
// "TaskbarCreated" and has forgotten every icon), or a program that lives in the tray would be unreachable. Started
// at log-on, Korimo can come before the shell's tray: the add fails (or times out) and no "TaskbarCreated" follows
// for it, so a failed add is tried again every two seconds for two minutes.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string_view>

#include "app/tray_record.h"

namespace korimo::app {

class TrayIcon {
public:
    // What the shell is told (Shell_NotifyIconW; a test's recorder).
    using Notify = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAW data);
    // The timer on the owner's window that gives the shell a notice held back by the pacing; the owner binds it
    // to FlushNotice in its Timers() table.
    static constexpr UINT_PTR kNoticeTimer = 0x7E41;
    // The timer on the owner's window that tries a failed add again; the owner binds it to RetryAdd.
    static constexpr UINT_PTR kAddTimer = 0x7E43;
    static constexpr UINT kAddRetryMs = 2000;
    static constexpr int kAddRetries = 60;

    explicit TrayIcon(Notify notify = &Shell_NotifyIconW) : notify_(notify) {}
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    // However the program ends, no icon of it stays behind in the tray.
    ~TrayIcon() {
        if (added_) RemoveTrayIcon();
    }

    // Adds the icon; `owner` receives its events and its timers. False when the shell did not take it yet: it is
    // then tried again on the owner's kAddTimer, and every notice meanwhile waits (the newest) for the icon.
    bool AddTrayIcon(HWND owner, HICON icon);
    // kAddTimer's tick: true when the icon has just been added.
    bool RetryAdd();
    // "开启托盘提示" was ticked or unticked: balloons show only while it is ticked (they do at start).
    void NoticesSwitched(bool on) { noticesOn_ = on; }
    void ShowTrayNotice(std::wstring_view title, std::wstring_view text, DWORD infoFlags, std::wstring_view tip,
                        HICON icon);
    // A report of the monitors (a program started or closed, a file event). Windows 10 and 11 turn balloons into
    // toasts of the notification centre: a report respects the user's quiet time (the first hour after a user's
    // first log-on, and after an upgrade) and is shown at once or dropped, so that
    // a flood never becomes a stream of stale toasts long after the events. The log has every report anyway.
    void ShowReport(std::wstring_view title, std::wstring_view text);
    void RemoveTrayIcon();
    // Shows another picture (the same icon at another size); no notice is repeated.
    void ChangeIcon(HICON icon);
    // Gives the shell the newest notice at once if one waits for its turn (see NoticePacer).
    void FlushNotice();
    int NoticesSent() const { return noticesSent_; } // balloons given to the shell since start

    // After a restart of the shell: puts the icon back if the program wants one, also when the first add
    // failed because the shell was not up yet (a start with Windows can come before Explorer's). True when the
    // icon is there now.
    bool Restore();

    bool IsAdded() const { return added_; }

private:
    NOTIFYICONDATAW Data() const;
    // NIM_ADD, or NIM_MODIFY when the shell already has the icon (an add that timed out but was taken).
    bool Add();
    void Offer(); // the newest notice to the shell, at once or when the pacing lets it
    void SendNotice();
    void Show(std::wstring_view title, std::wstring_view text, DWORD infoFlags, std::wstring_view tip, bool realtime);

    TrayRecord record_;
    HWND owner_ = nullptr;
    HICON icon_ = nullptr;
    bool noticesOn_ = true;
    Notify notify_;
    bool wanted_ = false; // between AddTrayIcon and RemoveTrayIcon
    bool added_ = false;
    bool held_ = false; // a notice came while there was no icon: the newest is given once there is one
    int retriesLeft_ = 0;
    NoticePacer pacer_;
    int noticesSent_ = 0;
};

} // namespace korimo::app
