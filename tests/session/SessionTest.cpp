#include "model/StrPrintf.h"
#include "project/Statements.h"
#include "support/ProjectFixture.h"
#include "support/SqliteCli.h"

namespace velk::test {
namespace {

class SessionCommands : public ProjectFixture {
protected:
    void SetUp() override {
        path = newProject("s.db");
        recorder.clearEvents();
        clearStatements();
    }

    KeyAction action(FunctionCode function) {
        KeyAction a;
        a.function = function;
        a.irChannels = 1;
        return a;
    }

    std::string path;
};

TEST_F(SessionCommands, SelectionMessagesOfTheFixedLists) {
    EXPECT_FALSE(session->beginModifyEnum(-1));
    session->clearEnum(-1);
    EXPECT_FALSE(session->beginModifyVariable(-1));
    session->clearVariable(-1);
    EXPECT_FALSE(session->beginModifyNetTarget(-1));
    session->clearNetTarget(-1);
    EXPECT_EQ(recorder.messageTexts(),
              (std::vector<std::string>{"请选中一项修改", "请选中一项删除", "请选中一项修改",
                                        "请选中一项删除", "请选中一项修改", "请选中一项删除"}));
    for (const auto& m : recorder.messages) {
        EXPECT_EQ(m.title, MessageTitle::Error);
    }
    EXPECT_TRUE(statementsAfterFlush().empty());
}

TEST_F(SessionCommands, ActionMessagesTakeTheEmptyListBeforeTheSelection) {
    session->selectEvent(1);
    EXPECT_FALSE(session->beginModifyAction(-1));
    EXPECT_FALSE(session->beginModifyAction(0));
    session->deleteAction(-1);
    session->deleteAction(0);
    session->commitAddAction(action(FunctionCode::Infrared));
    recorder.clearEvents();
    EXPECT_FALSE(session->beginModifyAction(-1));
    session->deleteAction(-1);
    EXPECT_EQ(recorder.messageTexts(), (std::vector<std::string>{"请选中一项修改", "请选中一项删除"}));
    EXPECT_TRUE(session->actionDoubleClickAdds(-1));
    EXPECT_FALSE(session->actionDoubleClickAdds(0));
}

TEST_F(SessionCommands, EmptyActionListMessages) {
    session->selectEvent(1);
    EXPECT_FALSE(session->beginModifyAction(-1));
    EXPECT_FALSE(session->beginModifyAction(0));
    session->deleteAction(-1);
    EXPECT_EQ(recorder.messageTexts(),
              (std::vector<std::string>{"变量列表为空，请先添加", "变量列表为空，请先添加", "变量列表为空"}));
    EXPECT_TRUE(session->actionDoubleClickAdds(0));
}

TEST_F(SessionCommands, AFullSlotRefusesAdding) {
    session->selectEvent(1);
    for (FunctionCode function :
         {FunctionCode::Infrared, FunctionCode::Io, FunctionCode::Relay, FunctionCode::Network}) {
        auto request = session->beginAddAction();
        ASSERT_TRUE(request.has_value());
        EXPECT_EQ(request->slot, 1);
        EXPECT_FALSE(request->source.has_value());
        session->commitAddAction(action(function));
    }
    EXPECT_FALSE(session->beginAddAction());
    EXPECT_EQ(recorder.messageTexts(), (std::vector<std::string>{"添加功能已满！"}));

    // A hold event takes one serial or network action only.
    recorder.clearEvents();
    session->selectEvent(2);
    auto request = session->beginAddAction();
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->disabledFunctions, kBitInfrared | kBitIo | kBitRelay);
    session->commitAddAction(action(FunctionCode::Network));
    EXPECT_FALSE(session->beginAddAction());
    EXPECT_EQ(recorder.messageTexts(), (std::vector<std::string>{"添加功能已满！"}));
}

TEST_F(SessionCommands, AddModifyDeleteKeepIdsRowsAndStatements) {
    session->selectEvent(4);
    for (FunctionCode function : {FunctionCode::Infrared, FunctionCode::Io, FunctionCode::Relay}) {
        session->commitAddAction(action(function));
    }
    session->deleteAction(1);
    session->commitAddAction(action(FunctionCode::Key));
    const auto& list = session->model().actions[4];
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].id, 0);
    EXPECT_EQ(list[1].id, 2);
    EXPECT_EQ(list[2].id, 3) << "a new action goes above the largest id, so it runs last after a reopen too";
    EXPECT_EQ(recorder.actionRows.size(), 3u);
    EXPECT_EQ(recorder.actionRows[2], *actionRowTextsOf(list[2]));

    auto request = session->beginModifyAction(0);
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->row, 0);
    EXPECT_EQ(request->disabledFunctions, kBitRelay);  // its own kind stays offered; key sets nothing
    ASSERT_TRUE(request->source.has_value());
    KeyAction changed = action(FunctionCode::Network);
    changed.id = 99;  // the id is the modified action's, whatever the editor returns
    changed.network.texts = {"x"};
    session->commitModifyAction(request->row, changed);
    EXPECT_EQ(list[0].id, 0);
    EXPECT_EQ(list[0].function, FunctionCode::Network);
    EXPECT_EQ(recorder.actionRows[0], *actionRowTextsOf(list[0]));

    KeyAction added0 = action(FunctionCode::Infrared);
    added0.id = 0;
    KeyAction added1 = action(FunctionCode::Io);
    added1.id = 1;
    KeyAction added2 = action(FunctionCode::Relay);
    added2.id = 2;
    KeyAction key = action(FunctionCode::Key);
    key.id = 3;
    KeyAction network = changed;
    network.id = 0;
    EXPECT_EQ(statementsAfterFlush(),
              (std::vector<std::string>{sql::insertAction(4, added0), sql::insertAction(4, added1),
                                        sql::insertAction(4, added2), "delete from key_table4 where id='1'",
                                        sql::insertAction(4, key), sql::updateAction(4, network)}));
    EXPECT_EQ(runSqlite3(path, "select id, function, data1 from key_table4 order by id;"),
              "0|3|x\n2|4|\n3|5|\n");
    EXPECT_EQ(recorder.badRowCalls, 0);
}

TEST_F(SessionCommands, ModifyAndClearTheFixedLists) {
    ASSERT_TRUE(session->beginModifyEnum(2).has_value());
    EnumVariable e;
    e.index = 3;
    e.type = kHex;
    e.data = {"01 02 ab ff", "ff", "0a"};
    session->commitEnum(e);
    EXPECT_EQ(recorder.enumRows[2], (EnumRowTexts{"E3", "Hex", "3", "'01 02 ab ff', 'ff', '0a'"}));
    session->clearEnum(2);
    EXPECT_EQ(recorder.enumRows[2], (EnumRowTexts{"E3", "Ascii", "1", "''"}));

    Variable v{16, -5, 5, 10, 1};
    ASSERT_TRUE(session->beginModifyVariable(15).has_value());
    session->commitVariable(v);
    EXPECT_EQ(recorder.variableRows[15], (VariableRowTexts{"V16", "5", "-5", "10", "不保存"}));
    session->clearVariable(15);
    EXPECT_EQ(recorder.variableRows[15], (VariableRowTexts{"V16", "0", "0", "0", "保存"}));

    NetTarget t{0xC0A801A5, 4800, 7};
    ASSERT_TRUE(session->beginModifyNetTarget(6).has_value());
    session->commitNetTarget(t);
    EXPECT_EQ(recorder.netRows[6], (NetTargetRowTexts{"UDP3", "192.168.1.165", "4800"}));
    EXPECT_EQ(session->model().netTargetAt(6), t);
    session->clearNetTarget(6);
    EXPECT_EQ(recorder.netRows[6], (NetTargetRowTexts{"UDP3", "0.0.0.0", "0"}));

    EXPECT_EQ(
        statementsAfterFlush(),
        (std::vector<std::string>{
            "UPDATE enum_table set type='1',size='3',data1='01 02 ab ff',data2='ff',data3='0a',data4='',"
            "data5='',data6='',data7='',data8='',data9='',data10='' where enumindex=3",
            "UPDATE enum_table set type='0',size='1',data1='',data2='',data3='',data4='',data5='',data6='',"
            "data7='',data8='',data9='',data10='' where enumindex=3",
            "UPDATE variable set init = '5',min = '-5',max = '10',save = '1' where vindex = '16'",
            "UPDATE variable set init = '0',min = '0',max = '0',save = '0' where vindex = '16'",
            "UPDATE net_table set ip = '-1062731355',port = '4800'where netindex = '7'",
            "UPDATE net_table set ip = '0',port = '0'where netindex = '7'"}));
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(SessionCommands, CurrentEventDrivesListAndSettings) {
    session->selectEvent(8);
    EXPECT_EQ(session->currentEvent(), 8);
    ASSERT_TRUE(recorder.settings.has_value());
    EXPECT_TRUE(recorder.settings->timeButtonEnabled);
    EXPECT_FALSE(recorder.settings->appendButtonEnabled);
    EXPECT_TRUE(session->beginTimeSettings().has_value());
    EXPECT_FALSE(session->beginAppendSettings().has_value());
    session->selectEvent(27);
    EXPECT_FALSE(recorder.settings->timeButtonEnabled);
    EXPECT_TRUE(recorder.settings->appendButtonEnabled);
    EXPECT_FALSE(session->beginTimeSettings().has_value());
    EXPECT_TRUE(session->beginAppendSettings().has_value());
    // No selector exists beyond slot 29.
    session->selectEvent(30);
    session->selectEvent(-1);
    EXPECT_EQ(session->currentEvent(), 27);
}

TEST_F(SessionCommands, TimeAndAppendCommitToModelTextsAndFile) {
    session->selectEvent(1);
    EventSettings time = *session->beginTimeSettings();
    time.timeEnable = 1;
    time.time = 300;
    time.addString = "ignored by the time dialog";
    session->commitTimeSettings(time);
    EXPECT_EQ(recorder.settings->timeText, "时间：300ms");
    EventSettings append = *session->beginAppendSettings();
    append.addEnable = 1;
    append.addTimeOut = 0;
    append.addIsSend = 1;
    append.addString = "it's \"quoted\"";
    append.time = 1;  // the append dialog changes only its own fields
    session->commitAppendSettings(append);
    EXPECT_EQ(recorder.settings->appendLine1, "功能：开启    超时时间：0ms    超时发送：发送");
    EXPECT_EQ(recorder.settings->appendLine2, "追加指令：it's \"quoted\"");
    EXPECT_EQ(session->model().eventSettings[1], (EventSettings{1, 300, 1, 0, 1, "it's \"quoted\""}));

    session->selectEvent(4);
    EXPECT_EQ(recorder.settings->timeText, "时间：关闭");
    session->selectEvent(1);
    EXPECT_EQ(recorder.settings->timeText, "时间：300ms");

    // Time off keeps the time.
    EventSettings off = *session->beginTimeSettings();
    off.timeEnable = 0;
    session->commitTimeSettings(off);
    EXPECT_EQ(recorder.settings->timeText, "时间：关闭");
    EXPECT_EQ(session->model().eventSettings[1].time, 300);

    EXPECT_EQ(
        statementsAfterFlush(),
        (std::vector<std::string>{
            "UPDATE keyOherData set timeEnable = '1',time = '300',addEnable = '0', addTimeOut = '5000', "
            "addIsSend = '0', addString = '' where oindex = '1'",
            "UPDATE keyOherData set timeEnable = '1',time = '300',addEnable = '1', addTimeOut = '0', "
            "addIsSend = '1', addString = 'it''s \"quoted\"' where oindex = '1'",
            "UPDATE keyOherData set timeEnable = '0',time = '300',addEnable = '1', addTimeOut = '0', "
            "addIsSend = '1', addString = 'it''s \"quoted\"' where oindex = '1'"}));

    // Slots without the button change nothing.
    session->selectEvent(0);
    session->commitTimeSettings(time);
    session->selectEvent(2);
    session->commitAppendSettings(append);
    EXPECT_EQ(session->model().eventSettings[0], EventSettings{});
    EXPECT_EQ(session->model().eventSettings[2], EventSettings{});
}

TEST_F(SessionCommands, QuotedTextsRoundTripUnchanged) {
    const std::string nasty = "a'b''c'); delete from variable; --'";
    EnumVariable e;
    e.index = 1;
    e.data = {nasty, "'", "''"};
    session->commitEnum(e);
    session->selectEvent(1);
    KeyAction network = action(FunctionCode::Network);
    network.network.varNum = 1;
    network.network.texts = {nasty, "'end'"};
    network.network.placeholders = {Placeholder{}};
    session->commitAddAction(network);
    KeyAction serial = action(FunctionCode::Serial);
    serial.serial.texts = {"x"};
    session->commitAddAction(serial);  // refused by nothing here: the editor guards the mask
    session->commitModifyAction(1, [&] {
        KeyAction modified = serial;
        modified.serial.texts = {nasty};
        return modified;
    }());
    EventSettings append = *session->beginAppendSettings();
    append.addString = nasty;
    session->commitAppendSettings(append);
    flushAll();
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(runSqlite3(path, "select count(*) from variable;"), "16\n");

    startSession();
    ASSERT_TRUE(session->openProject(path));
    flushAll();
    const ConfigModel& m = session->model();
    EXPECT_EQ(m.enumAt(0).data, (std::vector<std::string>{nasty, "'", "''"}));
    ASSERT_EQ(m.actions[1].size(), 2u);
    EXPECT_EQ(m.actions[1][0].network.texts, (std::vector<std::string>{nasty, "'end'"}));
    EXPECT_EQ(m.actions[1][1].serial.texts, (std::vector<std::string>{nasty}));
    EXPECT_EQ(m.eventSettings[1].addString, nasty);
}

TEST_F(SessionCommands, TextsLongerThanTheOldRequestBufferArriveWhole) {
    EnumVariable e;
    e.index = 5;
    e.data = {std::string(5000, 'e') + "'", "short"};
    session->commitEnum(e);
    session->selectEvent(1);
    EventSettings append = *session->beginAppendSettings();
    append.addString = std::string(9000, 'a');
    session->commitAppendSettings(append);
    std::vector<std::string> taken = statementsAfterFlush();
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_GT(taken[0].size(), 5000u);
    EXPECT_GT(taken[1].size(), 9000u);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(runSqlite3(path,
                         "select length(data1), data2 from enum_table where enumindex=5;"
                         "select length(addString) from keyOherData where oindex=1;"),
              "5001|short\n9000\n");
}

TEST_F(SessionCommands, AppliedPanelRecordsReachModelRowAndFile) {
    EnumVariable e;
    e.index = 10;
    e.data = {"on", "off"};
    session->applyEnum(e);
    session->applyVariable(Variable{2, 1, 2, 3, 0});
    session->applyNetTarget(NetTarget{0x0A000001, 502, 1});
    EXPECT_EQ(recorder.enumRows[9], (EnumRowTexts{"E10", "Ascii", "2", "'on', 'off'"}));
    EXPECT_EQ(recorder.variableRows[1], (VariableRowTexts{"V2", "2", "1", "3", "保存"}));
    EXPECT_EQ(recorder.netRows[0], (NetTargetRowTexts{"TCP1", "10.0.0.1", "502"}));
    flushAll();
    EXPECT_EQ(runSqlite3(path,
                         "select size, data1, data2 from enum_table where enumindex=10;"
                         "select ip, port from net_table where netindex=1;"),
              "2|on|off\n167772161|502\n");
}

TEST(SessionWithoutProject, CommandsWaitForAProject) {
    MessageQueue queue;
    FormMirror recorder;
    ProjectSession session(recorder, queue);
    session.selectEvent(1);
    ASSERT_TRUE(recorder.settings.has_value());
    EXPECT_FALSE(recorder.settings->timeButtonEnabled);
    EXPECT_FALSE(recorder.settings->appendButtonEnabled);
    EXPECT_EQ(recorder.settings->timeText, "时间：关闭");
    EXPECT_FALSE(session.beginModifyEnum(-1));
    EXPECT_FALSE(session.beginAddAction());
    session.deleteAction(-1);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_FALSE(session.projectOpen());
    EXPECT_TRUE(MessagePump(queue, session).flush());
}

TEST(SessionLoad, NewShowsTheDefaultsAndSelectsSlotZero) {
    TempDir dir;
    MessageQueue queue;
    FormMirror recorder;
    ProjectSession session(recorder, queue);
    session.selectEvent(7);
    ASSERT_TRUE(session.newProject(dir.file("d.db")));
    ASSERT_TRUE(MessagePump(queue, session).flush());
    EXPECT_EQ(session.currentEvent(), 0);
    EXPECT_EQ(recorder.currentEvent, 0);
    for (int r = 0; r < kEnumCount; ++r) {
        EXPECT_EQ(recorder.enumRows[static_cast<size_t>(r)],
                  (EnumRowTexts{strprintf("E%d", r + 1), "Ascii", "1", "''"}));
    }
    for (int r = 0; r < kVariableCount; ++r) {
        EXPECT_EQ(recorder.variableRows[static_cast<size_t>(r)],
                  (VariableRowTexts{strprintf("V%d", r + 1), "0", "0", "0", "保存"}));
    }
    EXPECT_EQ(recorder.netRows[3], (NetTargetRowTexts{"TCP4", "0.0.0.0", "0"}));
    EXPECT_EQ(recorder.netRows[4], (NetTargetRowTexts{"UDP1", "0.0.0.0", "0"}));
    ASSERT_TRUE(recorder.settings.has_value());
    EXPECT_EQ(*recorder.settings,
              (EventSettingsTexts{"时间：关闭", "功能：关闭    超时时间：5000ms    超时发送：不发送",
                                  "追加指令：", false, true}));
    // The observer hears: opened, then the list rows, then the selection of slot 0; the new file is
    // made whole before New runs on it, so slot 0's settings row loads and shows slot 0 again.
    std::vector<std::string> order;
    for (const std::string& event : recorder.events) {
        std::string kind = event.substr(0, event.find(' '));
        if (order.empty() || order.back() != kind) {
            order.push_back(kind);
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"actionListFilled", "eventSettings", "projectOpened",
                                               "eventSettings", "enumRow", "variableRow", "netRow",
                                               "actionListFilled", "currentEvent", "eventSettings",
                                               "actionListFilled", "eventSettings"}));
}

}  // namespace
}  // namespace velk::test
