// The order of an event's actions, which is the order a write sends them: the same before and after
// the project is reopened, and changed only by moving an action up or down.
#include <variant>

#include "action/ActionText.h"
#include "device/CommandLog.h"
#include "device/WritePlan.h"
#include "project/Statements.h"
#include "support/ActionMaker.h"
#include "support/Program.h"
#include "support/ProjectFixture.h"

namespace velk::test {
namespace {

// What `velkctl commands` prints for the model: every command a write sends, one a line.
std::string writeStream(const ConfigModel& model) {
    std::string stream;
    for (const std::string& command : planCommands(buildWritePlan(model))) {
        stream += escapeCommand(command) + "\n";
    }
    return stream;
}

std::vector<FunctionCode> functions(const std::vector<KeyAction>& list) {
    std::vector<FunctionCode> result;
    for (const KeyAction& action : list) {
        result.push_back(action.function);
    }
    return result;
}

std::vector<int> ids(const std::vector<KeyAction>& list) {
    std::vector<int> result;
    for (const KeyAction& action : list) {
        result.push_back(action.id);
    }
    return result;
}

class ActionOrder : public ProjectFixture {
protected:
    void SetUp() override {
        path = newProject("order.db");
        session->setEditListener([this](const ProjectEdit& edit) { edits.push_back(edit); });
    }

    // Closes the project as the program's exit does and opens it again in a new session.
    void reopen() {
        flushAll();
        closeSession();
        startSession();
        ASSERT_TRUE(session->openProject(path));
        flushAll();
    }

    // The file's commands as velkctl reads them.
    std::string velkctlCommands() {
        ProgramRun run = runProgram(VELKCTL_PATH, {"commands", path});
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    }

    const std::vector<KeyAction>& slotList(int slot) {
        return session->model().actions[static_cast<size_t>(slot)];
    }

    std::string path;
    std::vector<ProjectEdit> edits;
};

TEST_F(ActionOrder, ADeleteAndAnAddSendTheSameOrderBeforeAndAfterReopening) {
    session->selectEvent(1);
    // Infrared, then the relay, then the projector's command; the infrared is then replaced.
    session->commitAddAction(infraredAction(1, 12));
    session->commitAddAction(relayAction(1, 0));
    session->commitAddAction(networkAction(2, {"PROJECTOR ON"}));
    session->deleteAction(0);
    session->commitAddAction(infraredAction(2, 40));
    const std::vector<FunctionCode> order{FunctionCode::Relay, FunctionCode::Network, FunctionCode::Infrared};
    ASSERT_EQ(functions(slotList(1)), order);
    EXPECT_EQ(ids(slotList(1)), (std::vector<int>{1, 2, 3}));
    ASSERT_EQ(recorder.actionRows.size(), 3u);
    EXPECT_EQ(recorder.actionRows[2][0], "红外");
    const std::string stream = writeStream(session->model());
    ASSERT_NE(stream.find("bindrelay"), std::string::npos);

    reopen();
    EXPECT_EQ(functions(slotList(1)), order);
    EXPECT_EQ(writeStream(session->model()), stream);
    EXPECT_EQ(velkctlCommands(), stream);
}

TEST_F(ActionOrder, PastedAndUndoneActionsKeepTheIdOrder) {
    session->selectEvent(7);
    session->commitAddAction(infraredAction(1, 1));
    session->commitAddAction(ioAction(1, 0));
    session->commitAddAction(relayAction(1, 0));
    session->deleteAction(1);  // the IO action, id 1
    const ActionEdit deleted = std::get<ActionEdit>(edits.back());
    session->deleteAction(0);  // the infrared, id 0
    const ActionEdit deletedFirst = std::get<ActionEdit>(edits.back());

    // A paste goes above the largest id, after the relay (id 2).
    ProjectSession::PasteResult pasted = session->pasteActions({networkAction(3, {"PASTED"})});
    ASSERT_EQ(pasted.added, 1);
    EXPECT_EQ(ids(slotList(7)), (std::vector<int>{2, 3}));

    // Undoing the deletes puts each back in its own place, whatever order they come back in.
    ASSERT_TRUE(session->insertActionById(7, *deleted.before));
    ASSERT_TRUE(session->insertActionById(7, *deletedFirst.before));
    EXPECT_EQ(ids(slotList(7)), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(functions(slotList(7)),
              (std::vector<FunctionCode>{FunctionCode::Infrared, FunctionCode::Io, FunctionCode::Relay,
                                         FunctionCode::Network}));
    ASSERT_EQ(recorder.actionRows.size(), 4u);
    EXPECT_EQ(recorder.actionRows[1][0], "IO");
    const std::string stream = writeStream(session->model());

    reopen();
    EXPECT_EQ(ids(slotList(7)), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(velkctlCommands(), stream);
}

TEST_F(ActionOrder, MovingSwapsTwoRowsContentsByTheirUpdatesAndUndoesAsOneEdit) {
    session->selectEvent(4);
    session->commitAddAction(infraredAction(1, 5));
    session->commitAddAction(ioAction(2, 1));
    session->commitAddAction(networkAction(2, {"PLAY"}));
    const std::vector<KeyAction> before = slotList(4);
    flushAll();
    clearStatements();
    edits.clear();

    // The network action up: it takes id 1, the IO action id 2.
    EXPECT_EQ(session->moveAction(2, -1), 1);
    EXPECT_EQ(ids(slotList(4)), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(functions(slotList(4)),
              (std::vector<FunctionCode>{FunctionCode::Infrared, FunctionCode::Network, FunctionCode::Io}));
    KeyAction networkAtOne = before[2];
    networkAtOne.id = 1;
    KeyAction ioAtTwo = before[1];
    ioAtTwo.id = 2;
    EXPECT_EQ(statementsAfterFlush(),
              (std::vector<std::string>{sql::updateAction(4, networkAtOne), sql::updateAction(4, ioAtTwo)}));
    ASSERT_EQ(recorder.actionRows.size(), 3u);
    EXPECT_EQ(recorder.actionRows[1], *actionRowTextsOf(before[2]));
    EXPECT_EQ(recorder.actionRows[2], *actionRowTextsOf(before[1]));
    ASSERT_EQ(edits.size(), 1u);
    const ActionMoveEdit move = std::get<ActionMoveEdit>(edits[0]);
    EXPECT_EQ(move.slot, 4);
    EXPECT_EQ(move.fromRow, 2);
    EXPECT_EQ(move.toRow, 1);
    EXPECT_EQ(move.before[0], before[1]);
    EXPECT_EQ(move.before[1], before[2]);

    // Down again from the first row; the edges and a missing row move nothing and write nothing.
    clearStatements();
    EXPECT_EQ(session->moveAction(0, 1), 1);
    EXPECT_EQ(functions(slotList(4)),
              (std::vector<FunctionCode>{FunctionCode::Network, FunctionCode::Infrared, FunctionCode::Io}));
    EXPECT_EQ(statementsAfterFlush().size(), 2u);
    clearStatements();
    for (auto [row, step] : {std::pair{0, -1}, {2, 1}, {-1, 1}, {3, -1}, {1, 2}, {1, 0}}) {
        EXPECT_EQ(session->moveAction(row, step), -1) << row << " by " << step;
    }
    EXPECT_TRUE(statementsAfterFlush().empty());
    EXPECT_EQ(edits.size(), 2u);

    // Undo as the undo stack does it: the rows of the last move back by id, two updates.
    const ActionMoveEdit last = std::get<ActionMoveEdit>(edits.back());
    for (const KeyAction& action : last.before) {
        ASSERT_TRUE(session->replaceActionById(4, action.id, action));
    }
    EXPECT_EQ(functions(slotList(4)),
              (std::vector<FunctionCode>{FunctionCode::Infrared, FunctionCode::Network, FunctionCode::Io}));
    EXPECT_EQ(statementsAfterFlush().size(), 2u);
    EXPECT_EQ(edits.size(), 2u) << "an undo is no edit of its own";

    // The file sends what the form shows.
    const std::string stream = writeStream(session->model());
    reopen();
    EXPECT_EQ(functions(slotList(4)),
              (std::vector<FunctionCode>{FunctionCode::Infrared, FunctionCode::Network, FunctionCode::Io}));
    EXPECT_EQ(velkctlCommands(), stream);
}

TEST_F(ActionOrder, NothingMovesWithoutAProject) {
    ProjectSession closed(recorder, queue);
    EXPECT_EQ(closed.moveAction(0, 1), -1);
}

}  // namespace
}  // namespace velk::test
