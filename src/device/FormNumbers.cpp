#include "device/FormNumbers.h"

#include <cctype>

namespace velk {

long long leadingDecimal(const std::string& text) {
    long long value = 0;
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 1000000000LL) {
            return value;
        }
    }
    return value;
}

}  // namespace velk
