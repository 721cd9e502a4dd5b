#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/PanelLink.h"
#include "device/ReplyApplier.h"
#include "device/WriteSequence.h"
#include "model/ConfigModel.h"
#include "model/UiPoster.h"

namespace velk::test {

// The user-interface side of the link tests without a session: drains the message queue on the
// test thread, applies received blocks to a bare model and records what arrives.
class LinkHarness : public ReplyApplier {
public:
    LinkHarness();
    ~LinkHarness() override;

    MessageQueue queue;
    PanelLink link;
    std::atomic<int> writeAck{ACK_NONE};
    ConfigModel model;
    SequenceThread sequence;

    std::vector<ViewMessage> handled;
    std::vector<int64_t> connected;  // generations
    std::vector<int64_t> closed;
    std::vector<int64_t> failed;
    std::vector<std::string> data;  // blocks of the current connection
    std::vector<int> progress;
    int timeouts = 0;
    std::optional<int> outcome;  // of the last sequence
    std::vector<WriteAck> acks;
    std::optional<PanelNetworkReply> panelNetwork;
    int64_t generation = 0;  // of the last connectTo

    void handle(const ViewMessage& message);
    // Handles messages until done() holds; false if timeoutMs pass first.
    bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 15000);
    // Connects to 127.0.0.1:port and waits for WM_LINK_CONNECTED.
    bool connectTo(uint16_t port);
    // Starts plan on the sequence thread, sending through the link; false while one still runs.
    bool startSequence(std::vector<WriteStep> plan, PacingClock& clock);
    // Runs plan on the sequence thread and pumps until it has ended.
    bool runSequence(std::vector<WriteStep> plan, PacingClock& clock, int timeoutMs = 30000);

    void applyEnum(const EnumVariable& variable) override;
    void applyVariable(const Variable& variable) override;
    void applyNetTarget(const NetTarget& target) override;
    void acknowledged(WriteAck ack) override;
    void panelNetworkReceived(const PanelNetworkReply& reply) override;

    // Progress values with repeats of the same value folded.
    std::vector<int> distinctProgress() const;
};

// The commands of a plan joined as the panel sees them on the wire.
std::string joinedCommands(const std::vector<WriteStep>& plan);
// The commands sent before the wait for ack, joined.
std::string commandsUntilWait(const std::vector<WriteStep>& plan, WriteAck ack, int occurrence = 1);

}  // namespace velk::test
