#include "alerts/log_form.h"

#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "ui/accessible.h"
#include "alerts/log_form_layout.h"
#include "ui/messages.h"
#include "ui/text_win.h"

namespace korimo::alerts {

namespace {

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
    // Made in the table's order, which is the keyboard's and puts Picture1 above Picture2; of the two stacked views
    // the one that does not show is hidden.
    for (const ui::ControlSpec& entry : LogControls()) CreateControl(entry);
    for (bool wrapped : {false, true}) ui::DescribeControl(View(wrapped), ui::NamedAs(L"事件日志"));
    ui::DescribeControl(Control(IDC_LOG_PICTURE1), ui::NamedAs(L"字体颜色"));
    ui::DescribeControl(Control(IDC_LOG_PICTURE2), ui::NamedAs(L"背景颜色"));
    LOGFONTW font{};
    GetObjectW(UiFont(), sizeof(font), &font);
    ApplyFont(font);
    ApplyColours(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW));
    for (bool wrapped : {false, true}) {
        HWND view = View(wrapped);
        SendMessageW(view, EM_SETLIMITTEXT, 0, 0); // the default limit would silently drop entries past 30,000
        SetWindowTextW(view, Log().Text().c_str());
        const int end = GetWindowTextLengthW(view);
        SendMessageW(view, EM_SETSEL, end, end); // the views follow the newest entry
    }
    shown_[0] = shown_[1] = Log().Size();
    Button_SetCheck(Control(IDC_LOG_CHECK1), BST_CHECKED);
    Check1_Click();
    disk_.Writer().TellFailuresTo(Hwnd(), ui::WM_KORIMO_JOURNAL_FAILED);
    if (keeper_.JournalPending()) Obey(JournalTimer::Start); // entries that came before the window
}

void log_form::AppendLogEntry(std::wstring_view entry) {
    if (entry.empty()) return;
    Obey(keeper_.Append(entry));
    ScheduleViews();
}

void log_form::ScheduleViews() {
    if (viewTimer_.Running() || !IsLoaded()) return;
    if (!viewTimer_.Start(pacer_.DelayMs())) FlushViews();
}

// Only the view that shows is given the new entries: an edit control lays out every line it is given, whether
// anyone sees it or not, and in a flood that is most of what a report costs. The covered view catches up when word
// wrap brings it out.
void log_form::FlushViews() {
    viewTimer_.Stop();
    if (IsLoaded()) CatchUp(WordWrap());
}

void log_form::CatchUp(bool wrapped) {
    if (shown_[wrapped] < Log().Size()) {
        const ULONGLONG began = GetTickCount64();
        AppendToView(View(wrapped), std::wstring(Log().Since(shown_[wrapped])));
        shown_[wrapped] = Log().Size();
        pacer_.UpdateTook(GetTickCount64() - began);
    }
    if (!wrapped && std::exchange(caretToEnd_, false)) {
        HWND view = View(false);
        const int end = GetWindowTextLengthW(view);
        SendMessageW(view, EM_SETSEL, end, end);
        SendMessageW(view, EM_SCROLLCARET, 0, 0);
    }
}

// The timer serves one hand-over; the keeper asks for the next with the next entry. Before the window is made
// there is no timer: the load asks for one when an entry waits.
void log_form::Obey(JournalTimer order) {
    if (!IsLoaded()) return;
    if (order == JournalTimer::Stop) journalTimer_.Stop();
    if (order == JournalTimer::Start && !journalTimer_.Start(kJournalMs)) keeper_.HandOver();
}

void log_form::HandOverJournal() {
    journalTimer_.Stop();
    keeper_.HandOver();
}

void log_form::FlushJournal() {
    HandOverJournal();
    disk_.Writer().WaitUntilWritten();
    keeper_.TellJournalFailure(*this);
}

// The writer's news that a write failed: the keeper takes the failure from its disk.
LRESULT log_form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != ui::WM_KORIMO_JOURNAL_FAILED) return PanelWindow::HandleMessage(msg, wParam, lParam);
    keeper_.TellJournalFailure(*this);
    return 0;
}

void log_form::AutoSaveSwitched(bool on) { Obey(keeper_.AutoSaveSwitched(on)); }

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

// The wrapped view lies over the other; the one it covers is hidden too and takes no entries until it shows.
void log_form::Check1_Click() {
    CatchUp(WordWrap());
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

void log_form::Command1_Click() { keeper_.SaveAs(*this); }

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

void log_form::Tell(const std::wstring& failure) { ui::ShowFailure(Hwnd(), failure); }

void log_form::Announce(const std::wstring& news) {
    MessageBoxW(Hwnd(), news.c_str(), L"Korimo", MB_OK | MB_SETFOREGROUND);
}

bool log_form::Ask(const std::wstring& question) {
    return MessageBoxW(Hwnd(), question.c_str(), L"Korimo", MB_YESNO | MB_ICONERROR | MB_SETFOREGROUND) == IDYES;
}

// The automatic save, then the journal: the writer stops (or is left to a disk that does not answer in time)
// before the window goes. While the end waits for the disk the windows are served, and the log takes nothing more.
void log_form::OnUnload(ui::UnloadMode mode) {
    FlushViews();
    journalTimer_.Stop();
    keeper_.End(mode == ui::UnloadMode::SessionEnding ? LogEnd::SessionEnding : LogEnd::Closing, *this);
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
                                                ui::Every<&log_form::HandOverJournal>(kJournalTimer)};
    return kTimers;
}

} // namespace korimo::alerts
