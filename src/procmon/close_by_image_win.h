// Closing a program on the user's answer through the one-line batch file "tasklill.bat" in the program folder.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "procmon/close_plan.h"
#include "procmon/process_check.h"
#include "procmon/window_list_win.h"
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

// A batch file held from its writing until the cmd.exe that runs it has ended: opened without write or delete
// sharing, so no program that may write the data folder can swap it for another between Korimo's writing and
// cmd.exe's reading (an elevated Korimo would run the swapped file with its own rights). Let go when it goes.
struct BatchRun {
    ui::Handle file;
    ui::Handle cmd;
    bool Ended() const { return !cmd.Valid() || WaitForSingleObject(cmd.Get(), 0) == WAIT_OBJECT_0; }
};

// What an answer set going: the processes to watch until they end (none when nothing was closed), how, the batch
// to hold while it runs (none where the window was asked), what the log is told (the close of a shared host) and
// what the user is told (why nothing was closed, or that the desktop shell was spared); empty where nothing is.
struct CloseOutcome {
    std::vector<ClosingProcess> closing;
    CloseKind kind = CloseKind::Polite;
    std::unique_ptr<BatchRun> batch;
    std::wstring logEntry;
    std::wstring told;
};

// Closes the process asked about (held since the question: `asked`) and, unless it is a shared host or is asked
// through its window, the other running instances of its executable file (PlanClose). By process ids through
// the batch file run by the system's own cmd.exe without a console window (a console of our own would be
// reported as a started program); a Store app's "关闭" and a console program's through WM_CLOSE to the window
// reported. Nothing is closed when the process could not be held, when it is the frame host of every Store app,
// when it has already ended, and when the file cannot be written, held or run or the window asked: the outcome
// says why. It shows nothing itself.
CloseOutcome CloseByImageName(const std::wstring& appFolder, CloseOrder order, std::unique_ptr<ProcessHold> asked);

// The check's desktop as it is: the windows and processes it reads, and the hold it takes.
class WinDesktop final : public CheckPlatform {
public:
    std::vector<WindowEntry> ListWindows() override { return GetOpenWindowNames(); }
    ProcessInfo LookUp(const WindowEntry& entry) override { return LookUpWindow(reinterpret_cast<HWND>(entry.window)); }
    std::unique_ptr<ProcessHold> HoldProcess(const ProcessInfo& info) override {
        return std::make_unique<HeldProcess>(info.pid, info.started);
    }
};

} // namespace korimo::procmon
