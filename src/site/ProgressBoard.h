#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "site/PanelResult.h"

namespace velk {

// Where one panel's run stands.
enum class PanelPhase { Waiting, Connecting, Working, Retrying, Finished };

// What the display shows of one panel.
struct PanelView {
    PanelPhase phase = PanelPhase::Waiting;
    int progress = 0;  // the write's 0..400; a read's replies scaled to it
    int attempt = 0;
    std::string note;                   // why it is retrying
    std::optional<PanelResult> result;  // once finished
};

// The one thing the runs of a site share: what each panel is doing, for the display. Every call
// takes the lock only to copy a few values; nothing sleeps or writes to the terminal under it.
class ProgressBoard {
public:
    explicit ProgressBoard(size_t panels);

    // Any thread (a panel's own run).
    void setPhase(size_t panel, PanelPhase phase, int attempt, const std::string& note = {});
    void setProgress(size_t panel, int position);
    void finish(size_t panel, const PanelResult& result);

    struct Snapshot {
        std::vector<PanelView> panels;
        // Every phase change since the last snapshot, in order, each with the panel as it was then.
        std::vector<std::pair<size_t, PanelView>> changes;
        uint64_t version = 0;  // grows with every change, progress included
    };
    // The display thread: the panels as they are now and the phase changes since the last call.
    Snapshot take();

    size_t size() const { return m_panels.size(); }

private:
    mutable std::mutex m_mutex;
    std::vector<PanelView> m_panels;
    std::vector<std::pair<size_t, PanelView>> m_changes;
    uint64_t m_version = 0;
};

}  // namespace velk
