#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "model/ConfigModel.h"
#include "project/ProjectReader.h"
#include "textform/TextReader.h"

// What velkctl export, import, check and diff share: reading a text or a project file, and telling
// a text's problems on stderr. Each failure is told on stderr before nothing is returned.
namespace velk::cli {

// The name that stands for standard input (and, for export -o, standard output).
constexpr const char* kStandardStream = "-";

// The file name for messages: "<stdin>" for standard input.
std::string displayName(const std::string& path);

// Whether the file begins with SQLite's header: a project file (never standard input or a pipe).
bool hasProjectHeader(const std::string& path);

// The whole text of a file, or of standard input for "-"; nothing when it cannot be read, is a
// project file, or holds more than a project text can.
std::optional<std::string> readTextFile(const std::string& path);

// Prints the problems on stderr, one per line, with a count (the warnings too unless only errors
// matter); true when the text has no errors.
bool reportProblems(const std::string& path, const text::TextRead& read, bool warnings = true);

// The model of a project file, loaded read-only (see loadProjectReadOnly for missing tables); why
// not on stderr, after where the path came from when that is given ("site.csv: line 3 (project): ").
std::optional<ConfigModel> loadProjectFile(const std::string& path,
                                           MissingTables missing = MissingTables::CountAsEmpty,
                                           const std::string& where = {});

// A project file (SQLite's header, or a name ending in .db) or a text, as a model.
std::optional<ConfigModel> loadProjectOrText(const std::string& path);

bool writeAll(FILE* out, const std::string& bytes);

}  // namespace velk::cli
