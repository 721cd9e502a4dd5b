#include "site/ProgressBoard.h"

#include <algorithm>

namespace velk {

ProgressBoard::ProgressBoard(size_t panels) : m_panels(panels) {}

void ProgressBoard::setPhase(size_t panel, PanelPhase phase, int attempt, const std::string& note) {
    std::lock_guard lock(m_mutex);
    PanelView& view = m_panels.at(panel);
    view.phase = phase;
    view.attempt = attempt;
    view.note = note;
    if (phase == PanelPhase::Connecting || phase == PanelPhase::Retrying) {
        view.progress = 0;
    }
    m_changes.emplace_back(panel, view);
    ++m_version;
}

void ProgressBoard::setProgress(size_t panel, int position) {
    std::lock_guard lock(m_mutex);
    PanelView& view = m_panels.at(panel);
    const int clamped = std::clamp(position, 0, 400);
    if (view.progress != clamped) {
        view.progress = clamped;
        ++m_version;
    }
}

void ProgressBoard::finish(size_t panel, const PanelResult& result) {
    std::lock_guard lock(m_mutex);
    PanelView& view = m_panels.at(panel);
    view.phase = PanelPhase::Finished;
    view.note.clear();
    view.result = result;
    m_changes.emplace_back(panel, view);
    ++m_version;
}

ProgressBoard::Snapshot ProgressBoard::take() {
    std::lock_guard lock(m_mutex);
    Snapshot snapshot;
    snapshot.panels = m_panels;
    snapshot.version = m_version;
    snapshot.changes.swap(m_changes);
    return snapshot;
}

}  // namespace velk
