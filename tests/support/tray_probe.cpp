#include "tray_probe.h"

#include "desktop.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace korimo::test {
namespace {

// Wine 8 draws the stand-alone tray from its X11 driver (these "__winex11_" windows live in explorer.exe);
// explorer's own Shell_TrayWnd stays hidden and empty there. Later Wine versions and the virtual-desktop
// taskbar put the icons into Shell_TrayWnd instead, so both pairs are looked at.
constexpr std::array<std::wstring_view, 2> kTrayClasses{L"__winex11_standalone_tray", L"Shell_TrayWnd"};
constexpr std::array<std::wstring_view, 2> kIconClasses{L"__winex11_tray_icon", L"__wine_tray_icon"};

constexpr DWORD kAnswerTimeoutMs = 2000;  // a tray that has not answered in 2 s is hung, not slow

// Wine's tooltip copies up to INFOTIPSIZE (1024) characters whatever buffer size it is told, and
// TTM_GETTOOLINFOW/TTM_ENUMTOOLSW copy without any limit; the tray's own texts are at most 256 characters.
// A buffer well past both keeps the other process from writing beyond our allocation.
constexpr size_t kTextChars = 4096;
constexpr size_t kStructBytes = 256;  // room for TTTOOLINFOW or TTGETTITLE in front of the text
constexpr WCHAR kUntouched = 0xFFFF;  // a non-character: tells "the control wrote nothing" from ""

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error("tray probe: " + what); }

[[noreturn]] void FailWin32(const std::string& what) {
    Fail(what + " failed, error " + std::to_string(GetLastError()));
}

std::string Utf8(const std::wstring& text) {
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

// ---- the window tree ----------------------------------------------------------------------------------------

template <size_t N>
bool ClassIsOneOf(HWND window, const std::array<std::wstring_view, N>& classes) {
    const std::wstring name = ClassName(window);
    return std::find(classes.begin(), classes.end(), name) != classes.end();
}

bool Overlaps(const RECT& a, const RECT& b) {
    RECT common{};
    return IntersectRect(&common, &a, &b) != FALSE;
}

bool OnScreen(const RECT& rect) {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const RECT screen{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    return Overlaps(rect, screen);
}

// What a user could see: the icon and all its parents visible, and part of it inside its parent's client
// area (a child is clipped to it) and on the screen.
bool IconIsShown(HWND icon, const RECT& iconRect) {
    if (!IsWindowVisible(icon)) return false;
    const HWND parent = GetAncestor(icon, GA_PARENT);
    RECT client{};
    GetClientRect(parent, &client);
    MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return Overlaps(iconRect, client) && OnScreen(iconRect);
}

bool IsShownBalloon(HWND window) {
    RECT rect{};
    return IsWindowVisible(window) && (GetWindowLongW(window, GWL_STYLE) & TTS_BALLOON) &&
           ClassName(window) == TOOLTIPS_CLASSW && GetWindowRect(window, &rect) && OnScreen(rect);
}

// The hover tooltips of a process: the tray creates one per icon; balloons are separate tooltips.
std::vector<HWND> HoverTooltipsOf(DWORD processId) {
    std::vector<HWND> tooltips;
    for (HWND window : AllTopLevelWindows()) {
        if (ProcessOf(window) == processId && ClassName(window) == TOOLTIPS_CLASSW &&
            !(GetWindowLongW(window, GWL_STYLE) & TTS_BALLOON))
            tooltips.push_back(window);
    }
    return tooltips;
}

// The processes that draw a tray (explorer.exe under Wine), whether the tray is shown at the moment or not.
std::vector<DWORD> TrayProcesses() {
    std::vector<DWORD> processes;
    for (HWND window : AllTopLevelWindows()) {
        if (ClassIsOneOf(window, kTrayClasses)) processes.push_back(ProcessOf(window));
    }
    return processes;
}

// ---- memory and messages in the tray's process --------------------------------------------------------------

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

UniqueHandle OpenForMemoryAccess(DWORD processId) {
    UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    if (!process) FailWin32("OpenProcess(" + std::to_string(processId) + ")");
    return process;
}

// A block of memory inside another process, released when this goes out of scope.
class RemoteMemory {
public:
    RemoteMemory(HANDLE process, size_t bytes)
        : process_(process),
          base_(static_cast<std::byte*>(
              VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {
        if (!base_) FailWin32("VirtualAllocEx");
    }
    ~RemoteMemory() { VirtualFreeEx(process_, base_, 0, MEM_RELEASE); }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    std::byte* At(size_t offset) const { return base_ + offset; }  // an address in the other process

    void Write(size_t offset, const void* data, size_t bytes) const {
        if (!WriteProcessMemory(process_, At(offset), data, bytes, nullptr)) FailWin32("WriteProcessMemory");
    }
    void Read(size_t offset, void* data, size_t bytes) const {
        if (!ReadProcessMemory(process_, At(offset), data, bytes, nullptr)) FailWin32("ReadProcessMemory");
    }

private:
    HANDLE process_;
    std::byte* base_;
};

// Sends and waits for the answer. False means the window was destroyed meanwhile (tooltips and balloons come
// and go); a live window that does not answer means the tray is hung, which a test must hear about.
bool SendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer)) {
        if (result) *result = static_cast<LRESULT>(answer);
        return true;
    }
    const DWORD error = GetLastError();  // before IsWindow can overwrite it
    if (!IsWindow(window)) return false;
    Fail("SendMessageTimeoutW to the tray's tooltip failed, error " + std::to_string(error));
}

// A string somewhere in another process. Read in aligned chunks so that no read crosses into a page that
// follows the string and may not be mapped.
std::wstring ReadRemoteString(HANDLE process, const WCHAR* address) {
    constexpr size_t kChunkBytes = 128;
    std::wstring text;
    auto cursor = reinterpret_cast<uintptr_t>(address);
    while (text.size() < kTextChars) {
        const size_t bytes = kChunkBytes - cursor % kChunkBytes;
        std::wstring chunk(bytes / sizeof(WCHAR), L'\0');
        if (!ReadProcessMemory(process, reinterpret_cast<void*>(cursor), chunk.data(), bytes, nullptr))
            FailWin32("ReadProcessMemory of a string");
        const size_t end = chunk.find(L'\0');
        text += chunk.substr(0, end);
        if (end != std::wstring::npos) return text;
        cursor += bytes;
    }
    Fail("a string in the tray's process has no end");
}

// The tooltip control's private state in Wine's comctl32 (the same layout from 2008 through Wine 8), reached
// through the pointer the control keeps in its window's extra bytes. Used only where TTM_GETTITLE is not
// implemented, and trusted only after it matches what the control reports through messages.
struct WineTooltipState {
    HWND self;
    WCHAR shownText[1024];  // INFOTIPSIZE
    BOOL active;
    BOOL trackActive;
    UINT toolCount;
    COLORREF background;
    COLORREF foreground;
    HFONT font;
    HFONT titleFont;
    INT trackX, trackY, maxTipWidth, tool, currentTool, trackTool, reshowTime, autoPopTime, initialTime;
    RECT margin;
    BOOL toolBelow;
    LPWSTR title;
    HICON titleIcon;
    void* tools;
};

// Reads tooltip controls of another process. Their messages take pointers, so the request and the text
// buffer are placed in that process, and the answer is copied back from there.
class TooltipReader {
public:
    explicit TooltipReader(DWORD processId)
        : process_(OpenForMemoryAccess(processId)),
          memory_(process_.get(), kStructBytes + kTextChars * sizeof(WCHAR)) {}

    // The text of the tool that `tooltip` keeps for the window `tool` (tools keyed by window, as the tray
    // adds them), or nullopt if it keeps none.
    std::optional<std::wstring> ToolText(HWND tooltip, HWND tool) { return QueryTool(tooltip, TTM_GETTOOLINFOW, tool); }

    // The text of the tooltip's first tool; a balloon has exactly one.
    std::optional<std::wstring> FirstToolText(HWND tooltip) { return QueryTool(tooltip, TTM_ENUMTOOLSW, nullptr); }

    // The balloon's title; nullopt if the balloon went away meanwhile.
    std::optional<std::wstring> Title(HWND balloon, const std::wstring& shownText) {
        TTGETTITLE request{};
        request.dwSize = sizeof request;
        request.cch = kTextChars;
        request.pszTitle = TextAddress();
        memory_.Write(0, &request, sizeof request);
        ClearText();
        if (!SendTo(balloon, TTM_GETTITLE, 0, reinterpret_cast<LPARAM>(memory_.At(0)), nullptr)) return std::nullopt;
        if (auto title = ReadText()) return title;
        // Wine's comctl32 (8.0 included) ignores TTM_GETTITLE and leaves the buffer as it was.
        return TitleFromWineState(balloon, shownText);
    }

private:
    WCHAR* TextAddress() const { return reinterpret_cast<WCHAR*>(memory_.At(kStructBytes)); }

    void ClearText() const { memory_.Write(kStructBytes, &kUntouched, sizeof kUntouched); }

    // nullopt if the control wrote nothing into the buffer.
    std::optional<std::wstring> ReadText() const {
        std::wstring text(kTextChars, L'\0');
        memory_.Read(kStructBytes, text.data(), kTextChars * sizeof(WCHAR));
        if (text[0] == kUntouched) return std::nullopt;
        const size_t end = text.find(L'\0');
        if (end == std::wstring::npos) Fail("tooltip text fills the whole buffer");
        text.resize(end);
        return text;
    }

    std::optional<std::wstring> QueryTool(HWND tooltip, UINT message, HWND tool) {
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND;
        info.hwnd = tool;
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.lpszText = TextAddress();
        memory_.Write(0, &info, sizeof info);
        ClearText();
        LRESULT found = FALSE;
        if (!SendTo(tooltip, message, 0, reinterpret_cast<LPARAM>(memory_.At(0)), &found) || !found)
            return std::nullopt;
        auto text = ReadText();
        // The control hands back its own pointer instead of copying when the owner supplies the text on demand.
        if (!text) Fail("the tooltip does not hold its text (text callback)");
        return text;
    }

    std::optional<std::wstring> TitleFromWineState(HWND balloon, const std::wstring& shownText) {
        const auto address = GetWindowLongPtrW(balloon, 0);
        WineTooltipState state{};
        const bool read = address && ReadProcessMemory(process_.get(), reinterpret_cast<void*>(address), &state,
                                                       sizeof state, nullptr);
        LRESULT toolCount = 0;
        if (!SendTo(balloon, TTM_GETTOOLCOUNT, 0, 0, &toolCount)) return std::nullopt;
        const bool matches = read && state.self == balloon && static_cast<LRESULT>(state.toolCount) == toolCount &&
                             std::wstring_view(state.shownText, wcsnlen(state.shownText, 1024)) == shownText;
        if (!matches) {
            if (!IsWindow(balloon)) return std::nullopt;  // freed while we read it
            Fail(
                "cannot read the balloon title: no TTM_GETTITLE, and the tooltip's state is not laid out as in "
                "Wine's comctl32");
        }
        return state.title ? ReadRemoteString(process_.get(), state.title) : std::wstring();
    }

    UniqueHandle process_;  // declared first: the memory is released before the handle is closed
    RemoteMemory memory_;
};

// ---- reading the tray -----------------------------------------------------------------------------------------

// The text a user sees when hovering over the icon: the tool that one of the tray's tooltips keeps for it.
std::wstring HoverText(TooltipReader& reader, const std::vector<HWND>& tooltips, HWND icon) {
    for (HWND tooltip : tooltips) {
        if (auto text = reader.ToolText(tooltip, icon)) return *text;
    }
    return L"";
}

void AppendShownIcons(HWND tray, std::vector<TrayIconInfo>& icons) {
    std::optional<TooltipReader> reader;  // opened only when there is an icon to read
    std::vector<HWND> tooltips;
    for (HWND child : ChildWindows(tray)) {
        RECT rect{};
        if (!ClassIsOneOf(child, kIconClasses) || !GetWindowRect(child, &rect) || !IconIsShown(child, rect)) continue;
        if (!reader) {
            reader.emplace(ProcessOf(tray));
            tooltips = HoverTooltipsOf(ProcessOf(tray));
        }
        std::wstring tip = HoverText(*reader, tooltips, child);
        if (IsWindow(child)) icons.push_back({child, rect, std::move(tip)});  // not removed while we read
    }
}

void DispatchPendingMessages(bool& quitSeen, WPARAM& quitCode) {
    MSG message{};
    while (!quitSeen && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitSeen = true;
            quitCode = message.wParam;
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

std::vector<TrayIconInfo> ListTrayIcons() {
    std::vector<TrayIconInfo> icons;
    for (HWND window : AllTopLevelWindows()) {
        if (IsWindowVisible(window) && ClassIsOneOf(window, kTrayClasses)) AppendShownIcons(window, icons);
    }
    std::sort(icons.begin(), icons.end(), [](const TrayIconInfo& a, const TrayIconInfo& b) {
        return std::pair(a.screenRect.left, a.screenRect.top) < std::pair(b.screenRect.left, b.screenRect.top);
    });
    return icons;
}

std::optional<TrayIconInfo> FindTrayIcon(const std::wstring& tip) {
    for (TrayIconInfo& icon : ListTrayIcons()) {
        if (icon.tip == tip) return std::move(icon);
    }
    return std::nullopt;
}

std::optional<Balloon> CurrentBalloon() {
    const std::vector<DWORD> trayProcesses = TrayProcesses();
    for (HWND window : AllTopLevelWindows()) {
        const DWORD processId = ProcessOf(window);
        if (!IsShownBalloon(window) ||
            std::find(trayProcesses.begin(), trayProcesses.end(), processId) == trayProcesses.end())
            continue;
        TooltipReader reader(processId);
        const auto text = reader.FirstToolText(window);
        const auto title = text ? reader.Title(window, *text) : std::nullopt;
        if (title) return Balloon{*title, *text};  // otherwise it vanished while being read
    }
    return std::nullopt;
}

bool WaitFor(std::function<bool()> cond, DWORD timeoutMs, DWORD stepMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    bool quitSeen = false;
    WPARAM quitCode = 0;
    bool met = false;
    for (;;) {
        DispatchPendingMessages(quitSeen, quitCode);
        met = cond();
        const ULONGLONG now = GetTickCount64();
        if (met || now >= deadline) break;
        const auto wait = static_cast<DWORD>(std::min<ULONGLONG>(std::max<DWORD>(stepMs, 1), deadline - now));
        if (quitSeen) {
            Sleep(wait);  // the caller's loop must still see WM_QUIT, so stop taking messages
        } else {
            MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
    }
    if (quitSeen) PostQuitMessage(static_cast<int>(quitCode));
    return met;
}

void DoubleClickTrayIcon(const TrayIconInfo& icon) {
    RECT rect{};  // where the icon is now: others may have moved it since it was listed
    if (!IsWindow(icon.iconWindow) || !GetWindowRect(icon.iconWindow, &rect)) Fail("the tray icon to click is gone");
    const POINT at = CentreOf(rect);
    if (!MoveMouseTo(at)) Fail("the mouse did not reach the tray icon");
    const HWND under = WindowFromPoint(at);
    if (under != icon.iconWindow) {
        Fail("the tray icon is covered by a window of class \"" + Utf8(ClassName(under)) + "\"");
    }
    LeftClickAt(at);
    Sleep(std::min<UINT>(GetDoubleClickTime() / 5, 100));  // a human pause, well inside the double-click time
    LeftClickAt(at);
}

}  // namespace korimo::test
