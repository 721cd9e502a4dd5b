#pragma once

#include <string>
#include <vector>

#include "device/ReplyReader.h"
#include "model/ConfigModel.h"

namespace velk {

// One step of writing a configuration into the panel. The plan is a pure function of the model;
// the writer thread carries it out, velkctl prints its commands.
struct WriteStep {
    enum Kind {
        Send,         // command: one transmission
        Sleep,        // milliseconds
        ResetAck,     // m_writeAck := ACK_NONE
        WaitAck,      // wait for ack within seconds; progressAt/progressValue: the one tick on the way
        SetProgress,  // progress := value, then post it
        AddProgress,  // progress += value, then post it
    };
    Kind kind = Send;
    std::string command;
    int milliseconds = 0;
    WriteAck ack = ACK_NONE;
    int seconds = 0;
    double value = 0;
    // For WaitAck: when a poll finds exactly tickAt seconds elapsed, progress is set to (tickAdds
    // false) or raised by (true) tickValue and posted; tickAt < 0 means no tick.
    int tickAt = -1;
    bool tickAdds = false;
    double tickValue = 0;
};

// Seconds each acknowledgement may take.
constexpr int kClearWaitSeconds = 15;
constexpr int kAddedWaitSeconds = 10;
constexpr int kExitWaitSeconds = 15;

// How far the progress bar moves for one enumerated variable command: 330 divided by the number of
// non-empty enumerated variable, variable and target commands plus 5 for each non-empty action list
// (at least 1). Variables and targets move it a seventh of that, an action list five times it.
int writeProgressIncrement(const ConfigModel& model);

std::vector<WriteStep> buildWritePlan(const ConfigModel& model);

// What a write leaves out because a command is longer than the link carries: the lists ("E3") and
// events ("按键1 按下") whose commands are not sent, in write order, each once. The write goes on
// with the rest.
std::vector<std::string> leftOutOfWrite(const ConfigModel& model);

// The read requests: every getenum, getvar (1..10) and getser (targets 1..6), 50 ms apart.
std::vector<WriteStep> buildReadPlan();

// The commands of a plan in send order.
std::vector<std::string> planCommands(const std::vector<WriteStep>& plan);

// The sum of the plan's sleeps, in milliseconds: the pacing a write must spend.
long long planPacingMs(const std::vector<WriteStep>& plan);

}  // namespace velk
