// What the alert pop-up's answer means to the one who asked: the process monitor's question about a started
// program. Its buttons are "放过", "关闭" and "强制关闭" (Ovalue 1, 2, 3), the countdown gives "放过" after ten
// seconds, and a question withdrawn because the program is closing has the value kWithdrawn. Platform-free.
#pragma once

#include <cstdint>

namespace korimo::alerts {

// The answer to the question about a started program.
enum class Answer {
    None,       // no question was asked: another one was waiting
    LetRun,     // "放过", or the countdown ran out
    Close,      // "关闭"
    ForceClose, // "强制关闭"
    Withdrawn,  // the program is closing: nothing is closed and the check reports nothing more
};

inline constexpr std::int16_t kWithdrawn = -1; // Ovalue of a question ended with no answer
inline constexpr const wchar_t* kAnswerCaptions[3] = {L"放过", L"关闭", L"强制关闭"};
inline constexpr std::int16_t kQuestionSeconds = 10;
inline constexpr std::int16_t kAnswerWhenTimeIsUp = 1;

// The pop-up's answer value (Ovalue) as an answer: the button's number, or kWithdrawn.
constexpr Answer AnswerOf(std::int16_t Ovalue) {
    switch (Ovalue) {
    case 1: return Answer::LetRun;
    case 2: return Answer::Close;
    case 3: return Answer::ForceClose;
    case kWithdrawn: return Answer::Withdrawn;
    default: return Answer::None;
    }
}

} // namespace korimo::alerts
