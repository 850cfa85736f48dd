// What the tray icon shows: the hover tip and the last notice, kept for the whole run and cut to the sizes
// of the shell's fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korimo::app {

inline constexpr std::size_t kTipField = 128;   // characters, terminating zero included
inline constexpr std::size_t kInfoField = 256;
inline constexpr std::size_t kInfoTitleField = 64;

inline constexpr wchar_t kTrayTip[] = L"Korimo 正在保护你的电脑...";

// Cuts a text so that it fits a field of `capacity` units with its terminating zero. Where units are UTF-16
// a surrogate pair is never split: half a character would show as garbage at the end of a notice.
template <class Char>
std::basic_string<Char> FitField(std::basic_string_view<Char> text, std::size_t capacity) {
    if (capacity == 0) return {};
    std::size_t length = text.size() < capacity ? text.size() : capacity - 1;
    if constexpr (sizeof(Char) == 2) {
        if (length > 0 && length < text.size()) {
            const auto last = static_cast<unsigned>(text[length - 1]);
            if (last >= 0xD800 && last <= 0xDBFF) --length;
        }
    }
    return std::basic_string<Char>(text.substr(0, length));
}

struct TrayNotice {
    std::wstring title;
    std::wstring text;
    unsigned infoFlags = 0;
    bool realtime = false; // a report: shown at once or not at all, never queued behind another notice
};

class TrayRecord {
public:
    TrayRecord() : tip_(kTrayTip) {}

    // Stores a notice; an empty tip keeps the tip that was there. The record keeps the texts whether or not
    // the notice is then shown.
    void StoreNotice(std::wstring_view title, std::wstring_view text, unsigned infoFlags, std::wstring_view tip,
                     bool realtime = false);

    const std::wstring& Tip() const { return tip_; }
    const TrayNotice& Notice() const { return notice_; }

private:
    std::wstring tip_;
    TrayNotice notice_;
};

// How often the shell is given a new balloon. A balloon replaced before the shell shows it is never seen, and
// each update costs a round trip to the shell, so in a flood of reports only the newest notice of each interval
// goes out, and the last one always does.
inline constexpr std::uint32_t kNoticeIntervalMs = 250;

class NoticePacer {
public:
    struct Decision {
        bool showNow = false;
        std::uint32_t waitMs = 0; // with showNow false: when to show the newest notice; 0: a wait already runs
    };
    // A notice arrives at `nowMs`.
    Decision Arrive(std::uint64_t nowMs);
    // The wait is over (or the program ends): whether a notice is waiting; it then counts as shown at `nowMs`.
    bool Due(std::uint64_t nowMs);

private:
    bool shownOnce_ = false;
    bool waiting_ = false;
    std::uint64_t lastShownMs_ = 0;
};

} // namespace korimo::app
