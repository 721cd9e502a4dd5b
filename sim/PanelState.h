#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "device/PanelAddress.h"
#include "device/ReplyReader.h"
#include "sim/CommandFramer.h"

// What a simulated panel holds and how it answers each command.
namespace velk::sim {

// The name of a state reply the write sequence waits for.
const char* ackName(WriteAck ack);  // "clr", "add", "exit"

struct HeldEnum {
    std::string typeWord = "ascii";
    std::vector<std::string> values;  // none until the panel is sent some

    bool operator==(const HeldEnum&) const = default;
};

struct HeldVariable {
    int init = 0;
    int min = 0;
    int max = 0;
    std::string saveWord = "save";

    bool operator==(const HeldVariable&) const = default;
};

struct HeldTarget {
    uint32_t ip = 0;
    int port = 0;

    bool operator==(const HeldTarget&) const = default;
};

// One event's program: the header's input and event, then its sub-commands as received.
struct EventBlock {
    int input = 0;
    int event = 0;  // 0 press, 1 release, 2 hold
    std::vector<std::string> commands;

    bool operator==(const EventBlock&) const = default;
};

struct PanelNetwork {
    uint32_t ip = kDefaultPanelIp;
    uint32_t mask = 0xFFFFFF00;     // 255.255.255.0
    uint32_t gateway = 0xC0A80101;  // 192.168.1.1
    std::array<uint8_t, 6> mac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    int tcpPort = kDefaultPanelPort;
    int udpPort = 4801;

    bool operator==(const PanelNetwork&) const = default;
};

struct PanelSnapshot {
    std::array<HeldEnum, 10> enums;          // E1..E10
    std::array<HeldVariable, 16> variables;  // V1..V16
    std::array<HeldTarget, 7> targets;       // TCP1..TCP4, UDP1..UDP3
    std::vector<EventBlock> events;          // since the last clear, in arrival order
    PanelNetwork network;
    bool editing = false;
    std::vector<int> learnedIr;  // ids of the learn commands received
};

// What one command did: the reply to send (empty for none), which acknowledgement it is, and a
// line describing the effect.
struct Outcome {
    std::string reply;
    WriteAck ack = ACK_NONE;
    std::string note;
};

class PanelState {
public:
    PanelState() = default;
    explicit PanelState(const PanelNetwork& network) { m_held.network = network; }

    Outcome apply(const ParsedCommand& command);
    const PanelSnapshot& snapshot() const { return m_held; }

private:
    Outcome applySubCommand(const ParsedCommand& command);

    PanelSnapshot m_held;
    int m_pendingInput = 0;  // input of a key edit whose event part has not come yet
};

// The panel network block, padded past the 180 characters the tool requires of it.
std::string panelNetworkReply(const PanelNetwork& network);

}  // namespace velk::sim
