// The alert pop-up: a question with up to three answers and a countdown, topmost, at the bottom centre of its
// monitor's work area (above the taskbar) the first time and wherever the user last dragged it afterwards, but
// always wholly inside the work area of the monitor it is on. It is modal: the caller waits inside
// `outputbox` while the program's other windows take no input, and the program's timers and notifications go
// on meanwhile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "alerts/frm_outputbox_answer.h"
#include "ui/accessible.h"
#include "ui/face_window.h"
#include "ui/timer.h"

namespace korimo::alerts {

class Frm_Outputbox final : public ui::FaceWindow {
public:
    // Puts the question and waits for the answer, which is then in Ovalue: 1, 2 or 3 for the button pressed,
    // Ov when the countdown ran out. An empty caption hides its button. Returns false, asking nothing, while
    // another question is still waiting: there is one pop-up, and it answers one question at a time.
    bool outputbox(const std::wstring& Omsg, const std::wstring& Oc1, const std::wstring& Oc2,
                   const std::wstring& Oc3, std::int16_t Ot, std::int16_t Ov);
    // The question about a started program ("放过", "关闭", "强制关闭", ten seconds, "放过" when they run out) and
    // its answer; Answer::None, asking nothing, while another question waits.
    Answer Ask(const std::wstring& question);

    // Loads the pop-up, hidden, at the DPI of `monitor` and at the bottom centre of its work area.
    bool Load(HMONITOR monitor);
    bool IsWaiting() const { return waiting_; }
    // The user asked for the question by the keyboard (Enter on the tray icon, a second start): it takes the
    // keyboard, its first answer focused, so Tab, Space and Enter answer it.
    void BringForward();
    // Ends a waiting question with no answer (Ovalue kWithdrawn): the program is closing. The pop-up hides at
    // once and the other windows take input again; `outputbox` returns when control gets back to it.
    void Withdraw();

    std::int16_t Ot = 0;     // seconds left
    std::int16_t Ov = 0;     // the answer when they run out
    std::int16_t Ovalue = 0; // the answer; 0: none yet

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PaintFace(HDC dc, const ui::Scale& scale, SIZE client) override;
    void OnClose() override {} // only an answer ends the question, and the question stays on screen
    COLORREF ControlTextColour(HWND control) const override;
    void DrawOwnLabel(const DRAWITEMSTRUCT& item) override;
    std::span<const ui::ControlSpec> Controls() const override;
    void RemakeFonts(int) override { MakeFonts(); }
    void OnDisplayChanged() override;

private:
    void MakeFonts();
    void KeepInWorkArea();
    void RunModal();
    void DisableOtherWindows();
    void EndModal();
    std::span<const ui::CommandBinding> Commands() const override;
    std::span<const ui::TimerBinding> Timers() const override;
    void Command_Click(int index); // Command1 to Command3: the answer is the button's number
    void Timer1_Timer();           // the countdown
    ui::AccessibleSpec Accessible() const;
    void ShowWithoutTakingTheFocus();

    bool waiting_ = false;
    static constexpr UINT_PTR kTimer1 = 1;
    ui::Timer Timer1_{*this, kTimer1}; // the countdown, once a second
    std::vector<HWND> disabled_; // the program's windows the question disabled
    ui::Font nameFont_;
    ui::Font timeFont_;
};

} // namespace korimo::alerts
