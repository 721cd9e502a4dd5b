#include "site/PanelRead.h"

#include <filesystem>

#include "device/WritePlan.h"
#include "model/StrPrintf.h"
#include "session/IgnoringObserver.h"
#include "session/MessagePump.h"
#include "session/Session.h"
#include "site/PanelWrite.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

// Replies still on their way after the last request are waited for this long.
constexpr int kReadGraceMs = 1500;
constexpr int kReadLimitMs = 60000;

// Keeps the first error the session reports.
class ReadObserver : public IgnoringObserver {
public:
    void message(MessageTitle title, const std::string& text) override {
        if (title == MessageTitle::Error && error.empty()) {
            error = text;
        }
    }

    std::string error;
};

PanelResult ended(PanelOutcome kind, std::string reason, int replies = 0) {
    PanelResult result;
    result.outcome = kind;
    result.reason = std::move(reason);
    result.replies = replies;
    return result;
}

// Reads the panel through a session on the copy; what the read brought, before the copy is kept
// or dropped.
PanelResult readInto(const std::string& copy, const SiteTarget& target, const SiteRunOptions& options,
                     ProgressBoard& board, const StopSwitch& stop, size_t panel, int attempt,
                     PacingClock& clock) {
    ReadObserver observer;
    MessageQueue queue;
    Session session(observer, queue, clock);
    MessagePump pump(queue, session);
    auto stopped = [&] { return stop.stopped(); };
    if (!session.project().openProject(copy) || !pump.flush()) {
        session.shutdown();
        return ended(PanelOutcome::Failed, "cannot open the copy " + copy + ": " + observer.error);
    }

    DeviceSession& device = session.device();
    device.connectOrDisconnect(target.panel.ip, target.panel.port);
    pump.runUntil([&] { return device.linkState() != LinkState::Connecting || stopped(); },
                  options.connectTimeoutMs + kReadGraceMs);
    if (stopped()) {
        session.shutdown();
        return ended(PanelOutcome::Stopped, "interrupted while connecting");
    }
    if (device.linkState() != LinkState::Connected) {
        const std::string error = device.lastLinkError();
        session.shutdown();
        return ended(PanelOutcome::Unreachable, connectFailureReason(error.empty() ? "no answer" : error));
    }
    board.setPhase(panel, PanelPhase::Working, attempt);
    // The replies are held until the read ends: the copy gets all of them or none.
    device.read(ReadMode::AllOrNothing);
    auto showProgress = [&] {
        board.setProgress(panel, device.readAnsweredCount() * 400 / readReplyCount());
        return false;
    };
    pump.runUntil([&] { return showProgress() || !device.reading() || stopped(); }, kReadLimitMs);
    pump.runUntil(
        [&] {
            return showProgress() || device.readAnswered() || stopped() ||
                   device.linkState() != LinkState::Connected;
        },
        kReadGraceMs);
    const bool lost = device.lastReadLostLink() || device.linkState() != LinkState::Connected;
    const ReadResult read = device.finishRead(false);
    if (!stopped() && device.linkState() == LinkState::Connected) {
        device.flushSends();
        device.connectOrDisconnect(0, 0);
        pump.runUntil([&] { return device.linkState() == LinkState::Closed; }, 5000);
    }
    const bool written = pump.flush();
    device.shutdown();
    const bool quit = session.project().shutdown();
    session.shutdown();

    const int replies = read.answered;
    if (stopped() && !read.complete) {
        return ended(PanelOutcome::Stopped, "interrupted during the read", replies);
    }
    if (!observer.error.empty()) {
        return ended(PanelOutcome::Failed, observer.error, replies);
    }
    if (!written || !quit) {
        return ended(PanelOutcome::Failed, "the copy " + copy + " was not written in time", replies);
    }
    if (read.complete) {
        return ended(PanelOutcome::Done, "", replies);
    }
    std::string rows;
    for (const std::string& problem : read.problems) {
        rows += (rows.empty() ? "" : "; ") + problem;
    }
    if (lost) {
        return ended(PanelOutcome::Dropped, "connection dropped by the panel: " + rows, replies);
    }
    if (replies == 0) {
        return ended(PanelOutcome::TimedOut, "no answer to the read requests", replies);
    }
    return ended(PanelOutcome::TimedOut,
                 strprintf("%d of %d rows not read: ", readReplyCount() - replies, readReplyCount()) + rows,
                 replies);
}

PanelResult readOnce(const SiteTarget& target, const SiteRunOptions& options, const SiteReadOptions& read,
                     ProgressBoard& board, const StopSwitch& stop, size_t panel, int attempt,
                     PacingClock& clock) {
    const std::string finalPath = readCopyPath(read.folder, target.name);
    const std::string copy = finalPath + ".part";
    std::error_code error;
    fs::copy_file(target.project, copy, fs::copy_options::overwrite_existing, error);
    if (error) {
        return ended(PanelOutcome::Failed, "cannot copy the project to " + copy + ": " + error.message());
    }
    PanelResult result = readInto(copy, target, options, board, stop, panel, attempt, clock);
    if (result.outcome == PanelOutcome::Done) {
        fs::rename(copy, finalPath, error);
        if (!error) {
            return result;
        }
        result = ended(PanelOutcome::Failed, "cannot name the copy " + finalPath + ": " + error.message(),
                       result.replies);
    }
    // A copy the panel did not fill is no backup of it.
    fs::remove(copy, error);
    return result;
}

}  // namespace

std::string readCopyPath(const std::string& folder, const std::string& name) {
    return (fs::path(folder) / (name + ".db")).string();
}

int readReplyCount() {
    static const int count = static_cast<int>(planCommands(buildReadPlan()).size());
    return count;
}

SiteRun::PanelJob siteReadJob(const std::vector<SiteTarget>& targets, const SiteRunOptions& options,
                              const SiteReadOptions& read, ProgressBoard& board, StopSwitch& stop) {
    return [&targets, &options, &read, &board, &stop](size_t panel) {
        return runWithRetries(panel, options, board, stop, [&](int attempt, PacingClock& clock) {
            return readOnce(targets[panel], options, read, board, stop, panel, attempt, clock);
        });
    };
}

}  // namespace velk
