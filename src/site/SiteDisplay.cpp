#include "site/SiteDisplay.h"

#include <algorithm>
#include <array>
#include <map>

#include "model/StrPrintf.h"
#include "site/TextWidth.h"

namespace velk {
namespace {

constexpr int kBarWidth = 20;
constexpr int kFullProgress = 400;

std::string bar(int progress) {
    const int filled = std::clamp(progress, 0, kFullProgress) * kBarWidth / kFullProgress;
    std::string text = "[";
    text.append(static_cast<size_t>(filled), '#');
    text.append(static_cast<size_t>(kBarWidth - filled), '.');
    return text + "]";
}

const char* workWord(SiteTask task) {
    return task == SiteTask::Write ? "writing" : "reading";
}

std::string attemptSuffix(int attempt) {
    return attempt > 1 ? strprintf(" (attempt %d)", attempt) : std::string();
}

std::string stateText(const PanelView& view, SiteTask task) {
    switch (view.phase) {
        case PanelPhase::Waiting:
            return "waiting";
        case PanelPhase::Connecting:
            return "connecting" + attemptSuffix(view.attempt);
        case PanelPhase::Working:
            return workWord(task) + attemptSuffix(view.attempt);
        case PanelPhase::Retrying:
            return view.note;
        case PanelPhase::Finished:
            break;
    }
    if (!view.result) {
        return "finished";
    }
    return resultText(*view.result, task) + strprintf(", %.1f s", view.result->seconds);
}

bool succeeded(const PanelView& view) {
    return view.result && view.result->outcome == PanelOutcome::Done;
}

}  // namespace

std::string liveLine(const PanelLabel& label, const PanelView& view, SiteTask task, size_t nameWidth,
                     size_t panelWidth) {
    const bool finished = view.phase == PanelPhase::Finished;
    const bool complete =
        finished && view.result &&
        (view.result->outcome == PanelOutcome::Done || view.result->outcome == PanelOutcome::LeftOut);
    std::string count = finished ? std::string(7, ' ') : strprintf("%3d/%d", view.progress, kFullProgress);
    return padded(label.name, nameWidth) + "  " + padded(label.panel, panelWidth) + "  " +
           bar(complete ? kFullProgress : view.progress) + " " + count + "  " + stateText(view, task);
}

std::string changeLine(const PanelLabel& label, const PanelView& view, SiteTask task) {
    return label.name + " (" + label.panel + "): " + stateText(view, task);
}

std::string totalsLine(const std::vector<PanelView>& views, SiteTask task) {
    std::map<std::string, int> finished;
    int running = 0;
    int waiting = 0;
    for (const PanelView& view : views) {
        if (view.phase == PanelPhase::Finished && view.result) {
            ++finished[outcomeWord(view.result->outcome, task)];
        } else if (view.phase == PanelPhase::Waiting) {
            ++waiting;
        } else {
            ++running;
        }
    }
    std::string text = strprintf("%zu panel%s:", views.size(), views.size() == 1 ? "" : "s");
    std::string parts;
    auto add = [&](int count, const std::string& word) {
        if (count > 0) {
            parts += strprintf("%s %d %s", parts.empty() ? "" : ",", count, word.c_str());
        }
    };
    // Successes first, then the failures, then what is still to come.
    add(finished[outcomeWord(PanelOutcome::Done, task)], outcomeWord(PanelOutcome::Done, task));
    for (const auto& [word, count] : finished) {
        if (word != outcomeWord(PanelOutcome::Done, task)) {
            add(count, word);
        }
    }
    add(running, "running");
    add(waiting, "waiting");
    return text + parts;
}

std::string summaryTable(const std::vector<PanelLabel>& labels, const std::vector<PanelResult>& results,
                         SiteTask task) {
    std::vector<std::array<std::string, 4>> rows;
    rows.push_back({"name", "panel", "result", "seconds"});
    std::vector<PanelView> views;
    for (size_t i = 0; i < labels.size() && i < results.size(); ++i) {
        rows.push_back({labels[i].name, labels[i].panel, resultText(results[i], task),
                        strprintf("%.1f", results[i].seconds)});
        PanelView view;
        view.phase = PanelPhase::Finished;
        view.result = results[i];
        views.push_back(view);
    }
    std::array<size_t, 4> widths{};
    for (const auto& row : rows) {
        for (size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], displayWidth(row[c]));
        }
    }
    std::string table;
    for (const auto& row : rows) {
        std::string line = padded(row[0], widths[0]) + "  " + padded(row[1], widths[1]) + "  " +
                           padded(row[2], widths[2]) + "  " + paddedLeft(row[3], widths[3]);
        table += line + "\n";
    }
    return table + totalsLine(views, task) + "\n";
}

SiteDisplay::SiteDisplay(std::FILE* out, bool terminal, SiteTask task, std::vector<PanelLabel> labels)
    : m_out(out), m_terminal(terminal), m_task(task), m_labels(std::move(labels)) {
    for (const PanelLabel& label : m_labels) {
        m_nameWidth = std::max(m_nameWidth, displayWidth(label.name));
        m_panelWidth = std::max(m_panelWidth, displayWidth(label.panel));
    }
}

std::vector<std::string> SiteDisplay::frame(const std::vector<PanelView>& views, int width,
                                            int height) const {
    std::vector<std::string> lines;
    lines.push_back(totalsLine(views, m_task));
    // Room for the totals and the line the cursor rests on.
    const size_t room = static_cast<size_t>(std::max(height - 2, 1));
    std::vector<size_t> shown;
    for (size_t i = 0; i < views.size(); ++i) {
        shown.push_back(i);
    }
    if (shown.size() > room) {
        // The finished successes make way first, then the waiting panels.
        std::vector<size_t> running;
        std::vector<size_t> failed;
        for (size_t i = 0; i < views.size(); ++i) {
            if (views[i].phase == PanelPhase::Finished) {
                if (!succeeded(views[i])) {
                    failed.push_back(i);
                }
            } else if (views[i].phase != PanelPhase::Waiting) {
                running.push_back(i);
            }
        }
        shown = failed;
        shown.insert(shown.end(), running.begin(), running.end());
        std::sort(shown.begin(), shown.end());
        if (shown.size() + 1 > room) {
            shown.resize(room - 1);
        }
    }
    for (size_t i : shown) {
        lines.push_back(liveLine(m_labels[i], views[i], m_task, m_nameWidth, m_panelWidth));
    }
    if (shown.size() < views.size()) {
        lines.push_back(strprintf("(%zu more not shown)", views.size() - shown.size()));
    }
    for (std::string& line : lines) {
        line = fitted(line, static_cast<size_t>(std::max(width - 1, 20)));
    }
    return lines;
}

void SiteDisplay::show(const ProgressBoard::Snapshot& snapshot, int width, int height) {
    if (!m_terminal) {
        for (const auto& [panel, view] : snapshot.changes) {
            if (panel < m_labels.size()) {
                std::fprintf(m_out, "%s\n", changeLine(m_labels[panel], view, m_task).c_str());
            }
        }
        std::fflush(m_out);
        return;
    }
    if (m_shownOnce && snapshot.version == m_shownVersion) {
        return;
    }
    m_shownOnce = true;
    m_shownVersion = snapshot.version;
    std::string text;
    if (m_drawnLines > 0) {
        text += strprintf("\x1b[%dA", m_drawnLines);
    }
    text += "\r\x1b[J";
    std::vector<std::string> lines = frame(snapshot.panels, width, height);
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    m_drawnLines = static_cast<int>(lines.size());
    std::fwrite(text.data(), 1, text.size(), m_out);
    std::fflush(m_out);
}

void SiteDisplay::note(const std::string& line) {
    if (m_terminal && m_drawnLines > 0) {
        // The note goes above the panels, which the next show() draws again below it.
        std::fprintf(m_out, "\x1b[%dA\r\x1b[J", m_drawnLines);
        m_drawnLines = 0;
        m_shownOnce = false;
    }
    std::fprintf(m_out, "%s\n", line.c_str());
    std::fflush(m_out);
}

}  // namespace velk
