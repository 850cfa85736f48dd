// The event log panel. The program owns the log text (LogModel); the two edit controls are views of it: `text`
// with both scroll bars and `Text1`, stacked above it, wrapping its lines. Appends reach the model at once and
// the views in batches at the end of their text, at most about ten times a second, so that a burst of reports
// costs one view update rather than one per entry, however long the log grows.
#pragma once

#include <functional>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "alerts/log_file.h"
#include "alerts/log_file_win.h"
#include "alerts/log_model.h"
#include "app/panel_host.h"
#include "ui/panel_window.h"

namespace korimo::alerts {

// How long an append may wait before the views show it, and before it reaches the journal. An update of the
// views that took long (a long log, wrapped, in a flood of entries) makes the next one wait nine times as long,
// up to kViewUpdateMaxMs, so that the views never take more than a tenth of the thread.
inline constexpr UINT kViewUpdateMs = 100;
inline constexpr UINT kViewUpdateMaxMs = 1000;
inline constexpr UINT kJournalMs = 1000;

class log_form final : public ui::PanelWindow {
public:
    // `folder` holds the log folder (the program folder, or the user's own where that cannot be written);
    // `autoSaveOn` says whether the main window's "自动保存日志" is ticked; `spareFolder`, when given, takes the
    // log at the end of a session whose save in `folder` failed, since nobody may be asked then.
    log_form(std::wstring folder, std::function<bool()> autoSaveOn, std::wstring spareFolder = {})
        : folder_(std::move(folder)), spareFolder_(std::move(spareFolder)), autoSaveOn_(std::move(autoSaveOn)),
          journal_(folder_) {}
    // As the program makes it: whether "自动保存日志" is ticked is asked of `host`.
    log_form(std::wstring folder, app::PanelHost& host, std::wstring spareFolder = {})
        : log_form(std::move(folder), [&host] { return host.AutoSaveLogOn(); }, std::move(spareFolder)) {}

    // Adds a finished entry at the bottom of the log; an empty entry changes nothing.
    void AppendLogEntry(std::wstring_view entry);
    const LogModel& Log() const { return model_; }
    // Puts the caret of `text` at its end, scrolling the newest entry into view, with the next view update.
    void MoveCaretToEnd();
    void FlushViews();
    // While the automatic save is on, the log also goes to its journal in the log folder, at most a second
    // after each append, so a crash or a kill loses nothing; this run's journal goes when the log is saved at
    // exit and when the automatic save is switched off. Journals of other runs are never touched.
    void FlushJournal();
    void AutoSaveSwitched(bool on);
    // Turns the journals of runs that did not end in order into log files (RecoverJournals); call it before the
    // first entry, so this run's journal takes a name none of them holds.
    std::vector<JournalRecovery> RecoverJournals();

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

private:
    HWND View(bool wrapped) const;
    void AppendToView(HWND view, const std::wstring& pending);
    void ApplyFont(const LOGFONTW& font);
    void ApplyColours(COLORREF text, COLORREF back);
    bool ChooseColour(const wchar_t* title, COLORREF& colour);
    // The Save As dialog, opening in `folder` with `fileName` proposed; empty when cancelled.
    std::wstring AskSavePath(const std::wstring& folder, const std::wstring& fileName);
    bool SaveTo(const std::wstring& path, bool announce);
    bool WroteThisRun(const std::wstring& path) const;
    std::wstring ExitSavePath(const std::wstring& folder) const;
    bool SaveAtExit();
    bool SaveAtSessionEnd();
    void ScheduleJournal();
    void RemoveJournal();
    void ScheduleViews();

    LogModel model_;
    std::size_t shown_ = 0; // how much of the log the views hold
    bool viewUpdatePending_ = false;
    UINT viewDelayMs_ = kViewUpdateMs; // before the next update of the views
    std::size_t journaled_ = 0;     // how much of the log the journal holds
    bool journalPending_ = false;
    ULONGLONG pendingSince_ = 0;    // when the oldest entry the journal lacks was appended
    bool journalFailureTold_ = false;
    bool caretToEnd_ = false;
    std::wstring folder_;
    std::wstring spareFolder_;
    std::vector<std::wstring> written_; // the files this run saved the log to
    std::function<bool()> autoSaveOn_;
    Journal journal_; // this run's, while the automatic save is on
    ui::Font viewFont_;
    COLORREF textColour_ = 0;
    COLORREF backColour_ = 0;
    bool ownColours_ = false; // the user picked colours: the views no longer follow the system's
    ui::Brush backBrush_, textSwatch_, backSwatch_;
    COLORREF customColours_[16]{};
};

} // namespace korimo::alerts
