#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/ConfigModel.h"

namespace velk::text {

// Errors stop an import: the text cannot become a project exactly (not TOML, unknown keys, wrong
// types, bad or duplicate names, numbers beyond 32 bits, characters GBK cannot hold, more values or
// blanks than the file has columns for, ports beyond 16 bits). Warnings name what the desktop
// program would refuse or never produce, with the dialog's own message where it has one; a project
// file can hold them (files of other writers do), so they are imported as they stand.
enum class Severity { Error, Warning };

struct Problem {
    Severity severity = Severity::Error;
    int line = 0;  // 1-based; 0 when the problem has no place in the text
    int column = 0;
    std::string message;  // UTF-8
};

struct TextRead {
    ConfigModel model;              // what the text holds; complete only when there are no errors
    std::vector<Problem> problems;  // in the order of their place in the text

    bool hasErrors() const;
    bool hasProblems() const { return !problems.empty(); }
};

// Reads one text form document (UTF-8 TOML) into a model, applying every rule of the dialogs.
TextRead readText(std::string_view document);

// A fragment of exportActions read back: the actions in their order, with the problems of each.
// Ids are read but mean nothing to a paste, which gives new ones.
struct ActionsRead {
    std::vector<KeyAction> actions;
    std::vector<Problem> problems;

    bool hasErrors() const;
};
ActionsRead readActionsText(std::string_view fragment);

// Documents beyond this size are refused unread.
constexpr size_t kMaxDocumentSize = size_t{32} << 20;

// "FILE:LINE:COLUMN: error: message"
std::string formatProblem(const std::string& file, const Problem& problem);

}  // namespace velk::text
