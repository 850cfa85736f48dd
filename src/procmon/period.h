// The check period typed into the period box.
#pragma once

#include <string_view>

namespace korimo::procmon {

// The number at the start of the text, as the box has always read it: blanks before and inside it skipped,
// a point as the decimal separator, an exponent allowed, the number ending at the first character that cannot
// continue it, 0 when the text does not start with one. Rounded to the nearest integer, halves to the even
// neighbour; then kept within 0 to 65535, the periods a timer can take. 0 stops the automatic checks.
unsigned ParsePeriod(std::wstring_view text);

} // namespace korimo::procmon
