#pragma once

#include <string>

namespace velk::test {

// Makes a project file as velkctl new does and fills it with everything a file can hold: every
// function and blank kind, GBK texts, quotes, "$hh" escapes, bytes that are not GBK, Hex with
// trailing blanks, hidden slots, rows outside the lists, values outside the form's lists. Rows
// are written with the program's own statement texts, as the desktop program or an old file would
// hold them. False when the file could not be made.
bool makeRichProject(const std::string& path);

// The SQL of tests/sim/rich_project.sql followed by the rows only other writers make.
std::string richProjectSql();

// Runs the sqlite3 shell on the file and returns every row of every project table, table by
// table in key order, for comparing two files.
std::string projectRows(const std::string& path);

}  // namespace velk::test
