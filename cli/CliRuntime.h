#pragma once

#include <array>
#include <cstdio>
#include <functional>
#include <string>

#include "cli/TerminalText.h"
#include "device/PacingClock.h"
#include "device/PanelAddress.h"
#include "model/UiPoster.h"
#include "session/FormMirror.h"
#include "session/MessagePump.h"
#include "session/Session.h"

namespace velk {

// One velkctl run: the session with a mirror of the form, and a main thread that handles the
// messages the worker threads post, as the desktop's event loop would. Messages the session
// shows go to stderr.
class CliRuntime {
public:
    CliRuntime();
    ~CliRuntime();

    // The project file the run works on, named before the session's messages of a failure.
    std::string subject;

    FormMirror observer;
    MessageQueue queue;
    SystemClock clock;
    Session session;
    MessagePump pump;

    // Handles posted messages until done() holds or timeoutMs pass.
    bool runUntil(const std::function<bool()>& done, int timeoutMs) { return pump.runUntil(done, timeoutMs); }

    // Opens an existing project file and waits until every row is in the model. A missing file
    // is an error here: velkctl never creates a project by reading it.
    bool openAndLoad(const std::string& path);

    // Waits until every statement queued so far has run.
    bool flushDatabase(int timeoutMs = 30000) { return pump.flush(timeoutMs); }

    // Connects the session's link; on failure says why on stderr.
    bool connectPanel(const PanelAddress& panel);
    // Hands every queued command to the socket, then closes the link and waits for its end.
    void disconnectPanel();
    // Loads the project file and connects to the panel: kExitOk when both worked, else the exit
    // status to end with.
    int loadAndConnect(const std::string& file, const PanelAddress& panel);
};

// Prints the texts of one row as one line of stdout, separated by tabs; texts from the file or
// the panel are escaped for the terminal.
template <size_t N>
void printRow(const std::array<std::string, N>& texts) {
    for (size_t i = 0; i < N; ++i) {
        std::fputs(cli::terminalText(texts[i]).c_str(), stdout);
        std::fputc(i + 1 < N ? '\t' : '\n', stdout);
    }
}

// Says on stderr why path cannot be a project file to read (missing, a directory, not a file).
bool projectFileExists(const std::string& path);

// Says on stderr, naming the file, that another window or program holds the project, and returns
// true then: commands that change a project refuse it.
bool refuseHeldProject(const std::string& path);

// Whether any run in this process told the user of an error (a project that would not open, a
// statement that failed): such a run must not end with status 0.
bool errorWasShown();

}  // namespace velk
