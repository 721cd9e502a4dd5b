// The edits an undo stack keeps, and the addressed calls it undoes and redoes them with, checked
// against the rows of the project file and the statements the worker ran.
#include <variant>

#include "project/Statements.h"
#include "session/EventOverview.h"
#include "support/ActionMaker.h"
#include "support/ProjectFixture.h"
#include "support/RichProject.h"

namespace velk::test {
namespace {

KeyAction withFunction(FunctionCode function) {
    KeyAction a;
    a.function = function;
    a.ioChannels = 1;
    a.relayChannels = 2;
    if (function == FunctionCode::Network || function == FunctionCode::Serial) {
        a.network.texts = {"PLAY"};
        a.serial.texts = {"PLAY"};
    }
    return a;
}

class Edits : public ProjectFixture {
protected:
    void SetUp() override {
        path = newProject("edits.db");
        session->setEditListener([this](const ProjectEdit& edit) { edits.push_back(edit); });
        recorder.clearEvents();
    }

    // Forgets the statements run so far, once the worker has run what is queued.
    void restartStatements() {
        flushAll();
        clearStatements();
    }

    // Every row of the file once the worker has run what is queued.
    std::string rows() {
        flushAll();
        return projectRows(path);
    }

    template <typename Edit>
    Edit lastEdit() {
        EXPECT_FALSE(edits.empty());
        EXPECT_TRUE(std::holds_alternative<Edit>(edits.back()));
        return std::get<Edit>(edits.back());
    }

    std::string path;
    std::vector<ProjectEdit> edits;
};

TEST_F(Edits, AnUndoneDeleteIsTheInsertOfTheActionWithItsId) {
    session->selectEvent(1);
    for (int code : {11, 12}) {
        session->commitAddAction(code == 11 ? infraredAction(5, code) : withFunction(FunctionCode::Io));
    }
    session->commitAddAction(withFunction(FunctionCode::Network));
    const std::string before = rows();
    const KeyAction io = session->model().actions[1][1];

    session->deleteAction(1);
    ActionEdit deleted = lastEdit<ActionEdit>();
    EXPECT_EQ(deleted.slot, 1);
    EXPECT_EQ(deleted.row, 1);
    EXPECT_EQ(deleted.before, io);
    EXPECT_FALSE(deleted.after.has_value());
    EXPECT_NE(rows(), before);

    // Undo from another event: the event comes back into view with the action at its row.
    session->selectEvent(7);
    restartStatements();
    ASSERT_TRUE(session->insertActionById(deleted.slot, *deleted.before));
    EXPECT_EQ(statementsAfterFlush(), std::vector<std::string>{sql::insertAction(1, io)});
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(session->currentEvent(), 1);
    EXPECT_EQ(recorder.currentEvent, 1);
    ASSERT_EQ(recorder.actionRows.size(), 3u);
    EXPECT_EQ(recorder.actionRows[1][0], "IO");
    EXPECT_EQ(session->actionRow(1, io.id), 1);

    // Redo is the delete again; an id the slot no longer holds changes nothing.
    restartStatements();
    ASSERT_TRUE(session->removeActionById(1, io.id));
    EXPECT_EQ(statementsAfterFlush(), std::vector<std::string>{sql::deleteAction(1, io.id)});
    restartStatements();
    EXPECT_FALSE(session->removeActionById(1, io.id));
    // An id already taken is not inserted twice.
    EXPECT_FALSE(session->insertActionById(1, session->model().actions[1][0]));
    EXPECT_TRUE(statementsAfterFlush().empty());
    // Undo and redo are no edits of their own.
    EXPECT_EQ(edits.size(), 4u);
}

TEST_F(Edits, AddedAndModifiedActionsAreUndoneByDeleteAndUpdate) {
    session->selectEvent(4);
    const std::string empty = rows();
    session->commitAddAction(infraredAction(5, 3));
    ActionEdit added = lastEdit<ActionEdit>();
    ASSERT_TRUE(added.after.has_value());
    EXPECT_FALSE(added.before.has_value());
    EXPECT_EQ(added.after->id, 0);
    const std::string withAction = rows();

    session->commitModifyAction(0, infraredAction(5, 40));
    ActionEdit modified = lastEdit<ActionEdit>();
    EXPECT_EQ(modified.before->irCode, 3);
    EXPECT_EQ(modified.after->irCode, 40);
    EXPECT_EQ(modified.after->id, 0);

    restartStatements();
    ASSERT_TRUE(session->replaceActionById(4, modified.before->id, *modified.before));
    EXPECT_EQ(statementsAfterFlush(), std::vector<std::string>{sql::updateAction(4, *modified.before)});
    EXPECT_EQ(rows(), withAction);
    EXPECT_EQ(recorder.actionRows.at(0)[2], "ID:3");

    ASSERT_TRUE(session->removeActionById(4, added.after->id));
    EXPECT_EQ(rows(), empty);
    EXPECT_TRUE(recorder.actionRows.empty());
    ASSERT_TRUE(session->insertActionById(4, *added.after));
    EXPECT_EQ(rows(), withAction);
}

TEST_F(Edits, ListRowsAndSettingsAreUndoneByTheirUpdates) {
    const std::string before = rows();
    session->commitEnum(EnumVariable{3, kAscii, {"ON", "OFF"}});
    EnumEdit enumEdit = lastEdit<EnumEdit>();
    EXPECT_EQ(enumEdit.before, (EnumVariable{3, kAscii, {""}}));
    session->commitVariable(Variable{5, 1, 2, 3, 1});
    VariableEdit variableEdit = lastEdit<VariableEdit>();
    session->commitNetTarget(NetTarget{0x0A000001u, 502, 2});
    NetTargetEdit targetEdit = lastEdit<NetTargetEdit>();
    session->selectEvent(2);
    EventSettings settings = session->model().eventSettings[2];
    settings.timeEnable = 1;
    settings.time = 300;
    session->commitTimeSettings(settings);
    SettingsEdit settingsEdit = lastEdit<SettingsEdit>();
    EXPECT_EQ(settingsEdit.slot, 2);
    EXPECT_EQ(settingsEdit.after.time, 300);
    EXPECT_NE(rows(), before);

    session->selectEvent(0);
    restartStatements();
    ASSERT_TRUE(session->applyEventSettings(settingsEdit.slot, settingsEdit.before));
    session->applyNetTarget(targetEdit.before);
    session->applyVariable(variableEdit.before);
    session->applyEnum(enumEdit.before);
    EXPECT_EQ(statementsAfterFlush(),
              (std::vector<std::string>{
                  sql::updateEventSettings(2, settingsEdit.before), sql::updateNetTarget(targetEdit.before),
                  sql::updateVariable(variableEdit.before), sql::updateEnum(enumEdit.before)}));
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(session->currentEvent(), 2);
    EXPECT_EQ(recorder.settings->timeText, "时间：关闭");
    EXPECT_EQ(recorder.enumRows[2], (EnumRowTexts{"E3", "Ascii", "1", "''"}));
}

TEST_F(Edits, ClearingARowIsAnEditAndAnUnchangedOkIsNone) {
    session->commitVariable(Variable{2, 0, 7, 9, 0});
    session->clearVariable(1);
    VariableEdit cleared = lastEdit<VariableEdit>();
    EXPECT_EQ(cleared.before, (Variable{2, 0, 7, 9, 0}));
    EXPECT_EQ(cleared.after, (Variable{2, 0, 0, 0, 0}));
    const size_t count = edits.size();
    // The statement is still written, as the dialog's OK always writes it.
    restartStatements();
    session->commitVariable(cleared.after);
    EXPECT_EQ(statementsAfterFlush().size(), 1u);
    EXPECT_EQ(edits.size(), count);
}

TEST_F(Edits, PastedActionsFollowTheAddRulesAndSayWhatWasLeftOut) {
    session->selectEvent(1);
    session->commitAddAction(infraredAction(5, 9));
    recorder.clearEvents();
    edits.clear();
    const std::vector<KeyAction> clipboard = {infraredAction(5, 12), withFunction(FunctionCode::Io),
                                              withFunction(FunctionCode::Serial),
                                              withFunction(FunctionCode::Network)};
    ProjectSession::PasteResult result = session->pasteActions(clipboard);
    EXPECT_EQ(result.added, 2);
    ASSERT_EQ(result.refused.size(), 2u);
    EXPECT_EQ(result.refused[0].second, "本事件已有红外功能。");
    EXPECT_EQ(result.refused[1].first.function, FunctionCode::Network);
    EXPECT_EQ(result.refused[1].second, "本事件已有串口或网络功能。");
    const std::vector<KeyAction>& list = session->model().actions[1];
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1].function, FunctionCode::Io);
    EXPECT_EQ(list[1].id, 1);
    EXPECT_EQ(list[2].function, FunctionCode::Serial);
    EXPECT_EQ(list[2].id, 2);
    EXPECT_EQ(recorder.actionRows.size(), 3u);
    EXPECT_EQ(edits.size(), 2u);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].title, MessageTitle::Notice);
    EXPECT_EQ(recorder.messages[0].text,
              "以下2个动作未粘贴到按键1 弹起：\n红外  1,3  ID:12：本事件已有红外功能。\n网络  TCP  "
              "Ascii：本事件已有串口或网络功能。");
    // Each pasted action reached the file as the add command's insert.
    EXPECT_NE(rows().find("key_table1\n0,0,"), std::string::npos);

    // A hold event takes only data actions; pasting nothing it can take says so and adds nothing.
    session->selectEvent(2);
    recorder.clearEvents();
    result = session->pasteActions({infraredAction(5, 1)});
    EXPECT_EQ(result.added, 0);
    EXPECT_EQ(
        recorder.messageTexts(),
        std::vector<std::string>{
            "以下1个动作未粘贴到按键1 保持：\n红外  1,3  ID:1：保持和拉低事件只能添加串口或网络功能。"});
    EXPECT_TRUE(session->model().actions[2].empty());
}

TEST_F(Edits, EveryChangeOfAnEventIsReportedForTheOverview) {
    const auto before = recorder.contentChanges;
    session->selectEvent(3);
    session->commitAddAction(infraredAction(5, 5));
    EXPECT_EQ(recorder.contentChanges[3], before[3] + 1);
    EventSettings append = session->model().eventSettings[3];
    append.addEnable = 1;
    append.addString = "STOP";
    session->commitAppendSettings(append);
    EXPECT_EQ(recorder.contentChanges[3], before[3] + 2);
    EXPECT_EQ(recorder.contentChanges[4], before[4]);

    EventOverview overview = eventOverview(session->model(), 3);
    EXPECT_EQ(overview.actions, 1);
    EXPECT_FALSE(overview.timeOn);
    EXPECT_TRUE(overview.appendOn);
    EXPECT_EQ(overview.tooltip,
              "按键2 按下：1个动作\n红外  1,3  ID:5\n功能：开启    超时时间：5000ms    超时发送：不发送\n"
              "追加指令：STOP");
    // Opening the file again reports every slot, and its rows the slots they fill.
    closeSession();
    startSession();
    ASSERT_TRUE(session->openProject(path));
    flushAll();
    EXPECT_EQ(eventOverview(session->model(), 3), overview);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        EXPECT_GE(recorder.contentChanges[static_cast<size_t>(slot)], before[static_cast<size_t>(slot)] + 2);
    }
}

TEST(EventOverviewText, SettingsWithoutActionsAreNamedAsUnsent) {
    ConfigModel model;
    model.reset();
    EXPECT_TRUE(eventOverview(model, 0).empty());
    model.eventSettings[0].timeEnable = 1;  // a press event has no time setting
    EXPECT_TRUE(eventOverview(model, 0).empty());
    model.eventSettings[1].timeEnable = 1;
    model.eventSettings[1].time = 250;
    EventOverview overview = eventOverview(model, 1);
    EXPECT_TRUE(overview.timeOn);
    EXPECT_EQ(overview.tooltip,
              "按键1 弹起：没有动作\n时间：250ms\n功能：关闭    超时时间：5000ms    超时发送：不发送\n"
              "（没有动作，写入时不发送这些设置）");
    KeyAction network;
    network.function = FunctionCode::Network;
    network.network.texts = {std::string(100, 'x')};
    model.actions[1] = {network};
    EXPECT_NE(eventOverview(model, 1).tooltip.find("TCP  Ascii  " + std::string(48, 'x') + "…\n"),
              std::string::npos)
        << eventOverview(model, 1).tooltip;
}

}  // namespace
}  // namespace velk::test
