#pragma once

#include <toml++/toml.h>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "textform/TextReader.h"
#include "textform/Vocabulary.h"

// What the readers of the text form share: the problems found so far with their places, and typed
// access to the values of one table.
namespace velk::text {

class ReadContext {
public:
    explicit ReadContext(std::string_view document);

    void error(const toml::source_region& where, std::string message);
    void warning(const toml::source_region& where, std::string message);
    void problem(Severity severity, int line, int column, std::string message);
    std::vector<Problem> takeProblems();
    bool hasErrors() const;

    // The typed readers report a wrong type or a value out of range as an error and return nothing.
    // `key` names the value in messages.
    std::optional<int32_t> int32(const toml::node& node, std::string_view key, int64_t offset = 0,
                                 const char* typeMessage = nullptr);
    std::optional<int32_t> choice(const toml::node& node, std::string_view key, const Choice& choice);
    std::optional<int32_t> flag(const toml::node& node, std::string_view key);
    std::optional<int32_t> channels(const toml::node& node, std::string_view key);
    std::optional<uint32_t> ip(const toml::node& node, std::string_view key);
    std::optional<int32_t> port(const toml::node& node, std::string_view key);
    std::optional<std::string> string(const toml::node& node, std::string_view key);
    // A text as GBK bytes: a string, or { bytes = "..." }. `refusal` gives the message for a
    // character GBK cannot hold, from that character.
    using GbkRefusal = std::function<std::string(std::string_view character)>;
    std::optional<std::string> text(const toml::node& node, std::string_view key, const GbkRefusal& refusal);

    // A warning unless the choice list holds the position.
    void warnOutside(const toml::node& node, std::string_view key, const Choice& choice, int32_t position);
    // A warning unless first <= value <= last; shown is the number as the text writes it.
    void warnOutside(const toml::node& node, std::string_view key, int64_t shown, int64_t first,
                     int64_t last);

private:
    // Where in the text a character of a string value stands, when it is written there as it is.
    std::optional<std::pair<int, int>> locate(const toml::source_region& where,
                                              std::string_view character) const;
    size_t offsetOf(const toml::source_position& position) const;

    std::string_view m_document;
    std::vector<size_t> m_lineStarts;
    std::vector<Problem> m_problems;
};

// The values of one table, each taken at most once; finish() reports the keys nobody took.
class TableKeys {
public:
    TableKeys(ReadContext& context, const toml::table& table, std::string what);
    const toml::node* take(std::string_view key);
    // An error naming the table when the key is missing.
    const toml::node* require(std::string_view key);
    void finish();
    const toml::table& table() const { return m_table; }

private:
    ReadContext& m_context;
    const toml::table& m_table;
    std::string m_what;
    std::set<std::string, std::less<>> m_taken;
};

// A table's array of tables under `key` ("[[enum]]"), or nothing after an error.
std::vector<const toml::table*> tablesOf(ReadContext& context, const toml::node& node, std::string_view key);

}  // namespace velk::text
