#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velk {

// One field of a CSV record, with where it begins (1-based line and column, columns counted in
// characters) so a message can point at it.
struct CsvField {
    std::string text;
    int line = 0;
    int column = 0;
};

struct CsvRecord {
    int line = 0;  // where the record begins
    std::vector<CsvField> fields;
};

struct CsvError {
    int line = 0;
    int column = 0;
    std::string what;
};

// Reads comma-separated records as RFC 4180 writes them: records end at LF or CRLF, a field in
// double quotes may hold commas, line breaks and doubled quotes (""). Blanks (spaces, tabs) around
// a field and around its quotes are not part of it, as a hand-edited file has them. Blank lines
// and lines whose first non-blank character is '#' are skipped; a UTF-8 byte order mark at the
// start is ignored.
std::variant<std::vector<CsvRecord>, CsvError> readCsv(std::string_view text);

}  // namespace velk
