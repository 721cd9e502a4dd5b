#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Splitting the byte stream a panel receives into commands. Commands travel without terminator or
// length, one per TCP send, so a receive may hold part of one or several of them. The framer cuts
// by the grammar of the known commands: most end at a fixed word or "->"; commands ending in a
// number end where the digits end; data, append and enumeration texts run up to the next complete
// known command. What the bytes so far cannot decide waits for more bytes or for the line to go
// quiet (or close), when the rest is taken as it stands.
namespace velk::sim {

enum class CommandKind {
    Unknown,      // bytes no known command matches, kept as one unit
    IntoEdit,     // QM-PANEL-intoEdit
    ClearKeys,    // QM-PANEL-clrkey-FF
    ExitEdit,     // QM-PANEL-exitedit
    EventHeader,  // QM-PANEL-keyedit-%d->addact-<event>->
    KeyEdit,      // QM-PANEL-keyedit-%d-> without its addact part
    AddAct,       // addact-<event>-> on its own
    BindIr,
    BindIo,
    BindRelay,
    SetCode,
    SetVoid,
    SetDest,
    SetTime,
    SetMode,
    SetEnum,
    SetVar,
    SetSer,
    GetEnum,
    GetVar,
    GetSer,
    GetLan,
    SetIp,
    SetSubm,
    SetGate,
    SetMac,
    LearnIr,  // QM-PANEL-leair, usually joined with QM-PANEL-sndir-01-%02d
    SendIr,   // QM-PANEL-sndir-%d-%d on its own
};

const char* commandKindName(CommandKind kind);

// One framed command: its exact bytes and what the grammar read from them.
struct ParsedCommand {
    CommandKind kind = CommandKind::Unknown;
    std::string bytes;
    std::vector<long long> numbers;  // every number in order (octets and MAC bytes included)
    std::vector<std::string> words;  // every choice word in order ("TCP", "hex", "save", "onkeyup" ...)
    std::string text;                // the free text of setcode, setmode and setenum
};

class CommandFramer {
public:
    // A unit that no grammar closes is cut at this length so a hostile stream cannot grow the buffer.
    static constexpr size_t kMaxUnit = 1 << 20;

    void feed(std::string_view bytes);

    // The next command the bytes decide, or nothing until more bytes arrive. With quiet set the
    // line has gone quiet or closed: the bytes held are taken as they stand.
    std::optional<ParsedCommand> next(bool quiet);

    bool empty() const { return m_buffer.empty(); }
    size_t pending() const { return m_buffer.size(); }

private:
    ParsedCommand take(size_t length);
    std::optional<ParsedCommand> nextIn(std::string_view buffer, bool quiet);

    std::string m_buffer;
    // Start positions below this were already found to begin no command.
    size_t m_searchFrom = 0;
};

// Parses a whole text as one command; Unknown when it is not exactly one known command.
ParsedCommand parseCommand(std::string_view bytes);

}  // namespace velk::sim
