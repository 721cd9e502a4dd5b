#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "site/PanelResult.h"
#include "site/ProgressBoard.h"

namespace velk {

// How a panel is named on the screen and in the report.
struct PanelLabel {
    std::string name;
    std::string panel;    // IP:PORT
    std::string project;  // its project file
};

// The live line of one panel: name, address, a bar of the write's progress 0..400 and its state.
std::string liveLine(const PanelLabel& label, const PanelView& view, SiteTask task, size_t nameWidth,
                     size_t panelWidth);

// The plain line a change of state prints when standard error is no terminal.
std::string changeLine(const PanelLabel& label, const PanelView& view, SiteTask task);

// "20 panels: 17 written, 1 timed out, 2 running"
std::string totalsLine(const std::vector<PanelView>& views, SiteTask task);

// The table printed at the end: name, panel, result, seconds; then the totals.
std::string summaryTable(const std::vector<PanelLabel>& labels, const std::vector<PanelResult>& results,
                         SiteTask task);

// Shows the panels while they run. On a terminal one line per panel, redrawn in place (when there
// are more panels than lines, the totals and the panels that are running or failed); otherwise a
// plain line for each change. Called from one thread only (the main thread).
class SiteDisplay {
public:
    SiteDisplay(std::FILE* out, bool terminal, SiteTask task, std::vector<PanelLabel> labels);

    // The board as it is now; width and height of the terminal (ignored when there is none).
    void show(const ProgressBoard::Snapshot& snapshot, int width, int height);
    // A line of its own below the panels (on a terminal the panels are drawn again under it).
    void note(const std::string& line);

private:
    std::vector<std::string> frame(const std::vector<PanelView>& views, int width, int height) const;

    std::FILE* m_out;
    const bool m_terminal;
    const SiteTask m_task;
    std::vector<PanelLabel> m_labels;
    size_t m_nameWidth = 4;
    size_t m_panelWidth = 5;
    int m_drawnLines = 0;
    uint64_t m_shownVersion = 0;
    bool m_shownOnce = false;
};

}  // namespace velk
