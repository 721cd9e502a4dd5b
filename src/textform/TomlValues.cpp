#include "textform/TomlValues.h"

#include <toml++/toml.h>
#include <sstream>

#include "action/TextRules.h"
#include "model/Gbk.h"
#include "model/StrPrintf.h"

namespace velk::text {

std::string tomlString(std::string_view utf8) {
    // Basic strings only, escapes where TOML needs them, every other character as it is: the same
    // text always gives the same bytes.
    std::ostringstream out;
    toml::value<std::string> value{std::string(utf8)};
    out << toml::toml_formatter(value, toml::format_flags::allow_unicode_strings);
    return out.str();
}

std::string tomlInteger(int64_t value) {
    return strprintf("%lld", static_cast<long long>(value));
}

std::optional<std::string> exactUtf8(std::string_view gbk) {
    if (gbk.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    std::optional<std::string> utf8 = gbkToUtf8(gbk);
    if (!utf8) {
        return std::nullopt;
    }
    std::optional<std::string> back = utf8ToGbk(*utf8);
    if (!back || *back != gbk) {
        return std::nullopt;
    }
    return utf8;
}

std::string tomlText(std::string_view gbk) {
    if (std::optional<std::string> utf8 = exactUtf8(gbk)) {
        return tomlString(*utf8);
    }
    std::vector<uint8_t> bytes(gbk.begin(), gbk.end());
    return std::string("{ ") + kBytesKey + " = " + tomlString(hexNormalForm(bytes)) + " }";
}

std::string tomlChoice(const Choice& choice, int32_t position) {
    if (const std::string* label = choice.label(position)) {
        return tomlString(*label);
    }
    return std::string("{ ") + kPositionKey + " = " + tomlInteger(position) + " }";
}

std::string tomlFlag(int32_t value) {
    if (value == 0 || value == 1) {
        return value == 1 ? "true" : "false";
    }
    return tomlInteger(value);
}

std::string tomlChannels(int32_t bits) {
    std::string text = "[";
    const auto pattern = static_cast<uint32_t>(bits);
    for (int k = 0; k < 32; ++k) {
        if ((pattern >> k) & 1u) {
            text += (text.size() > 1 ? ", " : "") + tomlInteger(k + 1);
        }
    }
    return text + "]";
}

}  // namespace velk::text
