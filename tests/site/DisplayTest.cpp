#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "model/StrPrintf.h"
#include "site/SiteDisplay.h"
#include "site/TextWidth.h"

namespace velk {
namespace {

const std::string kHall = "\xE4\xBC\x9A\xE8\xAE\xAE\xE5\xAE\xA4";  // three wide characters

PanelView finished(PanelOutcome outcome, const std::string& reason, double seconds, int attempts = 1) {
    PanelView view;
    view.phase = PanelPhase::Finished;
    PanelResult result;
    result.outcome = outcome;
    result.reason = reason;
    result.seconds = seconds;
    result.attempts = attempts;
    view.result = result;
    return view;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

// What a display wrote into a memory stream.
class Captured {
public:
    Captured() : m_file(open_memstream(&m_buffer, &m_size)) {}
    ~Captured() {
        std::fclose(m_file);
        std::free(m_buffer);
    }
    std::FILE* file() { return m_file; }
    std::string text() {
        std::fflush(m_file);
        return std::string(m_buffer, m_size);
    }

private:
    char* m_buffer = nullptr;
    size_t m_size = 0;
    std::FILE* m_file;
};

TEST(DisplayTest, WidthsCountColumnsNotBytes) {
    EXPECT_EQ(displayWidth("abc"), 3u);
    EXPECT_EQ(displayWidth(kHall), 6u);
    EXPECT_EQ(displayWidth("e\xCC\x81"), 1u);  // e and a combining accent
    EXPECT_EQ(displayWidth("\xFF"), 1u);
    EXPECT_EQ(padded(kHall, 8), kHall + "  ");
    EXPECT_EQ(paddedLeft("7.5", 6), "   7.5");
    EXPECT_EQ(fitted(kHall, 5), "\xE4\xBC\x9A\xE8\xAE\xAE");  // never half a character
    EXPECT_EQ(fitted("abcdef", 4), "abcd");
}

TEST(DisplayTest, LiveLinesShowTheBarAndTheState) {
    const PanelLabel label{"lobby", "10.0.0.1:4800", "p.db"};
    PanelView view;
    EXPECT_EQ(liveLine(label, view, SiteTask::Write, 6, 13),
              "lobby   10.0.0.1:4800  [....................]   0/400  waiting");
    view.phase = PanelPhase::Working;
    view.progress = 200;
    EXPECT_EQ(liveLine(label, view, SiteTask::Write, 6, 13),
              "lobby   10.0.0.1:4800  [##########..........] 200/400  writing");
    view.attempt = 2;
    EXPECT_NE(liveLine(label, view, SiteTask::Read, 6, 13).find("reading (attempt 2)"), std::string::npos);
    view = finished(PanelOutcome::Done, "", 6.04);
    view.progress = 377;  // a write with variables ends short of 400; written is written
    EXPECT_EQ(liveLine(label, view, SiteTask::Write, 6, 13),
              "lobby   10.0.0.1:4800  [####################]          written, 6.0 s");
    view = finished(PanelOutcome::TimedOut, "no answer to the clear command within 15 s", 15.3, 2);
    view.progress = 10;
    EXPECT_EQ(
        changeLine(label, view, SiteTask::Write),
        "lobby (10.0.0.1:4800): timed out: no answer to the clear command within 15 s (2 attempts), 15.3 s");
}

TEST(DisplayTest, TotalsCountEveryState) {
    std::vector<PanelView> views(6);
    views[0] = finished(PanelOutcome::Done, "", 1);
    views[1] = finished(PanelOutcome::Done, "", 1);
    views[2] = finished(PanelOutcome::Unreachable, "connection refused", 0);
    views[3].phase = PanelPhase::Working;
    views[4].phase = PanelPhase::Retrying;
    EXPECT_EQ(totalsLine(views, SiteTask::Write), "6 panels: 2 written, 1 unreachable, 2 running, 1 waiting");
}

TEST(DisplayTest, SummaryTableLinesUpWideNames) {
    const std::vector<PanelLabel> labels = {{kHall, "10.0.0.1:4800", "a.db"},
                                            {"lobby-east", "10.0.0.22:4801", "b.db"}};
    std::vector<PanelResult> results(2);
    results[0].outcome = PanelOutcome::Done;
    results[0].seconds = 6.25;
    results[1].outcome = PanelOutcome::Unreachable;
    results[1].reason = "connection refused";
    results[1].seconds = 0.01;
    const std::vector<std::string> lines = linesOf(summaryTable(labels, results, SiteTask::Write));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "name        panel           result                           seconds");
    EXPECT_EQ(lines[1], kHall + "      10.0.0.1:4800   written                              6.2");
    EXPECT_EQ(lines[2], "lobby-east  10.0.0.22:4801  unreachable: connection refused      0.0");
    EXPECT_EQ(lines[3], "2 panels: 1 written, 1 unreachable");
    for (const std::string& line : lines) {
        if (line != lines[3]) {
            EXPECT_EQ(displayWidth(line), displayWidth(lines[0])) << line;
        }
    }
}

TEST(DisplayTest, PlainOutputPrintsEachChangeOnce) {
    Captured out;
    SiteDisplay display(out.file(), false, SiteTask::Write,
                        {{"a", "10.0.0.1:4800", ""}, {"b", "10.0.0.2:4800", ""}});
    ProgressBoard board(2);
    board.setPhase(0, PanelPhase::Connecting, 1);
    board.setPhase(0, PanelPhase::Working, 1);
    board.setProgress(0, 120);  // progress alone prints nothing
    display.show(board.take(), 80, 24);
    board.setProgress(0, 200);
    display.show(board.take(), 80, 24);
    PanelResult result;
    result.outcome = PanelOutcome::Done;
    result.seconds = 2;
    board.finish(0, result);
    display.show(board.take(), 80, 24);
    EXPECT_EQ(out.text(),
              "a (10.0.0.1:4800): connecting\n"
              "a (10.0.0.1:4800): writing\n"
              "a (10.0.0.1:4800): written, 2.0 s\n");
}

TEST(DisplayTest, TerminalOutputRedrawsInPlaceAndFitsTheScreen) {
    Captured out;
    std::vector<PanelLabel> labels;
    for (int i = 0; i < 30; ++i) {
        labels.push_back({strprintf("panel-%d", i), strprintf("10.0.0.1:%d", 4800 + i), ""});
    }
    SiteDisplay display(out.file(), true, SiteTask::Write, labels);
    ProgressBoard board(labels.size());
    display.show(board.take(), 60, 40);
    std::string first = out.text();
    // The totals and one line per panel, each cut to the width.
    EXPECT_EQ(linesOf(first).size(), 31u);
    for (const std::string& line : linesOf(first)) {
        EXPECT_LE(displayWidth(line), 60u + 4) << line;  // the escape codes before the first line
    }
    // Nothing changed: nothing drawn.
    display.show(board.take(), 60, 40);
    EXPECT_EQ(out.text(), first);

    board.setPhase(3, PanelPhase::Working, 1);
    board.finish(7, finished(PanelOutcome::Unreachable, "connection refused", 0).result.value());
    display.show(board.take(), 60, 10);
    const std::string second = out.text().substr(first.size());
    // Back up over the 31 lines drawn, then a frame that fits 10 lines: totals, the running and
    // failed panels, and how many are not shown.
    EXPECT_EQ(second.rfind("\x1b[31A\r\x1b[J", 0), 0u);
    const std::vector<std::string> lines = linesOf(second);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[0].find("30 panels: 1 unreachable, 1 running, 28 waiting"), std::string::npos);
    EXPECT_EQ(lines[1].rfind("panel-3 ", 0), 0u);
    EXPECT_EQ(lines[2].rfind("panel-7 ", 0), 0u);
    EXPECT_EQ(lines[3], "(28 more not shown)");
}

}  // namespace
}  // namespace velk
