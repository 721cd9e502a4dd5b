#pragma once

#include <string>

namespace velk::test {

// Runs the sqlite3 command-line program on a database file, so tests check files with a reader
// that is not our own. The script goes in through stdin; returns stdout ("-batch -noheader",
// columns separated by '|'). exitStatus, when given, receives the program's exit status.
std::string runSqlite3(const std::string& databasePath, const std::string& script, int* exitStatus = nullptr);

}  // namespace velk::test
