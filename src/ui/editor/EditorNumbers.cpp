#include "ui/editor/EditorNumbers.h"

#include <limits>

namespace velk::ui {
namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

}  // namespace

int32_t leadingInteger(const QString& text, LeadingIntOptions options) {
    const qsizetype end = std::min<qsizetype>(text.size(), options.maxChars);
    qsizetype i = 0;
    if (options.skipLeadingSpace) {
        while (i < end && text[i].isSpace()) {
            ++i;
        }
    }
    bool negative = false;
    if (options.allowSign && i < end && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t value = 0;
    for (; i < end && isDigit(text[i]); ++i) {
        value = std::min<int64_t>(value * 10 + (text[i].unicode() - '0'), kLimit);
    }
    if (negative) {
        return static_cast<int32_t>(-value);
    }
    return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

}  // namespace velk::ui
