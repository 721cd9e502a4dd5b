#include "site/PanelWrite.h"

#include <atomic>
#include <string_view>

#include "device/Commands.h"
#include "model/StrPrintf.h"
#include "site/SiteWriteLoop.h"

namespace velk {
namespace {

std::string headerEventName(const std::string& header) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (header == MakeKeyEdit(inputOf(slot)) + MakeAddAct(eventOf(slot))) {
            return eventName(slot);
        }
    }
    return "an event";
}

}  // namespace

std::string timeoutReason(const std::vector<WriteStep>& plan, size_t commandsSent) {
    size_t sends = 0;
    const WriteStep* lastSend = nullptr;
    for (const WriteStep& step : plan) {
        if (step.kind == WriteStep::Send) {
            if (sends == commandsSent) {
                break;
            }
            ++sends;
            lastSend = &step;
        } else if (step.kind == WriteStep::WaitAck && lastSend != nullptr && sends == commandsSent) {
            switch (step.ack) {
                case ACK_CLEARED:
                    return strprintf("no answer to the clear command within %d s", step.seconds);
                case ACK_ADDED:
                    return strprintf("no answer to the header of %s within %d s",
                                     headerEventName(lastSend->command).c_str(), step.seconds);
                case ACK_EXITED:
                    return strprintf("no answer to the exit command within %d s", step.seconds);
                case ACK_NONE:
                    break;
            }
        }
    }
    return "no answer in time";
}

std::string connectFailureReason(const std::string& linkError) {
    const std::string prefix = "connect: ";
    std::string reason = linkError.rfind(prefix, 0) == 0 ? linkError.substr(prefix.size()) : linkError;
    if (reason.empty()) {
        return "no connection";
    }
    // strerror's texts begin with a capital letter.
    if (reason.size() > 1 && reason[0] >= 'A' && reason[0] <= 'Z' &&
        !(reason[1] >= 'A' && reason[1] <= 'Z')) {
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    }
    return reason;
}

SiteRun::PanelJob siteWriteJob(const std::vector<SiteTarget>& targets, const SiteRunOptions& options,
                               ProgressBoard& board, StopSwitch& stop) {
    return [&targets, &options, &board, &stop](size_t panel) {
        std::vector<PanelResult> results(targets.size());
        std::atomic<size_t> done{0};
        SiteWriteLoop loop(targets, options, board, stop);
        loop.run({panel}, results, done);
        return results[panel];
    };
}

}  // namespace velk
