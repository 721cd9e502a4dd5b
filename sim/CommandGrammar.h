#pragma once

#include <cstddef>
#include <string_view>

#include "sim/CommandFramer.h"

// The grammar of every command the panel knows, read from the start of a text; the framer cuts the
// stream with it.
namespace velk::sim {

enum class MatchStatus {
    Ok,     // a command's grammar matched
    Short,  // the bytes so far could still become a command
    Bad,    // no command begins here
};

constexpr size_t kNoTail = std::string_view::npos;

struct CommandMatch {
    MatchStatus status = MatchStatus::Bad;
    size_t end = 0;         // end of the grammar's part
    size_t tail = kNoTail;  // where a free text begins, when the command ends in one
};

// Matches the command at the start of text and fills out with what its grammar reads. With final
// set nothing more will come, so running out of bytes is a mismatch rather than Short.
CommandMatch matchCommand(std::string_view text, bool final, ParsedCommand& out);

}  // namespace velk::sim
