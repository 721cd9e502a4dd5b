#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace velk::ui {

// The leading decimal integer of a text, read from at most maxChars characters: 0 when the text
// does not start with a number. Values beyond int32 saturate instead of wrapping.
struct LeadingIntOptions {
    int maxChars = 99;
    bool allowSign = true;
    bool skipLeadingSpace = true;
};
int32_t leadingInteger(const QString& text, LeadingIntOptions options = {});

}  // namespace velk::ui
