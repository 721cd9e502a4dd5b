#include "sim/CommandGrammar.h"

#include <initializer_list>

namespace velk::sim {
namespace {

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

    MatchStatus status() const { return m_status; }
    bool ok() const { return m_status == MatchStatus::Ok; }
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
        return choiceOf(
            alternatives.size(), [&](size_t k) { return alternatives.begin()[k]; }, record);
    }

    // The rule of a table whose word comes next, or nothing; the word is not recorded.
    template <typename Rule, size_t N>
    const Rule* rule(const Rule (&rules)[N]) {
        int index = choiceOf(
            N, [&](size_t k) { return rules[k].word; }, false);
        return index < 0 ? nullptr : &rules[index];
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
            m_status = ranOut && !m_final ? MatchStatus::Short : MatchStatus::Bad;
        }
        return false;
    }

private:
    template <typename WordAt>
    int choiceOf(size_t count, WordAt wordAt, bool record) {
        if (!ok()) {
            return -1;
        }
        std::string_view left = rest();
        bool couldFollow = false;
        for (size_t index = 0; index < count; ++index) {
            std::string_view alternative = wordAt(index);
            if (startsWith(left, alternative)) {
                m_pos += alternative.size();
                if (record) {
                    std::string_view word = alternative;
                    if (!word.empty() && word.back() == '-') {
                        word.remove_suffix(1);
                    }
                    m_out.words.emplace_back(word);
                }
                return static_cast<int>(index);
            }
            couldFollow = couldFollow || (left.size() < alternative.size() && startsWith(alternative, left));
        }
        fail(couldFollow);
        return -1;
    }

    std::string_view m_text;
    bool m_final;
    ParsedCommand& m_out;
    size_t m_pos = 0;
    MatchStatus m_status = MatchStatus::Ok;
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

// How one command reads on from its leading word; the kind it turned out to be.
using Grammar = CommandKind (*)(Matcher& m, CommandMatch& result);

struct CommandRule {
    std::string_view word;  // no word of a table is a prefix of another
    Grammar grammar;
};

CommandKind readKeyEdit(Matcher& m, CommandMatch&) {
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
}

CommandKind readLearnIr(Matcher& m, CommandMatch&) {
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
}

// The commands after "QM-PANEL-".
const CommandRule kPanelCommands[] = {
    {"intoEdit", [](Matcher&, CommandMatch&) { return CommandKind::IntoEdit; }},
    {"clrkey-FF", [](Matcher&, CommandMatch&) { return CommandKind::ClearKeys; }},
    {"exitedit", [](Matcher&, CommandMatch&) { return CommandKind::ExitEdit; }},
    {"keyedit-", readKeyEdit},
    {"setenum-",
     [](Matcher& m, CommandMatch& result) {
         m.number(true);
         m.literal("-");
         m.letters();
         m.literal("-");
         result.tail = m.pos();
         return CommandKind::SetEnum;
     }},
    {"setvar-",
     [](Matcher& m, CommandMatch&) {
         for (int i = 0; i < 4; ++i) {
             m.number(true);
             m.literal("-");
         }
         m.choice({"save", "unsave"});
         return CommandKind::SetVar;
     }},
    {"setser-",
     [](Matcher& m, CommandMatch&) {
         m.choice({"TCP", "UDP"});
         m.literal("-");
         m.number(true);
         m.literal("-");
         m.address();
         m.literal("-");
         m.number(true);
         return CommandKind::SetSer;
     }},
    {"getenum-",
     [](Matcher& m, CommandMatch&) {
         m.number(true);
         return CommandKind::GetEnum;
     }},
    {"getvar-",
     [](Matcher& m, CommandMatch&) {
         m.number(true);
         return CommandKind::GetVar;
     }},
    {"getser-",
     [](Matcher& m, CommandMatch&) {
         m.choice({"TCP", "UDP"});
         m.literal("-");
         m.number(true);
         return CommandKind::GetSer;
     }},
    {"getlan", [](Matcher&, CommandMatch&) { return CommandKind::GetLan; }},
    {"setip-",
     [](Matcher& m, CommandMatch&) {
         m.address();
         return CommandKind::SetIp;
     }},
    {"setsubm-",
     [](Matcher& m, CommandMatch&) {
         m.address();
         return CommandKind::SetSubm;
     }},
    {"setgate-",
     [](Matcher& m, CommandMatch&) {
         m.address();
         return CommandKind::SetGate;
     }},
    {"setmac-",
     [](Matcher& m, CommandMatch&) {
         for (int i = 0; i < 6; ++i) {
             if (i > 0) {
                 m.literal(".");
             }
             m.hexPair();
         }
         return CommandKind::SetMac;
     }},
    {"leair", readLearnIr},
    {"sndir-",
     [](Matcher& m, CommandMatch&) {
         m.number(true);
         m.literal("-");
         m.number(true);
         return CommandKind::SendIr;
     }},
};

CommandKind matchPanelCommand(Matcher& m, CommandMatch& result) {
    const CommandRule* rule = m.rule(kPanelCommands);
    return rule ? rule->grammar(m, result) : CommandKind::Unknown;
}

// Every command by its leading word: the top-level commands, and the sub-commands of an event.
const CommandRule kCommands[] = {
    {"QM-PANEL-", matchPanelCommand},
    {"bindir-",
     [](Matcher& m, CommandMatch&) {
         m.channelList();
         m.literal("-");
         m.number(true);
         m.literal("->");
         return CommandKind::BindIr;
     }},
    {"bindio-",
     [](Matcher& m, CommandMatch&) {
         m.channelList();
         m.literal("-");
         m.choice({"1", "0", "turn"});
         m.literal("->");
         return CommandKind::BindIo;
     }},
    {"bindrelay-",
     [](Matcher& m, CommandMatch&) {
         m.channelList();
         m.literal("-");
         m.choice({"on", "off", "turn"});
         m.literal("->");
         return CommandKind::BindRelay;
     }},
    {"setcode-",
     [](Matcher& m, CommandMatch& result) {
         m.choice({"hex-", "ascii-"});
         result.tail = m.pos();
         return CommandKind::SetCode;
     }},
    {"setvoid-",
     [](Matcher& m, CommandMatch&) {
         matchSetVoid(m);
         return CommandKind::SetVoid;
     }},
    {"setdest-",
     [](Matcher& m, CommandMatch&) {
         matchSetDest(m);
         return CommandKind::SetDest;
     }},
    {"settime-",
     [](Matcher& m, CommandMatch&) {
         m.number(true);
         return CommandKind::SetTime;
     }},
    {"setmode-",
     [](Matcher& m, CommandMatch& result) {
         m.literal("add-");
         m.number(true);
         m.literal("-");
         m.choice({"send-", "discard-"});
         result.tail = m.pos();
         return CommandKind::SetMode;
     }},
    {"addact-",
     [](Matcher& m, CommandMatch&) {
         matchAddAct(m);
         return CommandKind::AddAct;
     }},
};

}  // namespace

CommandMatch matchCommand(std::string_view text, bool final, ParsedCommand& out) {
    CommandMatch result;
    Matcher m(text, final, out);
    const CommandRule* rule = m.rule(kCommands);
    CommandKind kind = rule ? rule->grammar(m, result) : CommandKind::Unknown;
    result.status = m.status();
    if (result.status != MatchStatus::Ok) {
        result.tail = kNoTail;
        return result;
    }
    out.kind = kind;
    result.end = m.pos();
    return result;
}

}  // namespace velk::sim
