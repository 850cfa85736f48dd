#include "procmon/pro_form.h"

#include <windowsx.h>

#include "procmon/close_by_image_win.h"
#include "procmon/period.h"
#include "procmon/pro_form_layout.h"
#include "procmon/process_report.h"
#include "procmon/window_list_win.h"
#include "ui/accessible.h"
#include "ui/text_win.h"

namespace korimo::procmon {

namespace {
constexpr UINT kCloseTimerMs = 250;
} // namespace

ui::PanelInfo pro_form::Info() const { return {L"Korimo.pro_form", L"进程监视", kProWidthTwips, kProHeightTwips}; }

void pro_form::OnLoad() {
    for (const ui::ControlSpec& entry : ProControls()) CreateControl(entry);
    // Screen readers name each box by the label beside it, or by what it shows where no label stands beside it.
    ui::DescribeControl(Control(IDC_PRO_PROTEXTT), ui::NamedAs(L"进程检测周期 (千分之一秒)"));
    ui::DescribeControl(Control(IDC_PRO_PROCESS), ui::NamedAs(L"当前窗口标题列表"));
    ui::DescribeControl(Control(IDC_PRO_PROTEXT1), ui::NamedAs(L"本次检测的窗口标题"));
    ui::DescribeControl(Control(IDC_PRO_PROTEXT0), ui::NamedAs(L"上次检测的窗口标题"));
    for (int id : {IDC_PRO_PROTEXT0, IDC_PRO_PROTEXT1}) // the default limit would silently cut long lists
        SendMessageW(Control(id), EM_SETLIMITTEXT, 0, 0);
    SetWindowPos(Control(IDC_PRO_PICTURE1), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (int id : {IDC_PRO_CHECK2_0, IDC_PRO_CHECK2_1, IDC_PRO_CHECK1_0, IDC_PRO_CHECK1_1, IDC_PRO_CHECK1_2})
        Button_SetCheck(Control(id), BST_CHECKED);
    ReadSettings();
    check_.Baseline(desktop_);
    ShowList(check_.Now());
    if (check_.LastLookedUp()) ShowLookedUp(*check_.LastLookedUp()); // the last entry stays selected
    SetPeriod(kInitialPeriodMs);
}

std::span<const ui::ControlSpec> pro_form::Controls() const { return ProControls(); }

void pro_form::OnUnload(ui::UnloadMode) {
    WithdrawCheck();
    proTimer_.Stop();
    closeTimer_.Stop();
    closes_.Clear(); // Korimo is closing: no process and no batch stays held
    batches_.clear();
}

bool pro_form::Ticked(int id) const { return Button_GetCheck(Control(id)) != BST_UNCHECKED; }

void pro_form::ReadSettings() {
    settings_.prompts = Ticked(IDC_PRO_CHECK2_1);
    settings_.closeNotices = Ticked(IDC_PRO_CHECK2_2);
    for (int k = 0; k < 3; ++k) {
        wchar_t caption[64]{};
        GetWindowTextW(Control(IDC_PRO_CHECK1_0 + k), caption, 64);
        settings_.ignored[k] = Ticked(IDC_PRO_CHECK1_0 + k) ? caption : L"";
    }
}

namespace {
// An edit control that shows ListText(from) is made to show ListText(to) by replacing the lines between.
void ReplaceLines(HWND edit, const std::vector<WindowEntry>& from, const std::vector<WindowEntry>& to) {
    const Span span = ChangedSpan(from, to);
    std::wstring lines;
    for (std::size_t i = span.first; i < span.first + span.added; ++i) lines += to[i].title + L"\r\n";
    SendMessageW(edit, EM_SETSEL, TextOffset(from, span.first), TextOffset(from, span.first + span.removed));
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(lines.c_str()));
}

void ReplaceItems(HWND list, const std::vector<WindowEntry>& from, const std::vector<WindowEntry>& to) {
    const Span span = ChangedSpan(from, to);
    for (std::size_t i = 0; i < span.removed; ++i) ListBox_DeleteString(list, static_cast<int>(span.first));
    for (std::size_t i = span.first; i < span.first + span.added; ++i) {
        const int index = ListBox_InsertString(list, static_cast<int>(i), to[i].title.c_str());
        ListBox_SetItemData(list, index, static_cast<LPARAM>(to[i].window));
    }
}
} // namespace

// The list box and the two list texts show what the check saw; only what changed is rewritten, so that a check
// with nothing new costs little more than the walk itself, and one in which a title changed (a clock in a
// title) little more than that.
void pro_form::ShowList(const std::vector<WindowEntry>& windows) {
    if (!IsLoaded() || windows == shownList_) return;
    HWND list = Control(IDC_PRO_PROCESS);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ReplaceItems(list, shownList_, windows);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    ReplaceLines(Control(IDC_PRO_PROTEXT0), shownBefore_, shownList_);
    ReplaceLines(Control(IDC_PRO_PROTEXT1), shownList_, windows);
    shownBefore_ = std::exchange(shownList_, windows);
}

void pro_form::ShowDetails(const ProcessInfo& info) {
    if (!IsLoaded()) return;
    SetWindowTextW(Control(IDC_PRO_PROCESSID), std::to_wstring(info.pid).c_str());
    SetWindowTextW(Control(IDC_PRO_PATH), info.path.c_str());
}

void pro_form::ShowLookedUp(const LookedUp& lookedUp) {
    if (!IsLoaded()) return;
    HWND list = Control(IDC_PRO_PROCESS);
    const int count = ListBox_GetCount(list);
    for (int i = 0; i < count; ++i)
        if (static_cast<std::uintptr_t>(ListBox_GetItemData(list, i)) == lookedUp.entry.window) {
            ListBox_SetCurSel(list, i);
            break;
        }
    ShowDetails(lookedUp.process);
}

void pro_form::Tell(const Report& report) {
    host_.Report(report.noticeTitle, report.noticeText);
    host_.Log(report.logEntry);
}

Answer pro_form::Ask(const std::wstring& question) { return host_.Ask(question); }

// While a question waits, the program's messages go on (the pop-up's own loop): a tick that comes meanwhile
// finds the check running and does nothing.
void pro_form::RunCheck() { check_.Run(desktop_, settings_, *this); }

// The close is watched from the timer, so the check, the file monitor and later questions go on meanwhile.
void pro_form::Close(CloseRequest request) {
    CloseOutcome outcome = CloseByImageName(dataFolder_, request.order, std::move(request.hold));
    if (!outcome.logEntry.empty()) host_.Log(outcome.logEntry);
    if (!outcome.told.empty()) ui::ShowFailure(Hwnd(), outcome.told);
    // The box waits for the user: the panel may have gone meanwhile, letting go of everything it held.
    if (!IsLoaded() || outcome.closing.empty()) return;
    closes_.Watch(std::move(outcome.closing), outcome.kind, GetTickCount64());
    if (outcome.batch) batches_.push_back(std::move(outcome.batch));
    closeTimer_.Start(kCloseTimerMs);
}

void pro_form::closeTimer_Timer() {
    for (const CloseFailure& failure : closes_.Poll(GetTickCount64(), MayEnd))
        Tell({L"关闭失败", CloseFailedNotice(failure.path, failure.pid, failure.reason),
              CloseFailedLogEntry(failure.path, failure.pid, failure.reason)});
    std::erase_if(batches_, [](const std::unique_ptr<BatchRun>& batch) { return batch->Ended(); });
    if (closes_.Empty() && batches_.empty()) closeTimer_.Stop();
}

void pro_form::prodo_Click() { RunCheck(); }

void pro_form::cmdRefresh_Click() {
    ShowList(GetOpenWindowNames());
    ListBox_SetCurSel(Control(IDC_PRO_PROCESS), -1); // a fresh list has nothing selected
}

void pro_form::process_Click() {
    HWND list = Control(IDC_PRO_PROCESS);
    const int selected = ListBox_GetCurSel(list);
    if (selected < 0) return;
    ShowDetails(LookUpWindow(reinterpret_cast<HWND>(ListBox_GetItemData(list, selected))));
}

void pro_form::SetPeriod(unsigned milliseconds) {
    periodMs_ = milliseconds;
    if (milliseconds == 0)
        proTimer_.Stop(); // an empty box stops the automatic checks
    else
        proTimer_.Start(milliseconds);
}

void pro_form::protextt_Change() {
    wchar_t text[256]{};
    GetWindowTextW(Control(IDC_PRO_PROTEXTT), text, 256);
    SetPeriod(ParsePeriod(text));
}

void pro_form::proTimer_Timer() {
    if (Ticked(IDC_PRO_CHECK2_0)) RunCheck(); // a tick while a check runs does nothing
}

std::span<const ui::CommandBinding> pro_form::Commands() const {
    static constexpr ui::CommandBinding kCommands[]{
        ui::On<&pro_form::prodo_Click>(IDC_PRO_PRODO),
        ui::On<&pro_form::cmdRefresh_Click>(IDC_PRO_CMDREFRESH),
        ui::On<&pro_form::process_Click>(IDC_PRO_PROCESS, LBN_SELCHANGE),
        ui::On<&pro_form::protextt_Change>(IDC_PRO_PROTEXTT, EN_CHANGE),
        ui::OnEach<&pro_form::ReadSettings>(IDC_PRO_CHECK2_1, IDC_PRO_CHECK1_2),
    };
    return kCommands;
}

std::span<const ui::TimerBinding> pro_form::Timers() const {
    static constexpr ui::TimerBinding kTimers[]{ui::Every<&pro_form::proTimer_Timer>(kProTimer),
                                                ui::Every<&pro_form::closeTimer_Timer>(kCloseTimer)};
    return kTimers;
}

} // namespace korimo::procmon
