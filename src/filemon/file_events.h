// The file monitor's decisions: the names of the shell's change events, the event switches, the details of a
// notification, the repeat check, the log entry and the flashes after a report. Platform-free; the shell
// items are read through ItemReader.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korimo::filemon {

// The name of a shell event code, by exact equality; the empty text for any other code (also for a known
// event that carries an extra bit).
std::wstring GetEventText(std::int32_t code);

// The text up to, not including, its first NUL character.
std::wstring StripNull(std::wstring_view text);

struct EventSwitch {
    std::wstring_view fixedText; // what the event name is compared with
    std::wstring_view caption;   // what the box shows (differs for box 6 only)
    bool ticked;                 // at start
};
inline constexpr std::size_t kSwitchCount = 25;
const std::array<EventSwitch, kSwitchCount>& EventSwitches();

// Box states: 0 unticked, 1 ticked, 2 greyed. Only an unticked box whose fixed text is the event's name
// drops the event; a name no box has passes.
bool SwitchedOff(std::wstring_view eventName, const std::array<int, kSwitchCount>& states);

// The events the file monitor asks the shell for: all but those that only an unticked box names, so that the
// shell does not wake Korimo for what it would drop. The interrupt flag (0x80000000) is always asked for: the
// shell sets it on events the file system reports, which have no name of their own and pass every switch.
std::uint32_t EventsToRegister(const std::array<int, kSwitchCount>& states);

// What the file monitor's panel is set to: the display settings and the event switches.
struct FilterSettings {
    bool skipRepeats = true; // Check1(3) "不重复显示"
    std::array<int, kSwitchCount> switches{};
};

// "不重复显示": while it is ticked, a notification without details, or whose details the log already ends with,
// is a repeat and is dropped.
bool IsRepeat(std::wstring_view details, bool skipRepeats, bool logEndsWithDetails);

// What the details builder needs to know of the two notified items.
class ItemReader {
public:
    virtual bool Present(int item) const = 0;              // item 1 or 2
    virtual std::wstring DisplayName(int item) const = 0;  // "" when the shell cannot name it
    virtual std::wstring Path(int item) const = 0;         // "" when it has no file-system path
    virtual std::optional<std::int32_t> Value() const = 0; // the 32 bits after item 1's size field, if it has them

protected:
    ~ItemReader() = default;
};

struct DetailOptions {
    bool detailed = true; // Check1(0)
    bool byName = false;  // Option1(0)
    bool byPath = true;   // Option1(1)
};

// The details lines of a notification, each ended by CR LF. An image-index or free-space notification without
// its value, or with a drive mask of 0 or with bit 31 set, has no details lines.
std::wstring BuildDetails(std::int32_t code, const ItemReader& items, const DetailOptions& options);

// "【" + name + "】" + date and time + CR LF + details.
std::wstring ReportEntry(std::wstring_view eventName, std::wstring_view dateTime, std::wstring_view details);

// The flashes after a report: six inversions of the window's caption, the first at once, then every 200 ms.
class FlashCounter {
public:
    struct Step {
        bool slowDown; // from now on every 200 ms
        bool done;     // the sixth: stop, back to the quick first interval
    };
    Step Tick();
    std::int16_t Count() const { return count_; }

private:
    std::int16_t count_ = 0;
};

} // namespace korimo::filemon
