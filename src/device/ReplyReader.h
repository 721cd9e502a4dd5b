#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// Recognising what the panel sends. A received block is tested against seven rules in order and
// the first that matches decides; a block that matches none is dropped.
namespace velk {

// The acknowledgement values the write sequence waits for (m_writeAck).
enum WriteAck : int { ACK_NONE = 0, ACK_CLEARED = 1, ACK_ADDED = 2, ACK_EXITED = 3 };

// Rule 1: "QM-PANEL-rtnenum-N-word-v1#v2#..."; values holds the reply's value slots (the count of
// "#" in the block plus one, at most ten), slots the block does not fill being empty.
struct EnumReply {
    int number = 0;
    std::string typeWord;
    std::vector<std::string> values;
};

// Rule 2: "QM-PANEL-rtnser-WORD-n-a.b.c.d-port".
struct NetTargetReply {
    std::string word;
    int number = 0;
    uint32_t ip = 0;
    int port = 0;
};

// Rule 3: "QM-PANEL-rtnvar-n-init-min-max-word".
struct VariableReply {
    int number = 0;
    int init = 0;
    int min = 0;
    int max = 0;
    std::string word;
};

// Rules 4 to 6: a state reply anywhere in the block.
struct StateReply {
    WriteAck ack = ACK_NONE;
};

// Rule 7: the panel's network block, longer than 180 characters.
struct PanelNetworkReply {
    uint32_t ip = 0;
    uint32_t gateway = 0;
    uint32_t mask = 0;
    std::array<uint8_t, 6> mac{};
    int tcpPort = 0;
    int udpPort = 0;

    bool operator==(const PanelNetworkReply&) const = default;
};

using Reply =
    std::variant<std::monostate, EnumReply, NetTargetReply, VariableReply, StateReply, PanelNetworkReply>;

// Reads one received block. The block counts up to its first NUL byte, as the panel speaks text.
// A reply whose fields do not all read (a missing number, a number outside int, an octet above
// 255) is dropped rather than applied half-read.
Reply readReply(std::string_view block);

// Reads one reply the framer has cut from the stream (device/ReplyFramer). Unlike a received block,
// it must match its format to its last byte: every number whole, the type word "hex" or "ascii",
// the target word "TCP" or "UDP", the save word "save" or "unsave" (in any case), nothing after the
// last field, at most ten enumeration values. What is read is stored as readReply would store it.
// A reply that does not match gives nothing, with why in problem.
Reply readWholeReply(std::string_view reply, std::string& problem);

}  // namespace velk
