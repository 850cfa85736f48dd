// The event log: one growing text, owned by the program. The two edit controls of the log window are views of
// it; everything that reads the log (the repeat check of the file monitor, the saves) reads this.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korimo::alerts {

class LogModel {
public:
    // The three header lines every log starts with: 30 em dashes, "Korimo日志", 30 em dashes, each ended by CR LF.
    static std::wstring Header();

    LogModel() : text_(Header()) {}

    // Adds a finished entry at the bottom, unchanged: the callers end every line, the last too, with CR LF.
    void Append(std::wstring_view entry) { text_.append(entry); }

    const std::wstring& Text() const { return text_; }
    std::size_t Size() const { return text_.size(); }

    // The end of the log, without copying it.
    bool EndsWith(std::wstring_view tail) const { return std::wstring_view(text_).ends_with(tail); }
    // What came after `offset`: the part a view has not shown yet.
    std::wstring_view Since(std::size_t offset) const {
        return offset < text_.size() ? std::wstring_view(text_).substr(offset) : std::wstring_view();
    }

private:
    std::wstring text_;
};

} // namespace korimo::alerts
