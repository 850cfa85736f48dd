#include <windowsx.h>

#include "filemon/dir_form.h"

#include <cstring>

#include "filemon/dir_form_layout.h"

namespace korimo::filemon {

namespace {

// The two notified items as the details builder reads them.
class NotifiedItems final : public ItemReader {
public:
    explicit NotifiedItems(WPARAM items) {
        if (items) std::memcpy(items_, reinterpret_cast<const void*>(items), sizeof(items_));
    }
    bool Present(int item) const override { return Item(item) != nullptr; }
    std::wstring DisplayName(int item) const override { return GetDisplayNameFromPidl(Item(item)); }
    std::wstring Path(int item) const override { return GetPathFromPidl(Item(item)); }
    std::optional<std::int32_t> Value() const override {
        const auto* bytes = reinterpret_cast<const unsigned char*>(items_[0]);
        if (!bytes) return std::nullopt;
        std::uint16_t size = 0;
        std::memcpy(&size, bytes, sizeof(size));
        if (size < 6) return std::nullopt; // the first identifier does not hold 32 bits
        std::int32_t value = 0;
        std::memcpy(&value, bytes + 2, sizeof(value));
        return value;
    }

private:
    LPCITEMIDLIST Item(int item) const { return items_[item == 1 ? 0 : 1]; }
    LPCITEMIDLIST items_[2]{};
};

} // namespace

// Formatted once per second: a flood brings hundreds of notifications within the same second.
std::wstring NowAsText() {
    static SYSTEMTIME last{};
    static std::wstring text;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    now.wMilliseconds = 0;
    if (!text.empty() && std::memcmp(&now, &last, sizeof(now)) == 0) return text;
    wchar_t date[128]{}, time[128]{};
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 128, nullptr);
    GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &now, nullptr, time, 128);
    last = now;
    text = std::wstring(date) + L" " + time;
    return text;
}

ui::PanelInfo dir_form::Info() const {
    return {L"Korimo.dir_form", L"Shell Change Notifications demo", kDirWidthTwips, kDirHeightTwips};
}

void dir_form::OnLoad() {
    for (const ui::ControlSpec& entry : DirControls()) CreateControl(entry);
    Button_SetCheck(Control(IDC_DIR_CHECK1_0), BST_CHECKED);
    Button_SetCheck(Control(IDC_DIR_OPTION1_1), BST_CHECKED);
    Button_SetCheck(Control(IDC_DIR_CHECK1_3), BST_CHECKED);
    for (std::size_t i = 0; i < kSwitchCount; ++i)
        Button_SetCheck(Control(IDC_DIR_CHECK2_0 + static_cast<int>(i)),
                        EventSwitches()[i].ticked ? BST_CHECKED : BST_UNCHECKED);
    ReadSettings();
    if (hook_.SubclassWindow(Hwnd(), *this))
        registration_.RegisterShellNotify(Hwnd(), EventsToRegister(filter_.switches));
}

std::span<const ui::ControlSpec> dir_form::Controls() const { return DirControls(); }

void dir_form::OnUnload(ui::UnloadMode) {
    registration_.UnregisterShellNotify();
    hook_.UnsubclassWindow();
    flashTimer_.Stop();
}

void dir_form::ReadSettings() {
    options_ = {Button_GetCheck(Control(IDC_DIR_CHECK1_0)) != BST_UNCHECKED,
                Button_GetCheck(Control(IDC_DIR_OPTION1_0)) == BST_CHECKED,
                Button_GetCheck(Control(IDC_DIR_OPTION1_1)) == BST_CHECKED};
    filter_.skipRepeats = Button_GetCheck(Control(IDC_DIR_CHECK1_3)) != BST_UNCHECKED;
    for (std::size_t i = 0; i < kSwitchCount; ++i)
        filter_.switches[i] = Button_GetCheck(Control(IDC_DIR_CHECK2_0 + static_cast<int>(i)));
    registration_.ChangeEvents(EventsToRegister(filter_.switches));
}

void dir_form::NotificationReceipt(WPARAM items, LPARAM event) {
    const auto code = static_cast<std::int32_t>(event);
    const std::wstring name = GetEventText(code);
    // The shell is not asked for switched-off events; one that comes all the same (a switch changed while it was
    // on its way, several events in one code) is dropped before its items are named, which is nearly all a
    // report costs.
    if (SwitchedOff(name, filter_.switches)) return;
    const std::wstring details = BuildDetails(code, NotifiedItems(items), options_);
    if (IsRepeat(details, filter_.skipRepeats, host_.LogEndsWith(details))) return;
    host_.LogAndShow(ReportEntry(name, NowAsText(), details));
    StartFlashing();
    host_.Report(name, details);
}

// A report that comes while the window still flashes lets the running sequence complete.
void dir_form::StartFlashing() {
    if (!flashTimer_.Running()) flashTimer_.Start(1);
}

void dir_form::tmrFlashMe_Timer() {
    const FlashCounter::Step step = flash_.Tick();
    if (step.slowDown) flashTimer_.Start(200);
    FlashWindow(Hwnd(), TRUE);
    ++flashes_;
    if (step.done) flashTimer_.Stop();
}

void dir_form::Check1_Click() {
    const int show = Button_GetCheck(Control(IDC_DIR_CHECK1_0)) != BST_UNCHECKED ? SW_SHOW : SW_HIDE;
    ShowWindow(Control(IDC_DIR_OPTION1_0), show);
    ShowWindow(Control(IDC_DIR_OPTION1_1), show);
}

// Any box that changes is read with the others, after its own handler.
std::span<const ui::CommandBinding> dir_form::Commands() const {
    static constexpr ui::CommandBinding kCommands[]{
        ui::On<&dir_form::Check1_Click>(IDC_DIR_CHECK1_0),
        ui::On<&dir_form::Check1_Click>(IDC_DIR_CHECK1_3),
        ui::OnEach<&dir_form::ReadSettings>(IDC_DIR_CHECK1_0, IDC_DIR_CHECK2_0 + static_cast<int>(kSwitchCount) - 1),
    };
    return kCommands;
}

std::span<const ui::TimerBinding> dir_form::Timers() const {
    static constexpr ui::TimerBinding kTimers[]{ui::Every<&dir_form::tmrFlashMe_Timer>(kFlashTimer)};
    return kTimers;
}

void dir_form::PaintFace(HDC dc, const ui::Scale& s, SIZE client) {
    ui::PanelWindow::PaintFace(dc, s, client);
    // Line1 and Line2: a rule under the display settings and one beside them.
    ui::Brush rule(CreateSolidBrush(ui::FaceColour(RGB(0x9D, 0xB3, 0xCC), COLOR_WINDOWTEXT)));
    RECT under = s.Rect(120, 1380, 9315, 15), beside = s.Rect(2640, 240, 15, 1020);
    if (under.bottom == under.top) ++under.bottom;
    if (beside.right == beside.left) ++beside.right;
    FillRect(dc, &under, rule.Get());
    FillRect(dc, &beside, rule.Get());
}

} // namespace korimo::filemon
