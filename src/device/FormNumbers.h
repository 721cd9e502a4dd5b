#pragma once

#include <string>

namespace velk {

// A number typed into one of the panel's edits (ports, infrared id): the leading decimal digits
// after any white space, no sign; 0 when there are none. Huge texts stop growing past 10^9, so they
// compare as out of range without overflowing.
long long leadingDecimal(const std::string& text);

}  // namespace velk
