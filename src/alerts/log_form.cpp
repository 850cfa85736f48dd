#include "alerts/log_form.h"

#include <commdlg.h>
#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "ui/accessible.h"
#include "alerts/log_file.h"
#include "alerts/log_file_win.h"
#include "alerts/log_form_layout.h"
#include "ui/text_win.h"

namespace korimo::alerts {

namespace {
constexpr UINT_PTR kViewTimer = 1;
constexpr UINT_PTR kJournalTimer = 2;
constexpr wchar_t kSavedAtExit[] = L"程序正在结束，日志已保存";

// The font and colour dialogs take no title of their own; their hooks give them ours when they open.
UINT_PTR CALLBACK FontDialogHook(HWND dialog, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG)
        SetWindowTextW(dialog, reinterpret_cast<const wchar_t*>(reinterpret_cast<CHOOSEFONTW*>(lParam)->lCustData));
    return 0;
}

UINT_PTR CALLBACK ColourDialogHook(HWND dialog, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG)
        SetWindowTextW(dialog, reinterpret_cast<const wchar_t*>(reinterpret_cast<CHOOSECOLORW*>(lParam)->lCustData));
    return 0;
}
} // namespace

// No title: the panel loads after the process monitor's baseline, and a titled window of our own would be
// reported by the first check as a newly started program.
ui::PanelInfo log_form::Info() const { return {L"Korimo.log_form", L"", kLogWidthTwips, kLogHeightTwips}; }

HWND log_form::View(bool wrapped) const { return Control(wrapped ? IDC_LOG_TEXT1 : IDC_LOG_TEXT); }

void log_form::OnLoad() {
    for (const ui::ControlSpec& entry : LogControls()) CreateControl(entry);
    for (bool wrapped : {false, true}) ui::DescribeControl(View(wrapped), ui::NamedAs(L"事件日志"));
    ui::DescribeControl(Control(IDC_LOG_PICTURE1), ui::NamedAs(L"字体颜色"));
    ui::DescribeControl(Control(IDC_LOG_PICTURE2), ui::NamedAs(L"背景颜色"));
    SetWindowPos(Control(IDC_LOG_PICTURE1), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(View(true), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    LOGFONTW font{};
    GetObjectW(UiFont(), sizeof(font), &font);
    ApplyFont(font);
    ApplyColours(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW));
    for (bool wrapped : {false, true}) {
        HWND view = View(wrapped);
        SendMessageW(view, EM_SETLIMITTEXT, 0, 0); // the default limit would silently drop entries past 30,000
        SetWindowTextW(view, model_.Text().c_str());
        const int end = GetWindowTextLengthW(view);
        SendMessageW(view, EM_SETSEL, end, end); // the views follow the newest entry
    }
    shown_ = model_.Size();
    Button_SetCheck(Control(IDC_LOG_CHECK1), BST_CHECKED);
    Check1_Click();
}

void log_form::AppendLogEntry(std::wstring_view entry) {
    if (entry.empty()) return;
    model_.Append(entry);
    ScheduleJournal();
    ScheduleViews();
}

void log_form::ScheduleViews() {
    if (viewUpdatePending_ || !IsLoaded()) return;
    viewUpdatePending_ = SetTimer(Hwnd(), kViewTimer, viewDelayMs_, nullptr) != 0;
    if (!viewUpdatePending_) FlushViews();
}

void log_form::FlushViews() {
    if (viewUpdatePending_ && IsLoaded()) KillTimer(Hwnd(), kViewTimer);
    viewUpdatePending_ = false;
    if (!IsLoaded()) return;
    if (shown_ < model_.Size()) {
        const ULONGLONG began = GetTickCount64();
        const std::wstring pending(model_.Since(shown_));
        AppendToView(View(false), pending);
        AppendToView(View(true), pending);
        shown_ = model_.Size();
        viewDelayMs_ = static_cast<UINT>(std::clamp<ULONGLONG>((GetTickCount64() - began) * 9, kViewUpdateMs,
                                                               kViewUpdateMaxMs));
    }
    if (std::exchange(caretToEnd_, false)) {
        HWND view = View(false);
        const int end = GetWindowTextLengthW(view);
        SendMessageW(view, EM_SETSEL, end, end);
        SendMessageW(view, EM_SCROLLCARET, 0, 0);
    }
}

// The journal's timer is served only when nothing else waits, so a flood of appends would hold it back: an
// append that finds the oldest unwritten entry a period old writes the journal itself.
void log_form::ScheduleJournal() {
    if (!IsLoaded() || !autoSaveOn_()) return;
    if (journalPending_) {
        if (GetTickCount64() - pendingSince_ >= kJournalMs) FlushJournal();
        return;
    }
    pendingSince_ = GetTickCount64();
    journalPending_ = SetTimer(Hwnd(), kJournalTimer, kJournalMs, nullptr) != 0;
    if (!journalPending_) FlushJournal();
}

// One write per flush, appended: a burst of entries costs one write, and the journal is never rewritten. A new
// journal takes the first free name, so it never replaces one that an earlier start could not recover.
void log_form::FlushJournal() {
    if (journalPending_ && IsLoaded()) KillTimer(Hwnd(), kJournalTimer);
    journalPending_ = false;
    if (!autoSaveOn_() || (journal_.IsOpen() && journaled_ == model_.Size())) return;
    const std::size_t from = journal_.IsOpen() ? journaled_ : 0;
    const SaveResult result = journal_.Append(model_.Since(from));
    if (result.ok) {
        journaled_ = model_.Size();
        return;
    }
    if (std::exchange(journalFailureTold_, true)) return; // told once, not at every flush
    // Only what will happen: the exit save is tried again, and where it fails the user is asked where to put the
    // log; until then a kill or a crash loses what the journal lacks.
    const std::wstring where = journal_.IsOpen() ? journal_.Path() : JournalPath(folder_);
    ui::ShowFailure(Hwnd(), L"日志无法写入实时记录文件：\n" + where + L"\n\n" + result.error +
                                L"\n\nKorimo 被强行结束或系统崩溃时，此后的日志会丢失。程序正常结束时会再次尝试"
                                L"保存日志，不能保存时会请你另存到其他位置。");
}

void log_form::RemoveJournal() {
    if (journalPending_ && IsLoaded()) KillTimer(Hwnd(), kJournalTimer);
    journalPending_ = false;
    journal_.Remove();
    journaled_ = 0;
}

void log_form::AutoSaveSwitched(bool on) {
    RemoveJournal();
    if (on) ScheduleJournal(); // a new journal with the whole log
}

std::vector<JournalRecovery> log_form::RecoverJournals() { return alerts::RecoverJournals(folder_); }

void log_form::MoveCaretToEnd() {
    caretToEnd_ = true;
    ScheduleViews();
}

// Adds text at the end of a view. A view whose caret is at the end follows the log; one where the user has
// put the caret or a selection elsewhere keeps it, and keeps its scroll position.
void log_form::AppendToView(HWND view, const std::wstring& pending) {
    DWORD start = 0, end = 0;
    SendMessageW(view, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const int length = GetWindowTextLengthW(view);
    const bool following = start == end && end == static_cast<DWORD>(length);
    const LRESULT firstLine = SendMessageW(view, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageW(view, EM_SETSEL, length, length);
    SendMessageW(view, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(pending.c_str()));
    if (following) return;
    SendMessageW(view, EM_SETSEL, start, end);
    const LRESULT now = SendMessageW(view, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageW(view, EM_LINESCROLL, 0, firstLine - now);
}

std::span<const ui::ControlSpec> log_form::Controls() const { return LogControls(); }

// The chosen font keeps its size in points.
void log_form::RemakeFonts(int oldDpi) {
    LOGFONTW font = ViewFont();
    font.lfHeight = ui::RescaledPixels(font.lfHeight, oldDpi, Dpi());
    font.lfWidth = ui::RescaledPixels(font.lfWidth, oldDpi, Dpi());
    ApplyFont(font);
}

bool log_form::WordWrap() const { return Button_GetCheck(Control(IDC_LOG_CHECK1)) == BST_CHECKED; }

// The wrapped view lies over the other; the one it covers is hidden too, so that appends to it cost what an
// append to a hidden edit control costs, not a repaint that nobody sees.
void log_form::Check1_Click() {
    ShowWindow(View(true), WordWrap() ? SW_SHOW : SW_HIDE);
    ShowWindow(View(false), WordWrap() ? SW_HIDE : SW_SHOW);
}

LOGFONTW log_form::ViewFont() const {
    LOGFONTW font{};
    GetObjectW(viewFont_.Get(), sizeof(font), &font);
    return font;
}

void log_form::ApplyFont(const LOGFONTW& font) {
    ui::Font replacement(CreateFontIndirectW(&font));
    if (!replacement) return;
    for (bool wrapped : {false, true})
        SendMessageW(View(wrapped), WM_SETFONT, reinterpret_cast<WPARAM>(replacement.Get()), TRUE);
    viewFont_ = std::move(replacement); // the old font goes only once no view uses it
}

void log_form::ApplyColours(COLORREF text, COLORREF back) {
    textColour_ = text;
    backColour_ = back;
    backBrush_.Reset(CreateSolidBrush(back));
    textSwatch_.Reset(CreateSolidBrush(text));
    backSwatch_.Reset(CreateSolidBrush(back));
    for (int id : {IDC_LOG_TEXT, IDC_LOG_TEXT1, IDC_LOG_PICTURE1, IDC_LOG_PICTURE2})
        InvalidateRect(Control(id), nullptr, TRUE);
}

HBRUSH log_form::OwnControlColour(HDC dc, HWND control) {
    if (control == Control(IDC_LOG_PICTURE1)) return textSwatch_.Get();
    if (control == Control(IDC_LOG_PICTURE2)) return backSwatch_.Get();
    if (control != View(false) && control != View(true)) return nullptr;
    SetTextColor(dc, textColour_);
    SetBkColor(dc, backColour_);
    return backBrush_.Get();
}

// Until the user picks colours of their own the views show the system's, high contrast included.
void log_form::OnFaceColoursChanged() {
    if (!ownColours_) ApplyColours(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW));
    ui::PanelWindow::OnFaceColoursChanged();
}

void log_form::Command2_Click() {
    LOGFONTW font = ViewFont();
    CHOOSEFONTW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Hwnd();
    dialog.lpLogFont = &font;
    dialog.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_ENABLEHOOK;
    dialog.lpfnHook = &FontDialogHook;
    dialog.lCustData = reinterpret_cast<LPARAM>(L"设置字体'"); // the apostrophe is part of the title: meant
    if (ChooseFontW(&dialog)) ApplyFont(font); // cancelled: font as it was
}

bool log_form::ChooseColour(const wchar_t* title, COLORREF& colour) {
    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Hwnd();
    dialog.rgbResult = colour;
    dialog.lpCustColors = customColours_;
    dialog.Flags = CC_FULLOPEN | CC_ENABLEHOOK;
    dialog.lpfnHook = &ColourDialogHook;
    dialog.lCustData = reinterpret_cast<LPARAM>(title);
    if (!ChooseColorW(&dialog)) return false;
    colour = dialog.rgbResult;
    return true;
}

void log_form::Picture1_Click() {
    COLORREF colour = textColour_;
    if (!ChooseColour(L"字体颜色", colour)) return;
    ownColours_ = true;
    ApplyColours(colour, backColour_);
}

void log_form::Picture2_Click() {
    COLORREF colour = backColour_;
    if (!ChooseColour(L"背景颜色", colour)) return;
    ownColours_ = true;
    ApplyColours(textColour_, colour);
}

void log_form::Command1_Click() {
    const std::wstring proposed = ProposedLogPath(folder_);
    EnsureFolderOf(proposed); // so the dialog opens in the log folder
    const auto slash = proposed.find_last_of(L'\\');
    const std::wstring path = AskSavePath(proposed.substr(0, slash), proposed.substr(slash + 1));
    if (!path.empty()) SaveTo(path, false); // cancelled: nothing is written
}

std::wstring log_form::AskSavePath(const std::wstring& folder, const std::wstring& fileName) {
    std::vector<wchar_t> file(32768, L'\0');
    std::copy(fileName.begin(), fileName.end(), file.begin());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Hwnd();
    dialog.lpstrFilter = L"信息(*.log) \0 *.log\0";
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.c_str();
    dialog.lpstrTitle = L"保存日志";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_NOCHANGEDIR;
    return GetSaveFileNameW(&dialog) ? std::wstring(file.data()) : std::wstring();
}

bool log_form::SaveTo(const std::wstring& path, bool announce) {
    const SaveResult result = SaveLogFile(path, model_.Text());
    if (!result.ok) {
        ui::ShowFailure(Hwnd(), L"日志无法保存到：\n" + path + L"\n\n" + result.error);
        return false;
    }
    if (!WroteThisRun(path)) written_.push_back(path);
    if (announce) MessageBoxW(Hwnd(), kSavedAtExit, L"Korimo", MB_OK | MB_SETFOREGROUND);
    return true;
}

bool log_form::WroteThisRun(const std::wstring& path) const {
    return std::any_of(written_.begin(), written_.end(), [&](const std::wstring& own) {
        return CompareStringOrdinal(own.c_str(), -1, path.c_str(), -1, TRUE) == CSTR_EQUAL;
    });
}

std::wstring log_form::ExitSavePath(const std::wstring& folder) const {
    return AutoSavePath(ProposedLogPath(folder), [this](const std::wstring& candidate) {
        return PathExists(candidate) && !WroteThisRun(candidate);
    });
}

// The automatic save at exit. When the log folder cannot take the file, the user is told where and why and may
// put the log elsewhere; whatever the choice, the program then ends.
bool log_form::SaveAtExit() {
    const std::wstring path = ExitSavePath(folder_);
    const SaveResult result = SaveLogFile(path, model_.Text());
    if (result.ok) {
        written_.push_back(path);
        MessageBoxW(Hwnd(), kSavedAtExit, L"Korimo", MB_OK | MB_SETFOREGROUND);
        return true;
    }
    const std::wstring question = L"日志无法自动保存到：\n" + path + L"\n\n" + result.error +
                                  L"\n\n要把日志另存到其他位置吗？";
    if (MessageBoxW(Hwnd(), question.c_str(), L"Korimo", MB_YESNO | MB_ICONERROR | MB_SETFOREGROUND) != IDYES)
        return false;
    wchar_t documents[MAX_PATH]{};
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
    const std::wstring chosen = AskSavePath(documents, path.substr(path.find_last_of(L'\\') + 1));
    return !chosen.empty() && SaveTo(chosen, true);
}

// At the end of a session no message may hold the shutdown up and nobody can be asked: the log goes to its
// folder, else to the spare one.
bool log_form::SaveAtSessionEnd() {
    for (const std::wstring* folder : {&folder_, &spareFolder_}) {
        if (folder->empty()) continue;
        const std::wstring path = ExitSavePath(*folder);
        if (SaveLogFile(path, model_.Text()).ok) {
            written_.push_back(path);
            return true;
        }
    }
    return false;
}

// The journal goes once the log is saved; when no save succeeded it stays, whole, for the next start to recover:
// the last resort, so the log is never lost without a word.
void log_form::OnUnload(ui::UnloadMode mode) {
    FlushViews();
    if (!autoSaveOn_()) return;
    const bool saved = mode == ui::UnloadMode::SessionEnding ? SaveAtSessionEnd() : SaveAtExit();
    if (saved) {
        RemoveJournal();
        return;
    }
    FlushJournal();
    journal_.Close();
}

std::span<const ui::CommandBinding> log_form::Commands() const {
    static constexpr ui::CommandBinding kCommands[]{
        ui::On<&log_form::Command1_Click>(IDC_LOG_COMMAND1), ui::On<&log_form::Command2_Click>(IDC_LOG_COMMAND2),
        ui::On<&log_form::Picture1_Click>(IDC_LOG_PICTURE1), ui::On<&log_form::Picture2_Click>(IDC_LOG_PICTURE2),
        ui::On<&log_form::Check1_Click>(IDC_LOG_CHECK1),
    };
    return kCommands;
}

std::span<const ui::TimerBinding> log_form::Timers() const {
    static constexpr ui::TimerBinding kTimers[]{ui::Every<&log_form::FlushViews>(kViewTimer),
                                                ui::Every<&log_form::FlushJournal>(kJournalTimer)};
    return kTimers;
}

} // namespace korimo::alerts
