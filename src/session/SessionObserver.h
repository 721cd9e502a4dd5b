#pragma once

#include <string>
#include <vector>

#include "action/ActionText.h"
#include "device/ReplyReader.h"
#include "session/RowTexts.h"

namespace velk {

enum class LinkState { Closed, Connecting, Connected };

enum class MessageTitle { Error, Notice };  // "错误", "提示"

// Whether every edit is in the project file. While one is not, the form says so until it is.
struct SaveState {
    int pending = 0;        // statements held back from the file
    std::string reason;     // why, in the user's words; empty while everything is saved
    bool fileLost = false;  // the file changed underneath: only 另存为 or reopening helps
    bool saved() const { return reason.empty(); }
    bool operator==(const SaveState&) const = default;
};

// What the form shows, as the session reports it. The desktop view implements it with widgets,
// velkctl for a terminal and the tests as a recorder. Every text is UTF-8.
class SessionObserver {
public:
    virtual ~SessionObserver() = default;

    // Rows of the three fixed lists (10, 16 and 7 rows).
    virtual void enumRowChanged(int row, const EnumRowTexts& texts) = 0;
    virtual void variableRowChanged(int row, const VariableRowTexts& texts) = 0;
    virtual void netTargetRowChanged(int row, const NetTargetRowTexts& texts) = 0;

    // The action list of the current event: refilled whole, or one row appended, rewritten or removed.
    virtual void actionListFilled(const std::vector<ActionRowTexts>& rows) = 0;
    virtual void actionRowAppended(const ActionRowTexts& texts) = 0;
    virtual void actionRowChanged(int row, const ActionRowTexts& texts) = 0;
    virtual void actionRowRemoved(int row) = 0;

    // Time and append texts of the current event and the enabled state of their two buttons.
    virtual void eventSettingsShown(const EventSettingsTexts& texts) = 0;
    // The checked event selector changed without a click (a project load selects slot 0).
    virtual void currentEventChanged(int slot) = 0;

    // A project was created or opened: path field, and every editing control enabled.
    virtual void projectOpened(const std::string& utf8Path) = 0;

    // Connect caption and the device controls (写入, 红外ID, 红外学习, 网络设置).
    virtual void linkStateChanged(LinkState state) = 0;
    // The word next to the address fields: why the last attempt failed or that the panel's
    // connection was lost; empty clears it (a new attempt). Kept until the next attempt.
    virtual void linkNoticeChanged(const std::string& utf8) { static_cast<void>(utf8); }
    // The actions or the time and append settings of an event slot changed (load, edit, undo), so
    // an overview of the events can be brought up to date.
    virtual void eventContentChanged(int slot) { static_cast<void>(slot); }

    // The edits stopped reaching the project file, or all reached it again.
    virtual void saveStateChanged(const SaveState& state) { static_cast<void>(state); }

    virtual void writeStarted() = 0;
    virtual void writeProgress(int position) = 0;  // 0..400
    // Ends the progress dialog; the outcome message follows through message().
    virtual void writeEnded() = 0;

    virtual void message(MessageTitle title, const std::string& text) = 0;

    // The panel answered getlan; the desktop opens the panel network dialog.
    virtual void panelNetworkReceived(const PanelNetworkReply& reply) = 0;
};

}  // namespace velk
