// Closing a program on the user's answer through the one-line batch file "tasklill.bat" in the program folder.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "procmon/close_plan.h"
#include "ui/handle.h"

namespace korimo::procmon {

// A process opened when it is asked about and kept open until its close is over: while a handle to it is open,
// Windows gives its id to no other process. It asks only SYNCHRONIZE and the limited query right, which the
// system grants for an elevated program of the same user too, so that its close can still be watched.
class HeldProcess final : public ProcessHold {
public:
    // Holds the process with this id if it still runs and is the one created at `started` (where that is known).
    HeldProcess(std::uint32_t pid, std::uint64_t started);
    ~HeldProcess() override;
    HeldProcess(const HeldProcess&) = delete;
    HeldProcess& operator=(const HeldProcess&) = delete;

    bool Held() const override { return process_.Valid(); }
    bool Ended() const override;
    std::wstring Refusal() const override { return refusal_; }

    // The holds alive in this process: none may outlive its question or its close (the system's own handle
    // count cannot show it everywhere: Wine gives 0).
    static std::size_t Live() { return live_; }

private:
    ui::Handle process_;
    std::wstring refusal_;
    static inline std::size_t live_ = 0;
};

// Whether the system lets Korimo end the process at all: false where it refuses the right to end it (an
// elevated program, another user's), true where it allows it or says nothing of rights.
bool MayEnd(std::uint32_t pid);

// Closes the process asked about (held since the question: `asked`) and the other running instances of its
// executable file, by their process ids (PlanClose), through the batch file run by the system's own cmd.exe
// without a console window (a console of our own would be reported as a started program). Tells the user (in a
// message box owned by `owner`) when the process could not be held, when it has already ended, when the
// desktop shell was spared, and when the file cannot be written or run. Once the batch runs: the processes of
// its line, each held, for the caller to watch until they end.
std::optional<std::vector<ClosingProcess>> CloseByImageName(HWND owner, const std::wstring& appFolder,
                                                            const CloseOrder& order,
                                                            std::unique_ptr<ProcessHold> asked);

} // namespace korimo::procmon
