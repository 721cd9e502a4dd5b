#include <gtest/gtest.h>

#include "site/Csv.h"

namespace velk {
namespace {

std::vector<std::vector<std::string>> texts(std::string_view csv) {
    auto read = readCsv(csv);
    EXPECT_TRUE(std::holds_alternative<std::vector<CsvRecord>>(read))
        << std::get<CsvError>(read).what << " at " << std::get<CsvError>(read).line;
    std::vector<std::vector<std::string>> rows;
    if (const auto* records = std::get_if<std::vector<CsvRecord>>(&read)) {
        for (const CsvRecord& record : *records) {
            rows.emplace_back();
            for (const CsvField& field : record.fields) {
                rows.back().push_back(field.text);
            }
        }
    }
    return rows;
}

using Rows = std::vector<std::vector<std::string>>;

TEST(CsvTest, ReadsWhatRfc4180Writes) {
    struct Case {
        const char* name;
        std::string csv;
        Rows rows;
    };
    const std::vector<Case> cases = {
        {"plain", "a,b,c\n1,2,3\n", {{"a", "b", "c"}, {"1", "2", "3"}}},
        {"CRLF and no final line end", "a,b\r\n1,2", {{"a", "b"}, {"1", "2"}}},
        {"empty cells", ",x,\n", {{"", "x", ""}}},
        {"quoted comma", "\"Lobby, east\",b\n", {{"Lobby, east", "b"}}},
        {"doubled quote", "\"say \"\"hi\"\"\",b\n", {{"say \"hi\"", "b"}}},
        {"line break inside quotes", "\"two\nlines\",b\r\nc,d\n", {{"two\nlines", "b"}, {"c", "d"}}},
        {"empty quoted field", "\"\",b\n", {{"", "b"}}},
        {"blanks around fields and quotes", "  a , \"b c\"  ,c\t\n", {{"a", "b c", "c"}}},
        {"blank and comment lines", "# site\n\n  \n a,b\n  # later\n#,,\nc,d\n", {{"a", "b"}, {"c", "d"}}},
        {"a hash inside a field is text", "a#1,\"#2\"\n", {{"a#1", "#2"}}},
        {"a hash line inside quotes is text", "\"x\n# not a comment\",y\n", {{"x\n# not a comment", "y"}}},
        {"byte order mark", "\xEF\xBB\xBFname,panel\n", {{"name", "panel"}}},
        {"UTF-8 text", "\xE5\xA4\xA7\xE5\x8E\x85,1\n", {{"\xE5\xA4\xA7\xE5\x8E\x85", "1"}}},
        {"nothing", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(texts(c.csv), c.rows);
    }
}

TEST(CsvTest, RecordsKnowWhereTheyBegin) {
    auto read = readCsv("# comment\n\"a\nb\",x\n\n\xE5\xA4\xA7,  y\n");
    ASSERT_TRUE(std::holds_alternative<std::vector<CsvRecord>>(read));
    const auto& records = std::get<std::vector<CsvRecord>>(read);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].line, 2);
    EXPECT_EQ(records[0].fields[1].line, 3);
    EXPECT_EQ(records[0].fields[1].column, 4);
    EXPECT_EQ(records[1].line, 5);
    // Columns count characters, not bytes: the three-byte character is one.
    EXPECT_EQ(records[1].fields[1].column, 5);
}

TEST(CsvTest, ErrorsNameTheirLineAndColumn) {
    struct Case {
        const char* name;
        std::string csv;
        int line;
        int column;
        std::string what;
    };
    const std::vector<Case> cases = {
        {"quote never closed", "a,b\nc,\"d\ne\n", 2, 3, "never closed"},
        {"quote inside an unquoted field", "a,b\"c\n", 1, 4, "a quote inside an unquoted field"},
        {"text after the closing quote", "\"a\"b,c\n", 1, 4, "after the closing quote"},
        {"text after a closing quote on a later line", "x\n\"a\nb\" c,d\n", 3, 4, "after the closing quote"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto read = readCsv(c.csv);
        ASSERT_TRUE(std::holds_alternative<CsvError>(read));
        const CsvError& error = std::get<CsvError>(read);
        EXPECT_EQ(error.line, c.line);
        EXPECT_EQ(error.column, c.column);
        EXPECT_NE(error.what.find(c.what), std::string::npos) << error.what;
    }
}

}  // namespace
}  // namespace velk
