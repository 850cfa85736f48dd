// The event log panel. The log keeper owns the log text and its keeping (LogKeeper); the two edit controls are
// views of it: `text` with both scroll bars and `Text1`, in the same place, wrapping its lines; the one that does
// not show is hidden. Appends reach the log at once and the views in batches at the end of their text, at most
// about ten times a second and less often when an update was slow (ViewPacer), so that a burst of reports costs
// one view update rather than one per entry, however long the log grows. The panel keeps the views, their pacing,
// fonts, colours and dialogs and asks the keeper what to do with the log.
#pragma once

#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "alerts/log_file_win.h"
#include "alerts/log_keeper.h"
#include "alerts/view_pacer.h"
#include "ui/panel_window.h"
#include "ui/timer.h"

namespace korimo::alerts {

class log_form final : public ui::PanelWindow, private LogUser {
public:
    // `folder` holds the log folder (the program folder, or the user's own where that cannot be written);
    // `autoSaveOn` is the main window's "自动保存日志" as the run starts (AutoSaveSwitched tells each change);
    // `spareFolder`, when given, takes the log at the end of a session whose save in `folder` failed, since nobody
    // may be asked then; `flush` is how the journal's writer makes its writes durable.
    log_form(std::wstring folder, bool autoSaveOn, std::wstring spareFolder = {},
             JournalFlush flush = &FlushFileBuffers)
        : disk_(folder, flush), keeper_(std::move(folder), std::move(spareFolder), autoSaveOn, disk_) {}

    // Adds a finished entry at the bottom of the log; an empty entry changes nothing.
    void AppendLogEntry(std::wstring_view entry);
    const LogModel& Log() const { return keeper_.Log(); }
    // Puts the caret of `text` at its end, scrolling the newest entry into view, once `text` has the entry (with
    // the next update while it shows; when word wrap brings it out otherwise).
    void MoveCaretToEnd();
    void FlushViews();
    // While the automatic save is on, the log also goes to its journal in the log folder (LogKeeper), written
    // by a thread of its own. This hands over what the journal lacks at once and waits until it is written,
    // which the program itself never does.
    void FlushJournal();
    void AutoSaveSwitched(bool on);
    // Turns the journals of runs that did not end in order into log files; call it before the first entry, so
    // this run's journal takes a name none of them holds.
    std::vector<JournalRecovery> RecoverJournals() { return disk_.RecoverJournals(); }

    bool WordWrap() const;
    COLORREF TextColour() const { return textColour_; }
    COLORREF BackColour() const { return backColour_; }
    LOGFONTW ViewFont() const;

    void Check1_Click();   // word wrap
    void Command1_Click(); // save as
    void Command2_Click(); // font
    void Picture1_Click(); // text colour
    void Picture2_Click(); // background colour

protected:
    ui::PanelInfo Info() const override;
    void OnLoad() override;
    void OnUnload(ui::UnloadMode mode) override;
    std::span<const ui::CommandBinding> Commands() const override;
    std::span<const ui::TimerBinding> Timers() const override;
    HBRUSH OwnControlColour(HDC dc, HWND control) override;
    void OnFaceColoursChanged() override;
    std::span<const ui::ControlSpec> Controls() const override;
    void RemakeFonts(int oldDpi) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HWND View(bool wrapped) const;
    void AppendToView(HWND view, const std::wstring& pending);
    // Brings the view that shows up to the end of the log (and the caret of `text` to its end, when asked).
    void CatchUp(bool wrapped);
    void ApplyFont(const LOGFONTW& font);
    void ApplyColours(COLORREF text, COLORREF back);
    bool ChooseColour(const wchar_t* title, COLORREF& colour);
    void HandOverJournal(); // the journal's timer
    void Obey(JournalTimer order);
    void ScheduleViews();

    void Tell(const std::wstring& failure) override;
    void Announce(const std::wstring& news) override;
    bool Ask(const std::wstring& question) override;
    std::wstring AskSavePath(const std::wstring& folder, const std::wstring& fileName) override;

    WinLogDisk disk_;
    LogKeeper keeper_;
    std::size_t shown_[2] = {0, 0}; // how much of the log each view holds: `text`, then `Text1`
    ViewPacer pacer_;
    static constexpr UINT_PTR kViewTimer = 1, kJournalTimer = 2;
    ui::Timer viewTimer_{*this, kViewTimer};       // the view that shows catches up
    ui::Timer journalTimer_{*this, kJournalTimer}; // the journal is handed what it lacks
    bool caretToEnd_ = false;
    ui::Font viewFont_;
    COLORREF textColour_ = 0;
    COLORREF backColour_ = 0;
    bool ownColours_ = false; // the user picked colours: the views no longer follow the system's
    ui::Brush backBrush_, textSwatch_, backSwatch_;
    COLORREF customColours_[16]{};
};

} // namespace korimo::alerts
