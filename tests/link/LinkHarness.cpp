#include "LinkHarness.h"

#include "device/TcpSocket.h"
#include "session/MessagePump.h"

namespace velk::test {

LinkHarness::LinkHarness() : link(queue, 3000) {}

LinkHarness::~LinkHarness() {
    sequence.join(true);
    link.stop();
}

void LinkHarness::handle(const ViewMessage& message) {
    handled.push_back(message);
    switch (message.id) {
        case WM_LINK_CONNECTED:
            connected.push_back(message.wParam);
            break;
        case WM_LINK_CLOSED:
            closed.push_back(message.wParam);
            link.finished(message.wParam);
            break;
        case WM_LINK_FAILED:
            failed.push_back(message.wParam);
            link.finished(message.wParam);
            break;
        case WM_LINK_DATA:
            if (message.wParam == link.generation()) {
                data.push_back(message.text);
                ParseResponse(message.text, *this);
            }
            break;
        case WM_WRITE_PROGRESS:
            progress.push_back(static_cast<int>(message.wParam));
            break;
        case WM_WRITE_TIMEOUT:
            ++timeouts;
            break;
        case WM_WRITE_DONE:
            sequence.join();
            outcome = static_cast<int>(message.wParam);
            break;
        default:
            break;
    }
}

bool LinkHarness::pumpUntil(const std::function<bool()>& done, int timeoutMs) {
    return MessagePump(queue, [this](const ViewMessage& message) { handle(message); })
        .runUntil(done, timeoutMs);
}

bool LinkHarness::connectTo(uint16_t port) {
    generation = link.open(kLoopbackAddress, port);
    return pumpUntil([&] { return !connected.empty() && connected.back() == generation; });
}

bool LinkHarness::startSequence(std::vector<WriteStep> plan, PacingClock& clock) {
    SequenceLink sequenceLink;
    sequenceLink.send = [this](const std::string& command) {
        return link.sendAndWait(command, WriteSequence::kSendWaitMs);
    };
    sequenceLink.alive = [this, connection = generation] { return link.alive(connection); };
    return sequence.start(std::move(plan), std::move(sequenceLink), writeAck, queue, clock);
}

bool LinkHarness::runSequence(std::vector<WriteStep> plan, PacingClock& clock, int timeoutMs) {
    outcome.reset();
    if (!startSequence(std::move(plan), clock)) {
        return false;
    }
    return pumpUntil([&] { return outcome.has_value(); }, timeoutMs);
}

void LinkHarness::applyEnum(const EnumVariable& variable) {
    model.setEnum(variable.index - 1, variable);
}

void LinkHarness::applyVariable(const Variable& variable) {
    model.setVariable(variable.index - 1, variable);
}

void LinkHarness::applyNetTarget(const NetTarget& target) {
    model.setNetTarget(target.index - 1, target);
}

void LinkHarness::acknowledged(WriteAck ack) {
    acks.push_back(ack);
    writeAck.store(ack);
}

void LinkHarness::panelNetworkReceived(const PanelNetworkReply& reply) {
    panelNetwork = reply;
}

std::vector<int> LinkHarness::distinctProgress() const {
    std::vector<int> values;
    for (int value : progress) {
        if (values.empty() || values.back() != value) {
            values.push_back(value);
        }
    }
    return values;
}

std::string joinedCommands(const std::vector<WriteStep>& plan) {
    std::string joined;
    for (const auto& command : planCommands(plan)) {
        joined += command;
    }
    return joined;
}

std::string commandsUntilWait(const std::vector<WriteStep>& plan, WriteAck ack, int occurrence) {
    std::string joined;
    int waits = 0;
    for (const auto& step : plan) {
        if (step.kind == WriteStep::WaitAck && step.ack == ack && ++waits == occurrence) {
            break;
        }
        if (step.kind == WriteStep::Send) {
            joined += step.command;
        }
    }
    return joined;
}

}  // namespace velk::test
