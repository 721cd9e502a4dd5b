#include "device/ReplyReader.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace velk {
namespace {

// A cursor over the block with the few scanf conversions the reply formats use.
class Scanner {
public:
    explicit Scanner(std::string_view text) : m_text(text) {}

    bool literal(std::string_view expected) {
        if (m_text.substr(m_pos, expected.size()) != expected) {
            return false;
        }
        m_pos += expected.size();
        return true;
    }

    // Whitespace in a scanf format matches any run of white space, also none.
    void whitespace() {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos]))) {
            ++m_pos;
        }
    }

    // "%d": optional white space and sign, then at least one digit; fails outside int.
    bool integer(int& value) {
        whitespace();
        size_t pos = m_pos;
        bool negative = false;
        if (pos < m_text.size() && (m_text[pos] == '+' || m_text[pos] == '-')) {
            negative = m_text[pos] == '-';
            ++pos;
        }
        long long magnitude = 0;
        size_t digits = 0;
        while (pos < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[pos]))) {
            magnitude = magnitude * 10 + (m_text[pos] - '0');
            if (magnitude > static_cast<long long>(INT_MAX) + 1) {
                return false;
            }
            ++pos;
            ++digits;
        }
        long long signedValue = negative ? -magnitude : magnitude;
        if (digits == 0 || signedValue > INT_MAX || signedValue < INT_MIN) {
            return false;
        }
        value = static_cast<int>(signedValue);
        m_pos = pos;
        return true;
    }

    // "%X" for one byte: optional white space, then hex digits whose value fits 0..255.
    bool hexByte(uint8_t& value) {
        whitespace();
        size_t pos = m_pos;
        if (pos + 1 < m_text.size() && m_text[pos] == '0' &&
            (m_text[pos + 1] == 'x' || m_text[pos + 1] == 'X') && pos + 2 < m_text.size() &&
            std::isxdigit(static_cast<unsigned char>(m_text[pos + 2]))) {
            pos += 2;
        }
        unsigned accumulated = 0;
        size_t digits = 0;
        while (pos < m_text.size() && std::isxdigit(static_cast<unsigned char>(m_text[pos]))) {
            char c = m_text[pos];
            unsigned digit =
                std::isdigit(static_cast<unsigned char>(c))
                    ? static_cast<unsigned>(c - '0')
                    : static_cast<unsigned>(std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
            accumulated = accumulated * 16 + digit;
            if (accumulated > 0xff) {
                return false;
            }
            ++pos;
            ++digits;
        }
        if (digits == 0) {
            return false;
        }
        value = static_cast<uint8_t>(accumulated);
        m_pos = pos;
        return true;
    }

    // "%[A-Z,a-z]": a non-empty run of letters and commas.
    bool letters(std::string& value) {
        size_t pos = m_pos;
        while (pos < m_text.size() &&
               (std::isalpha(static_cast<unsigned char>(m_text[pos])) || m_text[pos] == ',')) {
            ++pos;
        }
        if (pos == m_pos) {
            return false;
        }
        value.assign(m_text.substr(m_pos, pos - m_pos));
        m_pos = pos;
        return true;
    }

    // Four "%d" joined by "." into an address, first octet most significant.
    bool address(uint32_t& value) {
        uint32_t result = 0;
        for (int i = 0; i < 4; ++i) {
            int octet = 0;
            if ((i > 0 && !literal(".")) || !integer(octet) || octet < 0 || octet > 255) {
                return false;
            }
            result = (result << 8) | static_cast<uint32_t>(octet);
        }
        value = result;
        return true;
    }

    std::string_view rest() const { return m_text.substr(m_pos); }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

constexpr size_t kMaxEnumValues = 10;

Reply readEnum(std::string_view block) {
    Scanner in(block);
    EnumReply reply;
    if (!in.literal("QM-PANEL-rtnenum-") || !in.integer(reply.number) || !in.literal("-") ||
        !in.letters(reply.typeWord)) {
        return {};
    }
    size_t slots = std::min<size_t>(static_cast<size_t>(std::count(block.begin(), block.end(), '#')) + 1,
                                    kMaxEnumValues);
    reply.values.assign(slots, std::string());
    if (in.literal("-")) {
        // Each slot takes the text up to the next "#"; an empty slot stays empty and the next one
        // reads on after its "#", so no value slides into another's place.
        std::string_view rest = in.rest();
        for (size_t k = 0; k < slots && !rest.empty(); ++k) {
            size_t hash = rest.find('#');
            reply.values[k].assign(rest.substr(0, hash));
            if (hash == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(hash + 1);
        }
    }
    return reply;
}

Reply readNetTarget(std::string_view block) {
    Scanner in(block);
    NetTargetReply reply;
    if (!in.literal("QM-PANEL-rtnser-") || !in.letters(reply.word) || !in.literal("-") ||
        !in.integer(reply.number) || !in.literal("-") || !in.address(reply.ip) || !in.literal("-") ||
        !in.integer(reply.port)) {
        return {};
    }
    return reply;
}

Reply readVariable(std::string_view block) {
    Scanner in(block);
    VariableReply reply;
    if (!in.literal("QM-PANEL-rtnvar-") || !in.integer(reply.number) || !in.literal("-") ||
        !in.integer(reply.init) || !in.literal("-") || !in.integer(reply.min) || !in.literal("-") ||
        !in.integer(reply.max) || !in.literal("-") || !in.letters(reply.word)) {
        return {};
    }
    return reply;
}

Reply readPanelNetwork(std::string_view block) {
    Scanner in(block);
    PanelNetworkReply reply;
    auto line = [&](std::string_view prefix) {
        in.whitespace();
        return in.literal(prefix);
    };
    bool ok = line("QM-PANEL-rtnip-") && in.address(reply.ip) && line("QM-PANEL-rtngate-") &&
              in.address(reply.gateway) && line("QM-PANEL-rtnsubm-") && in.address(reply.mask) &&
              line("QM-PANEL-rtnmac-");
    for (size_t i = 0; ok && i < reply.mac.size(); ++i) {
        ok = (i == 0 || in.literal(".")) && in.hexByte(reply.mac[i]);
    }
    ok = ok && line("QM-PANEL-rtntport-") && in.integer(reply.tcpPort) && line("QM-PANEL-rtnuport-") &&
         in.integer(reply.udpPort);
    if (!ok) {
        return {};
    }
    return reply;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

const char kNoFormat[] = "does not match its format";

Reply wholeEnum(std::string_view reply, std::string& problem) {
    Scanner in(reply);
    std::string word;
    int number = 0;
    if (!in.literal("QM-PANEL-rtnenum-") || !in.integer(number) || !in.literal("-") || !in.letters(word) ||
        !in.literal("-")) {
        problem = kNoFormat;
        return {};
    }
    if (const std::string lower = lowerCase(word); lower != "hex" && lower != "ascii") {
        problem = "type word \"" + word + "\" is neither hex nor ascii";
        return {};
    }
    if (std::count(reply.begin(), reply.end(), '#') + 1 > static_cast<long>(kMaxEnumValues)) {
        problem = "more than ten values";
        return {};
    }
    return readEnum(reply);
}

Reply wholeNetTarget(std::string_view reply, std::string& problem) {
    Reply read = readNetTarget(reply);
    const auto* target = std::get_if<NetTargetReply>(&read);
    // The reader stops after the port: the text must stop there too.
    Scanner in(reply);
    std::string word;
    int number = 0;
    uint32_t ip = 0;
    int port = 0;
    const bool whole = target != nullptr && in.literal("QM-PANEL-rtnser-") && in.letters(word) &&
                       in.literal("-") && in.integer(number) && in.literal("-") && in.address(ip) &&
                       in.literal("-") && in.integer(port) && in.rest().empty();
    if (!whole) {
        problem = kNoFormat;
        return {};
    }
    if (const std::string lower = lowerCase(target->word); lower != "tcp" && lower != "udp") {
        problem = "target word \"" + target->word + "\" is neither TCP nor UDP";
        return {};
    }
    return read;
}

Reply wholeVariable(std::string_view reply, std::string& problem) {
    Scanner in(reply);
    VariableReply read;
    if (!in.literal("QM-PANEL-rtnvar-") || !in.integer(read.number) || !in.literal("-") ||
        !in.integer(read.init) || !in.literal("-") || !in.integer(read.min) || !in.literal("-") ||
        !in.integer(read.max) || !in.literal("-") || !in.letters(read.word) || !in.rest().empty()) {
        problem = kNoFormat;
        return {};
    }
    if (const std::string lower = lowerCase(read.word); lower != "save" && lower != "unsave") {
        problem = "save word \"" + read.word + "\" is neither save nor unsave";
        return {};
    }
    return read;
}

Reply wholePanelNetwork(std::string_view reply, std::string& problem) {
    Reply read = readPanelNetwork(reply);
    if (std::holds_alternative<std::monostate>(read)) {
        problem = kNoFormat;
        return {};
    }
    if (reply.size() <= 180) {
        problem = "network block of 180 characters or fewer";
        return {};
    }
    return read;
}

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

}  // namespace

Reply readWholeReply(std::string_view reply, std::string& problem) {
    problem.clear();
    for (std::string_view state :
         {"QM-PANEL-rtnstate-edit exit", "QM-PANEL-rtnstate-clr ok 16", "QM-PANEL-rtnstate-add ok"}) {
        if (reply == state) {
            return readReply(reply);
        }
    }
    if (startsWith(reply, "QM-PANEL-rtnenum-")) {
        return wholeEnum(reply, problem);
    }
    if (startsWith(reply, "QM-PANEL-rtnser-")) {
        return wholeNetTarget(reply, problem);
    }
    if (startsWith(reply, "QM-PANEL-rtnvar-")) {
        return wholeVariable(reply, problem);
    }
    if (startsWith(reply, "QM-PANEL-rtnip-")) {
        return wholePanelNetwork(reply, problem);
    }
    problem = "no reply velk knows";
    return {};
}

Reply readReply(std::string_view block) {
    block = block.substr(0, block.find('\0'));
    if (startsWith(block, "QM-PANEL-rtnenum-")) {
        return readEnum(block);
    }
    if (startsWith(block, "QM-PANEL-rtnser-")) {
        return readNetTarget(block);
    }
    if (startsWith(block, "QM-PANEL-rtnvar-")) {
        return readVariable(block);
    }
    if (contains(block, "QM-PANEL-rtnstate-edit exit")) {
        return StateReply{ACK_EXITED};
    }
    if (contains(block, "QM-PANEL-rtnstate-clr ok 16")) {
        return StateReply{ACK_CLEARED};
    }
    if (contains(block, "QM-PANEL-rtnstate-add ok")) {
        return StateReply{ACK_ADDED};
    }
    if (startsWith(block, "QM-PANEL-rtnip-") && block.size() > 180) {
        return readPanelNetwork(block);
    }
    return {};
}

}  // namespace velk
