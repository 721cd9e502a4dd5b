#include "site/Csv.h"

namespace velk {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Walks the text keeping the line and the column (in characters: UTF-8 continuation bytes do not
// count) of the next byte.
class Cursor {
public:
    explicit Cursor(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek(size_t ahead = 0) const { return m_pos + ahead < m_text.size() ? m_text[m_pos + ahead] : '\0'; }
    int line() const { return m_line; }
    int column() const { return m_column; }

    void advance() {
        const char c = m_text[m_pos++];
        if (c == '\n') {
            ++m_line;
            m_column = 1;
        } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++m_column;
        }
    }
    // LF or CRLF here.
    bool atLineEnd() const { return peek() == '\n' || (peek() == '\r' && peek(1) == '\n'); }
    void skipLineEnd() {
        if (peek() == '\r') {
            advance();
        }
        advance();
    }
    void skipBlanks() {
        while (!atEnd() && isBlank(peek())) {
            advance();
        }
    }
    // Whether the line from here holds nothing but blanks, or is a comment.
    bool restOfLineIsEmptyOrComment() const {
        size_t pos = m_pos;
        while (pos < m_text.size() && isBlank(m_text[pos])) {
            ++pos;
        }
        if (pos >= m_text.size() || m_text[pos] == '\n' || m_text[pos] == '#') {
            return true;
        }
        return m_text[pos] == '\r' && pos + 1 < m_text.size() && m_text[pos + 1] == '\n';
    }
    void skipLine() {
        while (!atEnd() && peek() != '\n') {
            advance();
        }
        if (!atEnd()) {
            advance();
        }
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
    int m_line = 1;
    int m_column = 1;
};

// Reads one field starting at the cursor (blanks before it already skipped); leaves the cursor on
// the comma or line end after it, or at the end.
std::variant<CsvField, CsvError> readField(Cursor& cursor) {
    CsvField field;
    field.line = cursor.line();
    field.column = cursor.column();
    if (cursor.peek() == '"') {
        cursor.advance();
        for (;;) {
            if (cursor.atEnd()) {
                return CsvError{field.line, field.column, "the quote opened here is never closed"};
            }
            const char c = cursor.peek();
            cursor.advance();
            if (c != '"') {
                field.text += c;
            } else if (cursor.peek() == '"') {
                field.text += '"';
                cursor.advance();
            } else {
                break;
            }
        }
        cursor.skipBlanks();
        if (!cursor.atEnd() && cursor.peek() != ',' && !cursor.atLineEnd()) {
            return CsvError{cursor.line(), cursor.column(),
                            "text after the closing quote of a field (a quote inside a quoted field is "
                            "written twice: \"\")"};
        }
        return field;
    }
    while (!cursor.atEnd() && cursor.peek() != ',' && !cursor.atLineEnd()) {
        if (cursor.peek() == '"') {
            return CsvError{cursor.line(), cursor.column(),
                            "a quote inside an unquoted field (put the whole field in quotes and write "
                            "the quote twice)"};
        }
        field.text += cursor.peek();
        cursor.advance();
    }
    while (!field.text.empty() && isBlank(field.text.back())) {
        field.text.pop_back();
    }
    return field;
}

}  // namespace

std::variant<std::vector<CsvRecord>, CsvError> readCsv(std::string_view text) {
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    std::vector<CsvRecord> records;
    Cursor cursor(text);
    while (!cursor.atEnd()) {
        if (cursor.restOfLineIsEmptyOrComment()) {
            cursor.skipLine();
            continue;
        }
        CsvRecord record;
        record.line = cursor.line();
        for (;;) {
            cursor.skipBlanks();
            std::variant<CsvField, CsvError> field = readField(cursor);
            if (auto* error = std::get_if<CsvError>(&field)) {
                return *error;
            }
            record.fields.push_back(std::move(std::get<CsvField>(field)));
            if (cursor.peek() == ',') {
                cursor.advance();
                continue;
            }
            if (!cursor.atEnd()) {
                cursor.skipLineEnd();
            }
            break;
        }
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace velk
