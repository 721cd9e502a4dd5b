#include "sim/CommandFramer.h"

#include <algorithm>

#include "sim/CommandGrammar.h"

namespace velk::sim {
namespace {

bool mayStartCommand(char c) {
    return c == 'Q' || c == 'b' || c == 's' || c == 'a';
}

}  // namespace

const char* commandKindName(CommandKind kind) {
    switch (kind) {
        case CommandKind::IntoEdit:
            return "enter edit";
        case CommandKind::ClearKeys:
            return "clear keys";
        case CommandKind::ExitEdit:
            return "exit edit";
        case CommandKind::EventHeader:
            return "event header";
        case CommandKind::KeyEdit:
            return "key edit";
        case CommandKind::AddAct:
            return "add event";
        case CommandKind::BindIr:
            return "infrared action";
        case CommandKind::BindIo:
            return "IO action";
        case CommandKind::BindRelay:
            return "relay action";
        case CommandKind::SetCode:
            return "data";
        case CommandKind::SetVoid:
            return "blank";
        case CommandKind::SetDest:
            return "destination";
        case CommandKind::SetTime:
            return "event time";
        case CommandKind::SetMode:
            return "append setting";
        case CommandKind::SetEnum:
            return "enumerated variable";
        case CommandKind::SetVar:
            return "variable";
        case CommandKind::SetSer:
            return "network target";
        case CommandKind::GetEnum:
            return "read enumerated variable";
        case CommandKind::GetVar:
            return "read variable";
        case CommandKind::GetSer:
            return "read network target";
        case CommandKind::GetLan:
            return "read panel network";
        case CommandKind::SetIp:
            return "set IP address";
        case CommandKind::SetSubm:
            return "set subnet mask";
        case CommandKind::SetGate:
            return "set gateway";
        case CommandKind::SetMac:
            return "set MAC address";
        case CommandKind::LearnIr:
            return "learn infrared";
        case CommandKind::SendIr:
            return "send infrared";
        case CommandKind::Unknown:
            break;
    }
    return "unknown";
}

void CommandFramer::feed(std::string_view bytes) {
    m_buffer.append(bytes);
}

std::optional<ParsedCommand> CommandFramer::next(bool quiet) {
    if (m_buffer.empty()) {
        return std::nullopt;
    }
    std::optional<ParsedCommand> command = nextIn(m_buffer, quiet);
    if (!command && m_buffer.size() >= kMaxUnit) {
        command = nextIn(std::string_view(m_buffer).substr(0, kMaxUnit), true);
    }
    return command;
}

std::optional<ParsedCommand> CommandFramer::nextIn(std::string_view buffer, bool quiet) {
    ParsedCommand command;
    CommandMatch front = matchCommand(buffer, quiet, command);
    if (front.status == MatchStatus::Short) {
        return std::nullopt;
    }
    if (front.status == MatchStatus::Ok && front.tail == kNoTail) {
        return take(front.end);
    }
    // A free text, or bytes no command matches, run up to the next complete known command.
    size_t from = front.status == MatchStatus::Ok ? front.tail : 1;
    for (size_t p = std::max(from, m_searchFrom); p < buffer.size(); ++p) {
        if (!mayStartCommand(buffer[p])) {
            continue;
        }
        ParsedCommand probe;
        MatchStatus status = matchCommand(buffer.substr(p), quiet, probe).status;
        if (status == MatchStatus::Ok) {
            return take(p);
        }
        if (status == MatchStatus::Short) {
            m_searchFrom = p;
            return std::nullopt;
        }
    }
    if (quiet) {
        return take(buffer.size());
    }
    m_searchFrom = buffer.size();
    return std::nullopt;
}

ParsedCommand CommandFramer::take(size_t length) {
    ParsedCommand command = parseCommand(std::string_view(m_buffer).substr(0, length));
    m_buffer.erase(0, length);
    m_searchFrom = 0;
    return command;
}

ParsedCommand parseCommand(std::string_view bytes) {
    ParsedCommand command;
    CommandMatch match = matchCommand(bytes, true, command);
    if (match.status != MatchStatus::Ok || (match.tail == kNoTail && match.end != bytes.size())) {
        command = ParsedCommand{};
    } else if (match.tail != kNoTail) {
        command.text.assign(bytes.substr(match.tail));
    }
    command.bytes.assign(bytes);
    return command;
}

}  // namespace velk::sim
