#include "sim/CommandFramer.h"

#include <initializer_list>

namespace velk::sim {
namespace {

enum class Status { Ok, Short, Bad };

constexpr size_t kNoTail = std::string_view::npos;
// Longer digit runs are no number the tool writes, and would overflow.
constexpr size_t kMaxDigits = 18;
constexpr size_t kMaxListEntries = 32;

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Reads one command's grammar from the start of a text. Running out of bytes gives Short, unless
// the text is final (nothing more will come), when it gives Bad like any mismatch.
class Matcher {
public:
    Matcher(std::string_view text, bool final, ParsedCommand& out)
        : m_text(text), m_final(final), m_out(out) {}

    Status status() const { return m_status; }
    bool ok() const { return m_status == Status::Ok; }
    size_t pos() const { return m_pos; }
    bool isFinal() const { return m_final; }
    bool atEnd() const { return m_pos == m_text.size(); }
    std::string_view rest() const { return m_text.substr(m_pos); }

    bool literal(std::string_view expected) {
        if (!ok()) {
            return false;
        }
        std::string_view left = rest();
        if (startsWith(left, expected)) {
            m_pos += expected.size();
            return true;
        }
        return fail(left.size() < expected.size() && startsWith(expected, left));
    }

    // One of the alternatives (none a prefix of another); its position, or -1. A recorded word
    // leaves out a trailing "-".
    int choice(std::initializer_list<std::string_view> alternatives, bool record = true) {
        if (!ok()) {
            return -1;
        }
        std::string_view left = rest();
        bool couldFollow = false;
        int index = 0;
        for (std::string_view alternative : alternatives) {
            if (startsWith(left, alternative)) {
                m_pos += alternative.size();
                if (record) {
                    std::string_view word = alternative;
                    if (!word.empty() && word.back() == '-') {
                        word.remove_suffix(1);
                    }
                    m_out.words.emplace_back(word);
                }
                return index;
            }
            couldFollow = couldFollow || (left.size() < alternative.size() && startsWith(alternative, left));
            ++index;
        }
        fail(couldFollow);
        return -1;
    }

    // "%d": an optional "-" when signed, then digits.
    bool number(bool isSigned) {
        if (!ok()) {
            return false;
        }
        size_t pos = m_pos;
        bool negative = false;
        if (isSigned && pos < m_text.size() && m_text[pos] == '-') {
            negative = true;
            ++pos;
        }
        long long value = 0;
        size_t digits = 0;
        while (pos < m_text.size() && m_text[pos] >= '0' && m_text[pos] <= '9') {
            if (++digits > kMaxDigits) {
                return fail(false);
            }
            value = value * 10 + (m_text[pos] - '0');
            ++pos;
        }
        // A number that reaches the end of the bytes may go on in the next ones.
        if (pos == m_text.size() && !m_final) {
            return fail(true);
        }
        if (digits == 0) {
            return fail(false);
        }
        m_out.numbers.push_back(negative ? -value : value);
        m_pos = pos;
        return true;
    }

    // Letters and nothing else, at least one.
    bool letters() {
        if (!ok()) {
            return false;
        }
        size_t pos = m_pos;
        while (pos < m_text.size() &&
               ((m_text[pos] >= 'A' && m_text[pos] <= 'Z') || (m_text[pos] >= 'a' && m_text[pos] <= 'z'))) {
            ++pos;
        }
        if (pos == m_text.size() && !m_final) {
            return fail(true);
        }
        if (pos == m_pos || pos - m_pos > 16) {
            return fail(false);
        }
        m_out.words.emplace_back(m_text.substr(m_pos, pos - m_pos));
        m_pos = pos;
        return true;
    }

    // Exactly two hexadecimal digits ("%02X").
    bool hexPair() {
        if (!ok()) {
            return false;
        }
        int value = 0;
        for (int i = 0; i < 2; ++i) {
            if (m_pos + static_cast<size_t>(i) >= m_text.size()) {
                return fail(true);
            }
            char c = m_text[m_pos + static_cast<size_t>(i)];
            int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                               : -1;
            if (digit < 0) {
                return fail(false);
            }
            value = value * 16 + digit;
        }
        m_out.numbers.push_back(value);
        m_pos += 2;
        return true;
    }

    bool address() {
        return number(false) && literal(".") && number(false) && literal(".") && number(false) &&
               literal(".") && number(false);
    }

    // Channel numbers joined by ",".
    bool channelList() {
        for (size_t entries = 0; number(false); ++entries) {
            if (entries + 1 > kMaxListEntries) {
                return fail(false);
            }
            std::string_view left = rest();
            if (left.empty()) {
                return fail(true);
            }
            if (left.front() != ',') {
                return true;
            }
            ++m_pos;
        }
        return false;
    }

    // After an optional part's first bytes: true when the rest so far could still begin it.
    bool couldBegin(std::string_view part) const {
        std::string_view left = rest();
        return left.size() < part.size() && startsWith(part, left);
    }

    // A mismatch, or bytes that ran out where more could still complete the command.
    bool fail(bool ranOut) {
        if (ok()) {
            m_status = ranOut && !m_final ? Status::Short : Status::Bad;
        }
        return false;
    }

private:
    std::string_view m_text;
    bool m_final;
    ParsedCommand& m_out;
    size_t m_pos = 0;
    Status m_status = Status::Ok;
};

struct Match {
    Status status = Status::Bad;
    size_t end = 0;         // end of the grammar's part
    size_t tail = kNoTail;  // where a free text begins, when the command ends in one
};

void matchAddAct(Matcher& m) {
    m.choice({"onkeydown", "onkeyup", "onkeyhold"});
    m.literal("->");
}

void matchSetVoid(Matcher& m) {
    m.number(false);
    m.literal("-");
    switch (m.choice({"input-", "enum", "var"})) {
        case 0: {
            int mode = m.choice({"full", "click", "count"});
            m.literal("-");
            if (mode == 2) {
                m.number(true);
                m.literal("-");
            }
            m.choice({"discard", "cut", "fill"});
            break;
        }
        case 1:
            m.number(true);
            m.literal("-");
            m.number(true);
            m.literal("-");
            m.choice({"add", "sub"});
            m.literal("-");
            if (m.choice({"loop-", "save", "unsave"}) == 0) {
                m.choice({"save", "unsave"});
            }
            break;
        case 2:
            m.number(true);
            m.literal("-");
            m.number(true);
            m.literal("-");
            m.number(true);
            m.literal("-");
            m.choice({"add", "sub"});
            break;
        default:
            break;
    }
}

void matchSetDest(Matcher& m) {
    int port = m.choice({"TCP-", "UDP-", "232-1-", "232-2-", "485-"});
    if (port < 0) {
        return;
    }
    if (port <= 1) {
        // "TCP-%d" names a target; "TCP-%s-%d" carries an address and a port.
        m.number(false);
        if (m.ok() && !m.atEnd() && m.rest().front() == '.') {
            m.literal(".");
            m.number(false);
            m.literal(".");
            m.number(false);
            m.literal(".");
            m.number(false);
            m.literal("-");
            m.number(true);
        }
        return;
    }
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            m.literal("-");
        }
        m.number(true);
    }
}

CommandKind matchPanelCommand(Matcher& m, Match& result) {
    switch (m.choice(
        {"intoEdit", "clrkey-FF", "exitedit", "keyedit-", "setenum-", "setvar-", "setser-", "getenum-",
         "getvar-", "getser-", "getlan", "setip-", "setsubm-", "setgate-", "setmac-", "leair", "sndir-"},
        false)) {
        case 0:
            return CommandKind::IntoEdit;
        case 1:
            return CommandKind::ClearKeys;
        case 2:
            return CommandKind::ExitEdit;
        case 3:
            m.number(true);
            m.literal("->");
            if (!m.ok()) {
                return CommandKind::EventHeader;
            }
            if (startsWith(m.rest(), "addact-")) {
                m.literal("addact-");
                matchAddAct(m);
                return CommandKind::EventHeader;
            }
            // The event part may still be on its way.
            if (m.couldBegin("addact-") && !m.isFinal()) {
                m.fail(true);
            }
            return CommandKind::KeyEdit;
        case 4:
            m.number(true);
            m.literal("-");
            m.letters();
            m.literal("-");
            result.tail = m.pos();
            return CommandKind::SetEnum;
        case 5:
            for (int i = 0; i < 4; ++i) {
                m.number(true);
                m.literal("-");
            }
            m.choice({"save", "unsave"});
            return CommandKind::SetVar;
        case 6:
            m.choice({"TCP", "UDP"});
            m.literal("-");
            m.number(true);
            m.literal("-");
            m.address();
            m.literal("-");
            m.number(true);
            return CommandKind::SetSer;
        case 7:
            m.number(true);
            return CommandKind::GetEnum;
        case 8:
            m.number(true);
            return CommandKind::GetVar;
        case 9:
            m.choice({"TCP", "UDP"});
            m.literal("-");
            m.number(true);
            return CommandKind::GetSer;
        case 10:
            return CommandKind::GetLan;
        case 11:
            m.address();
            return CommandKind::SetIp;
        case 12:
            m.address();
            return CommandKind::SetSubm;
        case 13:
            m.address();
            return CommandKind::SetGate;
        case 14:
            for (int i = 0; i < 6; ++i) {
                if (i > 0) {
                    m.literal(".");
                }
                m.hexPair();
            }
            return CommandKind::SetMac;
        case 15:
            // The learn command travels joined with the id's send command.
            if (startsWith(m.rest(), "QM-PANEL-sndir-")) {
                m.literal("QM-PANEL-sndir-");
                m.number(true);
                m.literal("-");
                m.number(true);
            } else if (m.couldBegin("QM-PANEL-sndir-") && !m.isFinal()) {
                m.fail(true);
            }
            return CommandKind::LearnIr;
        case 16:
            m.number(true);
            m.literal("-");
            m.number(true);
            return CommandKind::SendIr;
        default:
            return CommandKind::Unknown;
    }
}

Match matchAt(std::string_view text, bool final, ParsedCommand& out) {
    Match result;
    Matcher m(text, final, out);
    CommandKind kind = CommandKind::Unknown;
    switch (m.choice({"QM-PANEL-", "bindir-", "bindio-", "bindrelay-", "setcode-", "setvoid-", "setdest-",
                      "settime-", "setmode-", "addact-"},
                     false)) {
        case 0:
            kind = matchPanelCommand(m, result);
            break;
        case 1:
            kind = CommandKind::BindIr;
            m.channelList();
            m.literal("-");
            m.number(true);
            m.literal("->");
            break;
        case 2:
            kind = CommandKind::BindIo;
            m.channelList();
            m.literal("-");
            m.choice({"1", "0", "turn"});
            m.literal("->");
            break;
        case 3:
            kind = CommandKind::BindRelay;
            m.channelList();
            m.literal("-");
            m.choice({"on", "off", "turn"});
            m.literal("->");
            break;
        case 4:
            kind = CommandKind::SetCode;
            m.choice({"hex-", "ascii-"});
            result.tail = m.pos();
            break;
        case 5:
            kind = CommandKind::SetVoid;
            matchSetVoid(m);
            break;
        case 6:
            kind = CommandKind::SetDest;
            matchSetDest(m);
            break;
        case 7:
            kind = CommandKind::SetTime;
            m.number(true);
            break;
        case 8:
            kind = CommandKind::SetMode;
            m.literal("add-");
            m.number(true);
            m.literal("-");
            m.choice({"send-", "discard-"});
            result.tail = m.pos();
            break;
        case 9:
            kind = CommandKind::AddAct;
            matchAddAct(m);
            break;
        default:
            break;
    }
    result.status = m.status();
    if (result.status != Status::Ok) {
        result.tail = kNoTail;
        return result;
    }
    out.kind = kind;
    result.end = m.pos();
    return result;
}

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
    Match front = matchAt(buffer, quiet, command);
    if (front.status == Status::Short) {
        return std::nullopt;
    }
    if (front.status == Status::Ok && front.tail == kNoTail) {
        return take(front.end);
    }
    // A free text, or bytes no command matches, run up to the next complete known command.
    size_t from = front.status == Status::Ok ? front.tail : 1;
    for (size_t p = std::max(from, m_searchFrom); p < buffer.size(); ++p) {
        if (!mayStartCommand(buffer[p])) {
            continue;
        }
        ParsedCommand probe;
        Status status = matchAt(buffer.substr(p), quiet, probe).status;
        if (status == Status::Ok) {
            return take(p);
        }
        if (status == Status::Short) {
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
    Match match = matchAt(bytes, true, command);
    if (match.status != Status::Ok || (match.tail == kNoTail && match.end != bytes.size())) {
        command = ParsedCommand{};
    } else if (match.tail != kNoTail) {
        command.text.assign(bytes.substr(match.tail));
    }
    command.bytes.assign(bytes);
    return command;
}

}  // namespace velk::sim
