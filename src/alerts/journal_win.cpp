#include "alerts/journal_win.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>

#include "alerts/log_file_win.h"
#include "ui/text_win.h"

namespace korimo::alerts {

namespace {
// Read by the benchmarks from the window thread while the writer adds to it.
std::atomic<std::uint64_t> journalBytesWritten{0};

// Appends at the end, after a byte-order mark when the journal is empty; a write that does not finish is cut
// back to the last whole one, since a fragment would end the recovered log in the middle of an entry.
DWORD AppendWhole(HANDLE file, std::wstring_view text, JournalFlush flush) {
    LARGE_INTEGER end{};
    if (!GetFileSizeEx(file, &end) || !SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) return GetLastError();
    const std::string bytes = std::string(end.QuadPart == 0 ? kUtf8Mark : "") + ui::ToCodePage(text, CP_UTF8);
    DWORD error = WriteAll(file, bytes);
    // To the disk itself, so that what the journal holds survives a crash of the system too.
    if (error == ERROR_SUCCESS && !flush(file)) error = GetLastError();
    if (error != ERROR_SUCCESS && SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) SetEndOfFile(file);
    if (error == ERROR_SUCCESS) journalBytesWritten += bytes.size();
    return error;
}

SaveResult Failed(DWORD error) { return {false, ui::SystemMessage(error)}; }
} // namespace

std::uint64_t JournalBytesWritten() { return journalBytesWritten; }

std::wstring Journal::Where() const { return IsOpen() ? path_ : JournalPath(folder_); }

// The first free journal name, made new: two copies of Korimo starting in one folder never share a journal.
SaveResult Journal::Open() {
    EnsureFolderOf(JournalPath(folder_));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring path = FreeJournalPath(folder_, PathExists);
        // Others may read it while it runs, never delete or rename it.
        file_ = ui::Handle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file_.Valid()) {
            path_ = path;
            return {true, {}};
        }
        // Another copy took the name between the look and the make: the next free one.
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return Failed(GetLastError());
    }
    return Failed(ERROR_FILE_EXISTS);
}

SaveResult Journal::Append(std::wstring_view text) {
    const bool fresh = !file_.Valid();
    if (fresh) {
        if (const SaveResult opened = Open(); !opened.ok) return opened;
    }
    const DWORD error = AppendWhole(file_.Get(), text, flush_);
    if (error == ERROR_SUCCESS) return {true, {}};
    if (fresh) Remove(); // a new journal that took nothing is no journal
    return Failed(error);
}

void Journal::Close() { file_.Reset(); }

void Journal::Remove() {
    file_.Reset();
    if (!path_.empty()) DeleteFileW(path_.c_str());
    path_.clear();
}

namespace {
// One turn of the writer's work, in this order: a removal, the text (after what an earlier write failed to
// write), a log file to save, and at the finish the journal kept or removed.
struct Turn {
    std::wstring text;
    bool remove = false, finish = false, keep = true;
    std::optional<std::pair<std::wstring, std::wstring>> save; // path, log text
};
} // namespace

struct JournalWriter::State {
    State(std::wstring folder, JournalFlush flush) : journal(std::move(folder), flush), flush(flush) {}

    std::mutex mutex;
    std::condition_variable wake, written;
    ui::Handle turned{CreateEventW(nullptr, FALSE, FALSE, nullptr)}; // set after every turn, for the bounded waits
    Turn next; // what the window thread asks for, taken whole by the writer
    bool busy = false, stopped = false;
    std::optional<SaveResult> saved;
    std::vector<JournalFailure> failures;
    HWND window = nullptr;
    UINT message = 0;

    // The writer thread's alone (the window thread's while there is no writer thread).
    Journal journal;
    JournalFlush flush;
    std::wstring unwritten; // what a failed write did not get into the journal

    bool Waiting() const { return !next.text.empty() || next.remove || next.finish || next.save; }

    // What a failed write did not get into the journal goes first in the next, so the journal stays the log's
    // beginning, entry for entry.
    void Write(std::wstring text) {
        unwritten += text;
        const SaveResult result = journal.Append(unwritten);
        if (result.ok) {
            unwritten.clear();
            return;
        }
        const std::lock_guard lock(mutex);
        failures.push_back({journal.Where(), result.error});
        if (window) PostMessageW(window, message, 0, 0);
    }

    std::optional<SaveResult> Serve(Turn turn) {
        if (turn.remove) {
            journal.Remove();
            unwritten.clear();
        }
        if (!turn.text.empty() || (turn.finish && turn.keep && !unwritten.empty())) Write(std::move(turn.text));
        std::optional<SaveResult> result;
        if (turn.save) result = SaveLogFile(turn.save->first, turn.save->second, flush);
        if (turn.finish) turn.keep ? journal.Close() : journal.Remove();
        return result;
    }

    static void Run(const std::shared_ptr<State>& state) {
        State& s = *state;
        for (bool finish = false; !finish;) {
            Turn turn;
            {
                std::unique_lock lock(s.mutex);
                s.wake.wait(lock, [&s] { return s.Waiting(); });
                turn = std::exchange(s.next, Turn{});
                s.busy = true;
            }
            finish = turn.finish;
            const bool saving = turn.save.has_value();
            std::optional<SaveResult> result = s.Serve(std::move(turn));
            {
                const std::lock_guard lock(s.mutex);
                s.busy = false;
                s.stopped = finish;
                if (saving) s.saved = std::move(result);
            }
            s.written.notify_all();
            SetEvent(s.turned.Get());
        }
    }
};

JournalWriter::JournalWriter(std::wstring folder, JournalFlush flush)
    : state_(std::make_shared<State>(std::move(folder), flush)) {}

// Not unloaded (a test, a start that failed): the journal is kept, and nothing is dispatched any more.
JournalWriter::~JournalWriter() { Finish(true, GetTickCount64() + kExitDiskWaitMs, false); }

void JournalWriter::TellFailuresTo(HWND window, UINT message) {
    const std::lock_guard lock(state_->mutex);
    state_->window = window;
    state_->message = message;
}

// The thread starts with the first work: a run without the automatic save has none. Where the system cannot make
// one, the window thread writes the journal itself rather than lose it. The thread holds the state too.
bool JournalWriter::Threaded() {
    if (!thread_.joinable() && !finished_ && !unthreaded_) {
        try {
            thread_ = std::thread(&State::Run, state_);
        } catch (const std::system_error&) {
            unthreaded_ = true;
        }
    }
    return thread_.joinable();
}

void JournalWriter::Append(std::wstring_view entries) {
    if (finished_) return;
    if (!Threaded()) {
        Turn turn;
        turn.text = entries;
        state_->Serve(std::move(turn));
        return;
    }
    {
        const std::lock_guard lock(state_->mutex);
        state_->next.text.append(entries);
    }
    state_->wake.notify_one();
}

void JournalWriter::Remove() {
    if (finished_) return;
    if (unthreaded_) {
        Turn turn;
        turn.remove = true;
        state_->Serve(std::move(turn));
        return;
    }
    if (!thread_.joinable()) return; // nothing was ever written
    {
        const std::lock_guard lock(state_->mutex);
        state_->next.text.clear();
        state_->next.remove = true;
    }
    state_->wake.notify_one();
}

void JournalWriter::WaitUntilWritten() {
    if (!thread_.joinable()) return;
    std::unique_lock lock(state_->mutex);
    state_->written.wait(lock, [this] { return !state_->Waiting() && !state_->busy; });
}

std::vector<JournalFailure> JournalWriter::TakeFailures() {
    const std::lock_guard lock(state_->mutex);
    return std::exchange(state_->failures, {});
}

// A message that comes while the writer works is dispatched at once, so the windows answer meanwhile (a WM_QUIT is
// posted again for the message loop).
bool JournalWriter::WaitFor(bool (*done)(const State&), std::uint64_t deadline, bool serveMessages) {
    const auto isDone = [&] {
        const std::lock_guard lock(state_->mutex);
        return done(*state_);
    };
    std::optional<WPARAM> quit;
    bool result = false;
    for (std::uint64_t now = GetTickCount64(); !(result = isDone()) && now < deadline; now = GetTickCount64()) {
        HANDLE turned = state_->turned.Get();
        const DWORD ms = static_cast<DWORD>(std::min<std::uint64_t>(deadline - now, INFINITE - 1));
        if (!serveMessages) {
            WaitForSingleObject(turned, ms);
            continue;
        }
        MSG msg;
        if (MsgWaitForMultipleObjectsEx(1, &turned, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE) != WAIT_OBJECT_0 + 1 ||
            !PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            continue;
        if (msg.message == WM_QUIT) {
            quit = msg.wParam;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (quit) PostQuitMessage(static_cast<int>(*quit));
    return result;
}

SaveResult JournalWriter::Save(const std::wstring& path, std::wstring_view logText, std::uint64_t deadline) {
    if (finished_ || !Threaded()) return SaveLogFile(path, logText, state_->flush);
    {
        const std::lock_guard lock(state_->mutex);
        state_->next.save.emplace(path, std::wstring(logText));
        state_->saved.reset();
    }
    state_->wake.notify_one();
    WaitFor([](const State& s) { return s.saved.has_value(); }, deadline, true);
    const std::lock_guard lock(state_->mutex);
    if (state_->saved) return *std::exchange(state_->saved, std::nullopt);
    state_->next.save.reset(); // a disk that answers late writes no copy of the log the user was told is unsaved
    return {false, {}, true};
}

bool JournalWriter::Finish(bool keep, std::uint64_t deadline, bool serveMessages) {
    if (std::exchange(finished_, true)) return true;
    if (unthreaded_) {
        Turn turn;
        turn.remove = !keep;
        turn.finish = true;
        turn.keep = keep;
        state_->Serve(std::move(turn));
        return true;
    }
    if (!thread_.joinable()) return true;
    {
        const std::lock_guard lock(state_->mutex);
        state_->next.finish = true;
        state_->next.keep = keep;
        if (!keep) { // the log is saved: what the journal lacks is not worth a write
            state_->next.text.clear();
            state_->next.remove = true;
        }
    }
    state_->wake.notify_one();
    if (!WaitFor([](const State& s) { return s.stopped; }, deadline, serveMessages)) {
        thread_.detach(); // the disk holds it; the process ends without it
        return false;
    }
    thread_.join();
    return true;
}

} // namespace korimo::alerts
