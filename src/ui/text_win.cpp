#include "ui/text_win.h"

#include "ui/handle.h"

namespace korimo::ui {

std::string ToCodePage(std::wstring_view text, UINT codePage) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, converted.data(), bytes, nullptr, nullptr);
    return converted;
}

bool FitsCodePage(std::wstring_view text, UINT codePage) {
    if (text.empty()) return true;
    BOOL lost = FALSE;
    const int bytes = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                          nullptr, 0, nullptr, &lost);
    return bytes > 0 && !lost;
}

std::wstring FromCodePage(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), length);
    return text;
}

std::string ToAnsi(std::wstring_view text) { return ToCodePage(text, CP_ACP); }

bool FitsAnsi(std::wstring_view text) { return FitsCodePage(text, CP_ACP); }

std::wstring WindowTextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

namespace {
void FreeLocal(wchar_t* text) { LocalFree(text); }
} // namespace

std::wstring SystemMessage(DWORD error) {
    Owned<wchar_t*, &FreeLocal> buffer; // the system allocates it
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t*>(buffer.Receive()), 0, nullptr);
    std::wstring message = length ? std::wstring(buffer.Get(), length) : L"错误代码 " + std::to_wstring(error);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return message;
}

void ShowFailure(HWND owner, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), L"Korimo", MB_OK | MB_ICONERROR);
}

} // namespace korimo::ui
