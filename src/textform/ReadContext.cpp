#include "textform/ReadContext.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "action/TextRules.h"
#include "device/PanelAddress.h"
#include "device/PanelLink.h"
#include "model/Gbk.h"
#include "model/StrPrintf.h"
#include "rules/RuleMessages.h"
#include "textform/TomlValues.h"

namespace velk::text {

namespace {

bool isUtf8Lead(char c) {
    return (static_cast<unsigned char>(c) & 0xc0u) != 0x80u;
}

// Pieces of exactly two hex digits separated by blanks.
std::optional<std::string> hexBytes(std::string_view text) {
    std::string bytes;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        if (i + 1 >= text.size() || !isHexDigit(text[i]) || !isHexDigit(text[i + 1]) ||
            (i + 2 < text.size() && text[i + 2] != ' ')) {
            return std::nullopt;
        }
        bytes += static_cast<char>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16));
        i += 2;
    }
    return bytes;
}

}  // namespace

ReadContext::ReadContext(std::string_view document) : m_document(document) {
    m_lineStarts.push_back(0);
    for (size_t i = 0; i < document.size(); ++i) {
        if (document[i] == '\n') {
            m_lineStarts.push_back(i + 1);
        }
    }
}

void ReadContext::problem(Severity severity, int line, int column, std::string message) {
    m_problems.push_back({severity, line, column, std::move(message)});
}

void ReadContext::error(const toml::source_region& where, std::string message) {
    problem(Severity::Error, static_cast<int>(where.begin.line), static_cast<int>(where.begin.column),
            std::move(message));
}

void ReadContext::warning(const toml::source_region& where, std::string message) {
    problem(Severity::Warning, static_cast<int>(where.begin.line), static_cast<int>(where.begin.column),
            std::move(message));
}

std::vector<Problem> ReadContext::takeProblems() {
    std::stable_sort(m_problems.begin(), m_problems.end(), [](const Problem& a, const Problem& b) {
        return std::tie(a.line, a.column) < std::tie(b.line, b.column);
    });
    return std::move(m_problems);
}

bool ReadContext::hasErrors() const {
    return std::any_of(m_problems.begin(), m_problems.end(),
                       [](const Problem& p) { return p.severity == Severity::Error; });
}

std::optional<int32_t> ReadContext::int32(const toml::node& node, std::string_view key, int64_t offset,
                                          const char* typeMessage) {
    const auto* value = node.as_integer();
    if (value == nullptr) {
        error(node.source(),
              typeMessage != nullptr ? std::string(typeMessage) : std::string(key) + " must be an integer");
        return std::nullopt;
    }
    const int64_t written = value->get();
    // Offsets are 0 or 1, so the subtraction cannot overflow past the checks below.
    if (written == std::numeric_limits<int64_t>::min() || written - offset < INT32_MIN ||
        written - offset > INT32_MAX) {
        error(node.source(), strprintf("%s: %lld does not fit in 32 bits", std::string(key).c_str(),
                                       static_cast<long long>(written)));
        return std::nullopt;
    }
    return static_cast<int32_t>(written - offset);
}

std::optional<int32_t> ReadContext::choice(const toml::node& node, std::string_view key, const Choice& list) {
    if (const auto* label = node.as_string()) {
        if (std::optional<int32_t> position = list.position(label->get())) {
            return position;
        }
        error(node.source(), strprintf("%s: \"%s\" is not one of %s", std::string(key).c_str(),
                                       label->get().c_str(), list.listed().c_str()));
        return std::nullopt;
    }
    // A bare number is refused: "baudrate = 9600" would be the 9601st entry, not 9600 baud. A
    // position no entry has (files of other programs hold them) is written { position = N }.
    if (const auto* number = node.as_integer()) {
        const std::string written = std::to_string(number->get());
        error(
            node.source(),
            list.position(written)
                ? strprintf("%s must be one of %s — write it in quotes: \"%s\"", std::string(key).c_str(),
                            list.listed().c_str(), written.c_str())
                : strprintf("%s must be one of %s, not a number (a stored position no entry has is "
                            "written { %s = %s })",
                            std::string(key).c_str(), list.listed().c_str(), kPositionKey, written.c_str()));
        return std::nullopt;
    }
    if (const auto* table = node.as_table()) {
        const toml::node* position = table->get(kPositionKey);
        if (position != nullptr && table->size() == 1) {
            return int32(*position, key);
        }
    }
    error(node.source(), strprintf("%s must be one of %s, or { %s = N } for a stored position",
                                   std::string(key).c_str(), list.listed().c_str(), kPositionKey));
    return std::nullopt;
}

std::optional<int32_t> ReadContext::flag(const toml::node& node, std::string_view key) {
    if (const auto* value = node.as_boolean()) {
        return value->get() ? 1 : 0;
    }
    if (node.is_integer()) {
        return int32(node, key);
    }
    error(node.source(), std::string(key) + " must be true, false or a stored number");
    return std::nullopt;
}

std::optional<int32_t> ReadContext::channels(const toml::node& node, std::string_view key) {
    const auto* list = node.as_array();
    if (list == nullptr) {
        error(node.source(), std::string(key) + " must be a list of channel numbers, such as [1, 3]");
        return std::nullopt;
    }
    uint32_t bits = 0;
    bool ok = true;
    for (const toml::node& element : *list) {
        const auto* number = element.as_integer();
        if (number == nullptr || number->get() < 1 || number->get() > 32) {
            error(element.source(), std::string(key) + ": a channel is a number from 1 to 32");
            ok = false;
            continue;
        }
        const uint32_t bit = 1u << (number->get() - 1);
        if ((bits & bit) != 0) {
            error(element.source(), strprintf("%s: channel %lld is listed twice", std::string(key).c_str(),
                                              static_cast<long long>(number->get())));
            ok = false;
        }
        bits |= bit;
    }
    if (!ok) {
        return std::nullopt;
    }
    return static_cast<int32_t>(bits);
}

std::optional<uint32_t> ReadContext::ip(const toml::node& node, std::string_view key) {
    uint32_t address = 0;
    if (const auto* text = node.as_string(); text != nullptr && parseDottedAddress(text->get(), address)) {
        return address;
    }
    error(node.source(), std::string(key) + " must be an IPv4 address such as \"192.168.1.20\"");
    return std::nullopt;
}

std::optional<int32_t> ReadContext::port(const toml::node& node, std::string_view key) {
    std::optional<int32_t> value = int32(node, key, 0, rules::kNotAnInteger);
    if (value && (*value < 0 || *value > 0xffff)) {
        error(node.source(),
              strprintf("%s: %d is not a port (0 to 65535)", std::string(key).c_str(), *value));
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> ReadContext::string(const toml::node& node, std::string_view key) {
    if (const auto* value = node.as_string()) {
        return value->get();
    }
    error(node.source(), std::string(key) + " must be a string");
    return std::nullopt;
}

std::optional<std::string> ReadContext::text(const toml::node& node, std::string_view key,
                                             const GbkRefusal& refusal) {
    std::optional<std::string> bytes;
    if (const auto* value = node.as_string()) {
        const std::string& utf8 = value->get();
        if (utf8.find('\0') != std::string::npos) {
            error(node.source(), std::string(key) + ": a text cannot hold U+0000");
            return std::nullopt;
        }
        bytes = utf8ToGbk(utf8);
        if (!bytes) {
            size_t i = 0;
            std::string character;
            // The first character GBK cannot hold, and where it is written.
            while (i < utf8.size()) {
                size_t length = 1;
                while (i + length < utf8.size() && !isUtf8Lead(utf8[i + length])) {
                    ++length;
                }
                if (!utf8ToGbk(std::string_view(utf8).substr(i, length))) {
                    character = utf8.substr(i, length);
                    break;
                }
                i += length;
            }
            std::optional<std::pair<int, int>> at = locate(node.source(), character);
            if (at) {
                problem(Severity::Error, at->first, at->second, refusal(character));
            } else {
                error(node.source(), refusal(character));
            }
            return std::nullopt;
        }
    } else if (const auto* table = node.as_table()) {
        const toml::node* hex = table->get(kBytesKey);
        if (table->size() != 1 || hex == nullptr || !hex->is_string()) {
            error(node.source(), std::string(key) + ": a text in bytes is written { bytes = \"d6 d0 ff\" }");
            return std::nullopt;
        }
        bytes = hexBytes(hex->as_string()->get());
        if (!bytes) {
            error(hex->source(), std::string(key) + ": bytes are two-digit hex numbers separated by spaces");
            return std::nullopt;
        }
        if (bytes->find('\0') != std::string::npos) {
            error(hex->source(), std::string(key) + ": a text cannot hold the byte 00");
            return std::nullopt;
        }
    } else {
        error(node.source(), std::string(key) + " must be a string or { bytes = \"...\" }");
        return std::nullopt;
    }
    if (bytes->size() > kMaxCommandLength) {
        error(node.source(), strprintf("%s: %zu bytes, more than the %zu of the longest command the panel "
                                       "takes",
                                       std::string(key).c_str(), bytes->size(), kMaxCommandLength));
        return std::nullopt;
    }
    return bytes;
}

void ReadContext::warnOutside(const toml::node& node, std::string_view key, const Choice& list,
                              int32_t position) {
    if (!list.holds(position)) {
        warning(node.source(), strprintf("%s: %d is not an entry of the form's list (%s)",
                                         std::string(key).c_str(), position, list.listed().c_str()));
    }
}

void ReadContext::warnOutside(const toml::node& node, std::string_view key, int64_t shown, int64_t first,
                              int64_t last) {
    if (shown < first || shown > last) {
        warning(node.source(), strprintf("%s: %lld is outside %lld~%lld, which the form offers",
                                         std::string(key).c_str(), static_cast<long long>(shown),
                                         static_cast<long long>(first), static_cast<long long>(last)));
    }
}

size_t ReadContext::offsetOf(const toml::source_position& position) const {
    if (position.line == 0 || position.line > m_lineStarts.size()) {
        return m_document.size();
    }
    // Columns count characters, as the parser counts them.
    size_t offset = m_lineStarts[position.line - 1];
    for (uint32_t column = 1; column < position.column && offset < m_document.size(); ++column) {
        if (m_document[offset] == '\n') {
            break;
        }
        ++offset;
        while (offset < m_document.size() && !isUtf8Lead(m_document[offset])) {
            ++offset;
        }
    }
    return offset;
}

std::optional<std::pair<int, int>> ReadContext::locate(const toml::source_region& where,
                                                       std::string_view character) const {
    const size_t begin = offsetOf(where.begin);
    const size_t end = std::max(begin, offsetOf(where.end));
    const size_t found = m_document.substr(0, end).find(character, begin);
    if (character.empty() || found == std::string_view::npos) {
        return std::nullopt;
    }
    const auto line = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), found) - 1;
    int column = 1;
    for (size_t i = *line; i < found; ++i) {
        if (isUtf8Lead(m_document[i])) {
            ++column;
        }
    }
    return std::make_pair(static_cast<int>(line - m_lineStarts.begin()) + 1, column);
}

TableKeys::TableKeys(ReadContext& context, const toml::table& table, std::string what)
    : m_context(context), m_table(table), m_what(std::move(what)) {}

const toml::node* TableKeys::take(std::string_view key) {
    m_taken.emplace(key);
    return m_table.get(key);
}

const toml::node* TableKeys::require(std::string_view key) {
    const toml::node* node = take(key);
    if (node == nullptr) {
        m_context.error(m_table.source(), m_what + " needs " + std::string(key));
    }
    return node;
}

void TableKeys::finish() {
    for (const auto& [key, value] : m_table) {
        if (m_taken.count(key.str()) == 0) {
            m_context.error(key.source(), "unknown key " + std::string(key.str()) + " in " + m_what);
        }
    }
}

std::vector<const toml::table*> tablesOf(ReadContext& context, const toml::node& node, std::string_view key) {
    std::vector<const toml::table*> tables;
    const auto* list = node.as_array();
    if (list == nullptr) {
        context.error(node.source(),
                      std::string(key) + " must be an array of tables: [[" + std::string(key) + "]]");
        return tables;
    }
    for (const toml::node& element : *list) {
        if (const auto* table = element.as_table()) {
            tables.push_back(table);
        } else {
            context.error(element.source(), "each " + std::string(key) + " must be a table");
        }
    }
    return tables;
}

}  // namespace velk::text
