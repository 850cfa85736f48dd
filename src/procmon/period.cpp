#include "procmon/period.h"

#include <cmath>
#include <string>

namespace korimo::procmon {

namespace {
bool IsBlank(wchar_t ch) { return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n' || ch == 0x3000; }
bool IsDigit(wchar_t ch) { return ch >= L'0' && ch <= L'9'; }

// The characters of the leading number with the blanks taken out: sign, digits, point, exponent.
std::string LeadingNumber(std::wstring_view text) {
    std::string number;
    bool point = false, exponent = false, digits = false;
    for (wchar_t ch : text) {
        if (IsBlank(ch)) continue;
        const char last = number.empty() ? '\0' : number.back();
        if (IsDigit(ch)) {
            number += static_cast<char>(ch);
            digits = true;
        } else if ((ch == L'+' || ch == L'-') && (number.empty() || last == 'e')) {
            number += static_cast<char>(ch);
        } else if (ch == L'.' && !point && !exponent) {
            number += '.';
            point = true;
        } else if ((ch == L'e' || ch == L'E' || ch == L'd' || ch == L'D') && digits && !exponent) {
            number += 'e';
            exponent = true;
        } else {
            break;
        }
    }
    while (!number.empty() && (number.back() == 'e' || number.back() == '+' || number.back() == '-'))
        number.pop_back(); // "15e" is 15
    return number;
}
} // namespace

unsigned ParsePeriod(std::wstring_view text) {
    const std::string number = LeadingNumber(text);
    double value = 0;
    if (!number.empty() && number != "." && number != "+." && number != "-.") {
        try {
            value = std::stod(number);
        } catch (...) {
            value = number[0] == '-' ? -HUGE_VAL : HUGE_VAL; // out of range for a double: far beyond either end
        }
    }
    const double rounded = std::nearbyint(value); // the default rounding mode: halves to even
    if (!(rounded >= 0)) return 0;
    if (rounded > 65535) return 65535;
    return static_cast<unsigned>(rounded);
}

} // namespace korimo::procmon
