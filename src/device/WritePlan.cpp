#include "device/WritePlan.h"

#include <algorithm>

#include "device/Commands.h"
#include "device/PanelLink.h"

namespace velk {
namespace {

class PlanBuilder {
public:
    std::vector<WriteStep> steps;
    std::vector<std::string> leftOut;
    std::string owner;  // the list or event the commands being planned belong to

    // Empty texts, and texts longer than one transmission can carry, are not sent.
    void send(std::string command) {
        if (command.size() > kMaxCommandLength) {
            if (leftOut.empty() || leftOut.back() != owner) {
                leftOut.push_back(owner);
            }
            return;
        }
        if (command.empty()) {
            return;
        }
        WriteStep step;
        step.kind = WriteStep::Send;
        step.command = std::move(command);
        steps.push_back(std::move(step));
    }
    void sleep(int milliseconds) {
        WriteStep step;
        step.kind = WriteStep::Sleep;
        step.milliseconds = milliseconds;
        steps.push_back(step);
    }
    void resetAck() {
        WriteStep step;
        step.kind = WriteStep::ResetAck;
        steps.push_back(step);
    }
    void wait(WriteAck ack, int seconds, int tickAt, bool tickAdds, double tickValue) {
        WriteStep step;
        step.kind = WriteStep::WaitAck;
        step.ack = ack;
        step.seconds = seconds;
        step.tickAt = tickAt;
        step.tickAdds = tickAdds;
        step.tickValue = tickValue;
        steps.push_back(step);
    }
    void progress(WriteStep::Kind kind, double value) {
        WriteStep step;
        step.kind = kind;
        step.value = value;
        steps.push_back(step);
    }
};

// The records a write walks: indexes 1..count, in order. Rows a foreign file holds under other
// indexes stay in the model and the file but have no place on the panel.
template <typename Record>
std::vector<Record> listRecords(const std::map<int, Record>& records, int count) {
    std::vector<Record> listed;
    for (int key = 0; key < count; ++key) {
        auto it = records.find(key);
        if (it != records.end() && it->second.index == key + 1) {
            listed.push_back(it->second);
        }
    }
    return listed;
}

template <typename Record, typename Build>
int countNonEmpty(const std::map<int, Record>& records, int count, Build build) {
    int nonEmpty = 0;
    for (const Record& record : listRecords(records, count)) {
        nonEmpty += build(record).empty() ? 0 : 1;
    }
    return nonEmpty;
}

void planDataAction(PlanBuilder& plan, const SendData& data, const std::string& destination) {
    plan.send(MakeSetCode(data));
    plan.sleep(100);
    for (size_t n = 0; n < data.placeholders.size(); ++n) {
        plan.send(MakeSetVoid(data.placeholders[n], static_cast<int>(n + 1)));
        plan.sleep(10);
    }
    plan.send(destination);
    plan.sleep(10);
}

void planAction(PlanBuilder& plan, const KeyAction& action) {
    switch (action.function) {
        case FunctionCode::Infrared:
            plan.send(MakeBindIr(action));
            plan.sleep(10);
            break;
        case FunctionCode::Io:
            plan.send(MakeBindIo(action));
            plan.sleep(10);
            break;
        case FunctionCode::Relay:
            plan.send(MakeBindRelay(action));
            plan.sleep(10);
            break;
        case FunctionCode::Network:
            planDataAction(plan, action.network, MakeSetDestNet(action.network));
            break;
        case FunctionCode::Serial:
            planDataAction(plan, action.serial, MakeSetDestSerial(action.serial));
            break;
        case FunctionCode::Key:
            break;  // key actions send nothing
    }
}

}  // namespace

int writeProgressIncrement(const ConfigModel& model) {
    int weight = countNonEmpty(model.enums, kEnumCount, MakeSetEnum) +
                 countNonEmpty(model.variables, kVariableCount, MakeSetVar) +
                 countNonEmpty(model.netTargets, kNetTargetCount, MakeSetSer);
    for (const auto& list : model.actions) {
        if (!list.empty()) {
            weight += 5;
        }
    }
    return 330 / std::max(weight, 1);
}

std::vector<WriteStep> buildReadPlan() {
    PlanBuilder plan;
    auto request = [&](std::string command) {
        plan.send(std::move(command));
        plan.sleep(50);
    };
    for (int n = 1; n <= 10; ++n) {
        request(MakeGetEnum(n));
    }
    for (int n = 1; n <= 10; ++n) {
        request(MakeGetVar(n));
    }
    for (int target = 1; target <= 6; ++target) {
        request(MakeGetSer(target));
    }
    return plan.steps;
}

namespace {

PlanBuilder planWrite(const ConfigModel& model) {
    const int increment = writeProgressIncrement(model);
    PlanBuilder plan;
    plan.resetAck();
    plan.send(MakeIntoEdit());
    plan.sleep(30);
    plan.send(MakeClearKeys());
    plan.wait(ACK_CLEARED, kClearWaitSeconds, 2, false, 10);
    plan.progress(WriteStep::SetProgress, 50);

    for (const EnumVariable& variable : listRecords(model.enums, kEnumCount)) {
        plan.owner = enumName(variable.index);
        std::string command = MakeSetEnum(variable);
        if (!command.empty()) {
            plan.send(std::move(command));
            plan.progress(WriteStep::AddProgress, increment);
            plan.sleep(100);
        }
    }
    for (const Variable& variable : listRecords(model.variables, kVariableCount)) {
        plan.owner = variableName(variable.index);
        std::string command = MakeSetVar(variable);
        if (!command.empty()) {
            plan.send(std::move(command));
            plan.progress(WriteStep::AddProgress, increment / 7.0);
            plan.sleep(10);
        }
    }
    for (const NetTarget& target : listRecords(model.netTargets, kNetTargetCount)) {
        plan.owner = netTargetName(target.index);
        std::string command = MakeSetSer(target);
        if (!command.empty()) {
            plan.send(std::move(command));
            plan.progress(WriteStep::AddProgress, increment / 7.0);
            plan.sleep(10);
        }
    }

    for (int slot = 0; slot < kSlotCount; ++slot) {
        const auto& list = model.actions[static_cast<size_t>(slot)];
        if (list.empty()) {
            continue;
        }
        plan.owner = eventName(slot);
        plan.resetAck();
        plan.send(MakeKeyEdit(inputOf(slot)) + MakeAddAct(eventOf(slot)));
        plan.wait(ACK_ADDED, kAddedWaitSeconds, -1, false, 0);
        plan.sleep(30);
        plan.progress(WriteStep::AddProgress, 5.0 * increment);
        for (const auto& action : list) {
            planAction(plan, action);
        }
        const EventSettings& settings = model.eventSettings[static_cast<size_t>(slot)];
        if (eventOf(slot) != 0 && settings.timeEnable != 0) {
            plan.send(MakeSetTime(settings.time));
            plan.sleep(10);
        }
        plan.send(MakeSetMode(settings));
        plan.sleep(100);
    }

    plan.sleep(10);
    plan.resetAck();
    plan.send(MakeExitEdit());
    plan.wait(ACK_EXITED, kExitWaitSeconds, 3, true, 20);
    return plan;
}

}  // namespace

std::vector<WriteStep> buildWritePlan(const ConfigModel& model) {
    return planWrite(model).steps;
}

std::vector<std::string> leftOutOfWrite(const ConfigModel& model) {
    return planWrite(model).leftOut;
}

std::vector<std::string> planCommands(const std::vector<WriteStep>& plan) {
    std::vector<std::string> commands;
    for (const auto& step : plan) {
        if (step.kind == WriteStep::Send) {
            commands.push_back(step.command);
        }
    }
    return commands;
}

long long planPacingMs(const std::vector<WriteStep>& plan) {
    long long total = 0;
    for (const auto& step : plan) {
        if (step.kind == WriteStep::Sleep) {
            total += step.milliseconds;
        }
    }
    return total;
}

}  // namespace velk
