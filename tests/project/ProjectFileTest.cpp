#include <sys/stat.h>
#include <unistd.h>

#include "project/Statements.h"
#include "support/ProjectFixture.h"
#include "support/SqliteCli.h"

namespace velk::test {
namespace {

using ProjectFile = ProjectFixture;

std::string tableSchema(const std::string& path) {
    return runSqlite3(path, "select name || ':' || sql from sqlite_master where type='table' order by name;");
}

TEST_F(ProjectFile, NewOnAFreshNameLeavesTheDefaultProject) {
    std::string path = newProject();
    EXPECT_TRUE(session->projectOpen());
    EXPECT_EQ(session->projectPath(), path);
    ASSERT_TRUE(recorder.openedPath.has_value());
    EXPECT_EQ(*recorder.openedPath, path);

    EXPECT_EQ(runSqlite3(path, "select count(*) from sqlite_master where type='table';"), "64\n");
    std::string expectedSchema;
    std::vector<std::pair<std::string, std::string>> tables = {{"enum_table", sql::kCreateEnumTable},
                                                               {"keyOherData", sql::kCreateKeyOherData},
                                                               {"net_table", sql::kCreateNetTable},
                                                               {"variable", sql::kCreateVariable}};
    for (int slot = 0; slot < kSlotCount; ++slot) {
        tables.emplace_back(sql::keyTableName(slot), sql::createKeyTable(slot));
    }
    std::sort(tables.begin(), tables.end());
    for (const auto& [name, text] : tables) {
        // sqlite_master keeps the text as given except the leading keywords, which it writes upper-case.
        ASSERT_EQ(text.rfind("create table ", 0), 0u);
        expectedSchema += name + ":CREATE TABLE " + text.substr(13) + "\n";
    }
    EXPECT_TRUE(tableSchema(path) == expectedSchema) << tableSchema(path).substr(0, 400);

    EXPECT_EQ(runSqlite3(path,
                         "select count(*), min(enumindex), max(enumindex), sum(size=1), sum(type=0), "
                         "sum(data1=''), sum(data10='') from enum_table;"),
              "10|1|10|10|10|10|10\n");
    EXPECT_EQ(runSqlite3(path,
                         "select count(*), min(vindex), max(vindex), sum(max=0), sum(init=0 and min=0 and "
                         "save=0) from variable;"),
              "16|1|16|16|16\n");
    EXPECT_EQ(
        runSqlite3(path,
                   "select count(*), min(netindex), max(netindex), sum(ip=0 and port=0) from net_table;"),
        "7|1|7|7\n");
    EXPECT_EQ(runSqlite3(path,
                         "select count(*), min(oindex), max(oindex), sum(addTimeOut=5000), "
                         "sum(timeEnable=0 and time=0 and addEnable=0 and addIsSend=0 and addString='') "
                         "from keyOherData;"),
              "60|0|59|60|60\n");
    std::string countKeyRows = "select 0";
    for (int slot = 0; slot < kSlotCount; ++slot) {
        countKeyRows += " + (select count(*) from key_table" + std::to_string(slot) + ")";
    }
    EXPECT_EQ(runSqlite3(path, countKeyRows + ";"), "0\n");
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(ProjectFile, NewPostsItsStatementsInOrder) {
    std::string path = dir.file("order.db");
    ASSERT_TRUE(session->newProject(path));
    std::vector<std::string> s = statementsAfterFlush();
    std::vector<std::string> want = {"BEGIN TRANSACTION;", "delete from enum_table;",
                                     "delete from net_table;", "delete from variable;"};
    for (int slot = 0; slot < kSlotCount; ++slot) {
        want.push_back("delete from key_table" + std::to_string(slot));
    }
    want.push_back("COMMIT TRANSACTION;");
    want.push_back(sql::kCreateVariable);
    want.push_back("SELECT * FROM variable");
    want.push_back(sql::kCreateNetTable);
    want.push_back("SELECT * FROM net_table");
    for (int slot = 0; slot < kSlotCount; ++slot) {
        want.push_back(sql::createKeyTable(slot));
        want.push_back("SELECT * FROM key_table" + std::to_string(slot));
    }
    want.push_back(sql::kCreateEnumTable);
    want.push_back("SELECT * FROM enum_table");
    want.push_back(sql::kCreateKeyOherData);
    want.push_back("SELECT * FROM keyOherData");
    for (int i = 1; i <= 10; ++i) {
        want.push_back(
            "insert into enum_table (enumindex,type,size,data1,data2,data3,data4,data5,data6,data7,data8,"
            "data9,data10) values ('" +
            std::to_string(i) + "','0','1','','','','','','','','','','')");
    }
    for (int i = 1; i <= 16; ++i) {
        want.push_back("insert into variable (vindex,init,min,max,save) values ('" + std::to_string(i) +
                       "','0','0','0','0')");
    }
    for (int i = 1; i <= 7; ++i) {
        want.push_back("insert into net_table (netindex,ip,port) values ('" + std::to_string(i) +
                       "','0','0')");
    }
    for (int slot = 0; slot < kSlotCount; ++slot) {
        want.push_back(
            "insert into keyOherData (oindex,timeEnable,time,addEnable,addTimeOut,addIsSend,addString) "
            "values ('" +
            std::to_string(slot) + "','0','0','0','5000','0','')");
    }
    EXPECT_EQ(s, want);
}

TEST_F(ProjectFile, NewOnAnExistingProjectEmptiesItButKeepsEventSettings) {
    std::string path = dir.file("existing.db");
    runSqlite3(path,
               "create table keyOherData(oindex integer PRIMARY KEY NOT NULL, timeEnable integer, time "
               "integer, addEnable integer, addTimeOut integer, addIsSend integer, addString char[1024]);"
               "insert into keyOherData values(0, 1, 250, 1, 800, 1, 'AT');"
               "create table variable(vindex integer PRIMARY KEY NOT NULL, init integer, min integer, max "
               "integer, save integer);"
               "insert into variable values(3, 1, 2, 100, 1);"
               "create table key_table4(id integer PRIMARY KEY NOT NULL, function integer, channel integer,"
               " ip integer, port integer, type integer, varNum integer);"
               "insert into key_table4 (id, function, channel, type) values(0, 0, 1, 5);");
    ASSERT_TRUE(session->newProject(path));
    flushAll();
    EXPECT_EQ(runSqlite3(path,
                         "select max from variable where vindex=3; select count(*) from key_table4;"
                         "select time, addTimeOut, addString from keyOherData where oindex=0;"),
              "0\n0\n250|800|AT\n");
    const ConfigModel& m = session->model();
    EXPECT_EQ(m.variableAt(2).max, 0);
    EXPECT_TRUE(m.actions[4].empty());
    EXPECT_EQ(m.eventSettings[0], (EventSettings{1, 250, 1, 800, 1, "AT"}));
    ASSERT_TRUE(recorder.settings.has_value());
    EXPECT_EQ(recorder.settings->timeText, "时间：250ms");
    EXPECT_EQ(recorder.settings->appendLine2, "追加指令：AT");
}

TEST_F(ProjectFile, OpenLoadsRowsOverTheDefaults) {
    std::string path = newProject("open.db");
    runSqlite3(path,
               "update variable set max=100 where vindex=3;"
               "update variable set init=7, min=-2, max=9, save=1 where vindex=16;"
               "update net_table set ip=-1062731355, port=4800 where netindex=5;"
               "update enum_table set type=1, size=2, data1='1 2 AB', data2='3f0' where enumindex=4;"
               "insert into key_table5 (id,function,channel,type,varNum) values(2,'0','3','11','0');"
               "insert into key_table5 (id,function,channel,type,varNum) values(0,'1','1','2','0');"
               "insert into key_table5 (id,function,channel,type,varNum) values(1,'5','4','0','0');");
    startSession();
    recorder = FormMirror();
    ASSERT_TRUE(session->openProject(path));
    flushAll();
    const ConfigModel& m = session->model();
    EXPECT_EQ(m.variableAt(2), (Variable{3, 0, 0, 100, 0}));
    EXPECT_EQ(m.variableAt(15), (Variable{16, -2, 7, 9, 1}));
    EXPECT_EQ(m.variableAt(0), (Variable{1, 0, 0, 0, 0}));
    EXPECT_EQ(recorder.variableRows[2], (VariableRowTexts{"V3", "0", "0", "100", "保存"}));
    EXPECT_EQ(recorder.variableRows[15], (VariableRowTexts{"V16", "7", "-2", "9", "不保存"}));
    EXPECT_EQ(m.netTargetAt(4), (NetTarget{0xC0A801A5, 4800, 5}));
    EXPECT_EQ(recorder.netRows[4], (NetTargetRowTexts{"UDP1", "192.168.1.165", "4800"}));
    EXPECT_EQ(m.enumAt(3).data, (std::vector<std::string>{"01 02 ab", "ff"}));
    EXPECT_EQ(recorder.enumRows[3], (EnumRowTexts{"E4", "Hex", "2", "'01 02 ab', 'ff'"}));
    ASSERT_EQ(m.actions[5].size(), 3u);
    EXPECT_EQ(m.actions[5][0].id, 0);
    EXPECT_EQ(m.actions[5][1].id, 1);
    EXPECT_EQ(m.actions[5][2].id, 2);
    EXPECT_EQ(m.actions[5][2].irChannels, 3);
    EXPECT_EQ(m.actions[5][2].irCode, 11);
    // Slot 0 is selected after a load, so slot 5's rows do not reach the action list.
    EXPECT_EQ(session->currentEvent(), 0);
    EXPECT_TRUE(recorder.actionRows.empty());
    session->selectEvent(5);
    EXPECT_EQ(recorder.actionRows.size(), 3u);
    // The file's rows were kept: the default inserts met their keys.
    EXPECT_EQ(runSqlite3(path, "select max from variable where vindex=3;"), "100\n");
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(ProjectFile, GbkTextsWrittenByAnotherProgramOpenIntact) {
    std::string path = dir.file("gbk.db");
    // "中文" and "测试" in GBK, written as raw bytes by the sqlite3 program.
    const std::string zhongwen = "\xD6\xD0\xCE\xC4";
    const std::string ceshi = "\xB2\xE2\xCA\xD4";
    std::string script = std::string(sql::kCreateEnumTable) + ";" + sql::kCreateKeyOherData + ";" +
                         sql::createKeyTable(1) + ";" + "insert into enum_table values(1,0,2,'" + zhongwen +
                         "','" + ceshi +
                         "','','','','','','','','');"
                         "insert into keyOherData values(1,0,0,1,5000,0,'" +
                         ceshi +
                         "');"
                         "insert into key_table1 (id,function,channel,type,varNum,data1) values(0,3,0,0,0,'" +
                         zhongwen + "');";
    int status = -1;
    runSqlite3(path, script, &status);
    ASSERT_EQ(status, 0);
    ASSERT_TRUE(session->openProject(path));
    flushAll();
    EXPECT_EQ(session->model().enumAt(0).data, (std::vector<std::string>{zhongwen, ceshi}));
    EXPECT_EQ(recorder.enumRows[0][3], "'中文', '测试'");
    EXPECT_EQ(session->model().eventSettings[1].addString, ceshi);
    session->selectEvent(1);
    ASSERT_TRUE(recorder.settings.has_value());
    EXPECT_EQ(recorder.settings->appendLine2, "追加指令：测试");
    ASSERT_EQ(session->model().actions[1].size(), 1u);
    EXPECT_EQ(session->model().actions[1][0].network.texts, (std::vector<std::string>{zhongwen}));

    // Written back byte for byte.
    EventSettings s = session->model().eventSettings[1];
    s.addString = zhongwen + "'" + ceshi;
    session->commitAppendSettings(s);
    flushAll();
    EXPECT_EQ(runSqlite3(path, "select hex(addString) from keyOherData where oindex=1;"),
              "D6D0CEC427B2E2CAD4\n");
}

TEST_F(ProjectFile, HostileFileOpensByTheLoadingRules) {
    std::string path = dir.file("hostile.db");
    std::string script =
        // Columns without types and rows full of junk; key_table7 and every other slot's table are missing.
        "create table variable(vindex, init, min, max, save);"
        "insert into variable values('abc', 'x', NULL, '12junk', 'yes');"
        "insert into variable values(2, '99999999999999', '-99999999999999', NULL, 1);"
        "insert into variable values(50, 1, 1, 1, 1);"
        "create table net_table(netindex, ip, port);"
        "insert into net_table values(0, 'ip', 'port');"
        "insert into net_table values(3, 3232235941, 70000);"
        "create table enum_table(enumindex, type, size, data1, data2, data3, data4, data5, data6, data7, "
        "data8, data9,"
        " data10);"
        "insert into enum_table values(2, 0, 99, 'a', NULL, 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j');"
        "insert into enum_table (enumindex, type, size, data1, data2, data3) values(3, 1, 3, 'zz', '   ', "
        "'1');"
        "insert into enum_table values(-3, 0, -5, 'x', '', '', '', '', '', '', '', '', '');"
        "create table keyOherData(oindex, timeEnable, time, addEnable, addTimeOut, addIsSend, addString);"
        "insert into keyOherData values(60, 1, 1, 1, 1, 1, 'sixty');"
        "insert into keyOherData values(-1, 1, 1, 1, 1, 1, 'minus');"
        "insert into keyOherData values(4, NULL, 'abc', 1, '7x', NULL, NULL);"
        "create table key_table0(id, function, channel, ip, port, type, varNum);"
        "insert into key_table0 values(0, 9, 1, 1, 1, 1, 0);"
        "insert into key_table0 values(1, 'x', 1, 1, 1, 1, 0);"  // reads as function 0
        "insert into key_table0 values(2, 3, 0, 0, 0, 0, 50);" +
        sql::createKeyTable(2) +
        ";"
        "insert into key_table2 (id, function, channel, varNum, data1, var1Index, param1_1, data2) "
        "values(0, 2, 1, 50, 'seg', 7, 3, 'tail');";
    int status = -1;
    runSqlite3(path, script, &status);
    ASSERT_EQ(status, 0);
    ASSERT_TRUE(session->openProject(path));
    flushAll();
    const ConfigModel& m = session->model();

    EXPECT_EQ(m.variableAt(1), (Variable{2, INT32_MIN, INT32_MAX, 0, 1}));
    EXPECT_EQ(m.variableAt(49).index, 50);                    // kept under index - 1, shown nowhere
    EXPECT_EQ(m.variableAt(-1), (Variable{0, 0, 0, 12, 0}));  // 'abc' reads as index 0
    EXPECT_EQ(m.netTargetAt(2), (NetTarget{0xC0A801A5, 70000 & 0xffff, 3}));
    EXPECT_EQ(recorder.netRows[2][1], "192.168.1.165");
    EXPECT_EQ(m.enumAt(1).data, (std::vector<std::string>{"a", "", "c", "d", "e", "f", "g", "h", "i", "j"}));
    EXPECT_EQ(m.enumAt(2).data, (std::vector<std::string>{"01"}));  // 'zz' and blanks yield no byte
    EXPECT_TRUE(m.enumAt(-4).data.empty());
    EXPECT_EQ(m.eventSettings[4], (EventSettings{0, 0, 1, 7, 0, ""}));
    for (int slot = 0; slot < kSlotCount; ++slot) {
        EXPECT_NE(m.eventSettings[static_cast<size_t>(slot)].addString, "sixty");
        EXPECT_NE(m.eventSettings[static_cast<size_t>(slot)].addString, "minus");
    }
    ASSERT_EQ(m.actions[0].size(), 2u);  // function 9 ignored
    EXPECT_EQ(m.actions[0][0].function, FunctionCode::Infrared);
    EXPECT_EQ(m.actions[0][1].network.varNum, 10);
    EXPECT_EQ(m.actions[0][1].network.texts.size(), 11u);
    ASSERT_EQ(m.actions[2].size(), 1u);
    const SerialSendData& serial = m.actions[2][0].serial;
    EXPECT_EQ(serial.varNum, 10);
    EXPECT_EQ(serial.texts[0], "seg");
    EXPECT_EQ(serial.texts[1], "tail");
    EXPECT_EQ(serial.placeholders[0].kind, 7);  // kept as stored, read in the Var form
    EXPECT_EQ(serial.placeholders[0].varIndex, 3);
    EXPECT_EQ(recorder.badRowCalls, 0);
    EXPECT_EQ(recorder.actionRows.size(), 2u);  // slot 0 is shown

    // The missing tables were created, so edits of every slot reach the file.
    session->selectEvent(7);
    auto request = session->beginAddAction();
    ASSERT_TRUE(request.has_value());
    KeyAction ir;
    ir.irChannels = 1;
    session->commitAddAction(ir);
    flushAll();
    EXPECT_EQ(runSqlite3(path, "select count(*) from key_table7;"), "1\n");
}

TEST_F(ProjectFile, AFileThatCannotBeOpenedIsRefusedAndTheProjectStays) {
    std::string good = newProject("good.db");
    recorder.clearEvents();
    const int openedBefore = recorder.projectOpenedCount;
    writeFileBytes(dir.file("notes.db"), "These are notes, not a database. " + std::string(600, '.'));
    std::vector<std::string> bad = {dir.file("notes.db"), dir.path(), dir.file("missing/dir/x.db")};
    for (const std::string& path : bad) {
        EXPECT_FALSE(session->openProject(path)) << path;
        EXPECT_FALSE(session->newProject(path)) << path;
    }
    ASSERT_EQ(recorder.messages.size(), 6u);
    for (size_t i = 0; i < recorder.messages.size(); ++i) {
        EXPECT_EQ(recorder.messages[i].title, MessageTitle::Error);
        EXPECT_EQ(recorder.messages[i].text.rfind("无法打开项目文件：" + bad[i / 2] + "\n", 0), 0u)
            << recorder.messages[i].text;
    }
    EXPECT_EQ(readFileBytes(dir.file("notes.db")).rfind("These are notes", 0), 0u);
    EXPECT_EQ(session->projectPath(), good);
    EXPECT_EQ(recorder.projectOpenedCount, openedBefore);
    // The old project still takes edits.
    session->clearVariable(4);
    flushAll();
    EXPECT_EQ(runSqlite3(good, "select count(*) from variable;"), "16\n");
}

TEST_F(ProjectFile, NothingIsOpenAfterAFailedFirstOpen) {
    writeFileBytes(dir.file("bad.db"), std::string(2048, 'z'));
    EXPECT_FALSE(session->openProject(dir.file("bad.db")));
    EXPECT_FALSE(session->projectOpen());
    EXPECT_FALSE(session->beginModifyEnum(0).has_value());
    EXPECT_FALSE(session->beginTimeSettings().has_value());
}

TEST_F(ProjectFile, AReadOnlyProjectIsRefused) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes to read-only files";
    }
    std::string path = newProject("ro.db");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    startSession();
    EXPECT_FALSE(session->openProject(path));
    EXPECT_FALSE(session->projectOpen());
}

TEST_F(ProjectFile, AnEditMadeJustBeforeClosingIsInTheFile) {
    std::string path = newProject("close.db");
    Variable v{9, 1, 42, 300, 1};
    session->commitVariable(v);
    session->selectEvent(1);
    EventSettings s;
    s.timeEnable = 1;
    s.time = 300;
    session->commitTimeSettings(s);
    closeSession();
    EXPECT_EQ(runSqlite3(path,
                         "select init, min, max, save from variable where vindex=9;"
                         "select timeEnable, time from keyOherData where oindex=1;"),
              "42|1|300|1\n1|300\n");
}

TEST_F(ProjectFile, AFailingStatementIsReportedOncePerProjectAndTheModelKeepsTheChange) {
    std::string path = newProject("fail.db");
    runSqlite3(path, "drop table variable; drop table net_table;");
    session->commitVariable(Variable{1, 0, 5, 6, 0});
    session->commitVariable(Variable{2, 0, 5, 6, 0});
    session->commitNetTarget(NetTarget{1, 2, 1});
    flushAll();
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].title, MessageTitle::Error);
    EXPECT_EQ(recorder.messages[0].text.rfind("项目文件无法写入：文件已被其他程序修改\n", 0), 0u)
        << recorder.messages[0].text;
    EXPECT_EQ(session->saveState().pending, 3);
    EXPECT_EQ(session->model().variableAt(1).init, 5);
    EXPECT_EQ(recorder.variableRows[1][1], "5");

    // A project opened later is told of its own failure again.
    std::string other = newProject("other.db");
    EXPECT_TRUE(session->saveState().saved());
    runSqlite3(other, "drop table enum_table;");
    session->clearEnum(0);
    flushAll();
    ASSERT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(recorder.messages[1].text.rfind("项目文件无法写入：文件已被其他程序修改\n", 0), 0u);
}

TEST_F(ProjectFile, RowsOfAnEarlierProjectDoNotLeakIntoTheNextOne) {
    std::string full = newProject("full.db");
    runSqlite3(full,
               "update variable set max=77;"
               "insert into key_table0 (id,function,channel,type,varNum) values(0,0,1,1,0);");
    // Open the full project and, before any of its rows is handled, a fresh one.
    ASSERT_TRUE(session->openProject(full));
    std::string fresh = dir.file("fresh.db");
    ASSERT_TRUE(session->newProject(fresh));
    flushAll();
    const ConfigModel& m = session->model();
    for (int key = 0; key < kVariableCount; ++key) {
        EXPECT_EQ(m.variableAt(key).max, 0);
    }
    EXPECT_TRUE(m.actions[0].empty());
    EXPECT_TRUE(recorder.actionRows.empty());
    EXPECT_EQ(session->projectPath(), fresh);
    EXPECT_EQ(runSqlite3(full, "select max from variable where vindex=1;"), "77\n");
}

TEST_F(ProjectFile, ActionsComeBackInAscendingIdOrder) {
    std::string path = newProject("ids.db");
    session->selectEvent(4);
    for (FunctionCode function : {FunctionCode::Infrared, FunctionCode::Io, FunctionCode::Relay}) {
        KeyAction a;
        a.function = function;
        session->commitAddAction(a);
    }
    session->deleteAction(0);  // id 0 goes; ids 1, 2 stay
    KeyAction key;
    key.function = FunctionCode::Key;
    session->commitAddAction(key);  // above the largest: id 3, shown last and read back last
    ASSERT_EQ(session->model().actions[4].size(), 3u);
    EXPECT_EQ(session->model().actions[4][2].id, 3);
    flushAll();
    EXPECT_EQ(runSqlite3(path, "select id, function from key_table4 order by rowid;"), "1|1\n2|4\n3|5\n");
    // Rows another program stored out of order (ids 2, 0, 1) are read in id order all the same.
    closeSession();
    runSqlite3(path,
               "insert into key_table7 (id,function,channel,type,varNum) values(2,5,3,0,0);"
               "insert into key_table7 (id,function,channel,type,varNum) values(0,5,1,0,0);"
               "insert into key_table7 (id,function,channel,type,varNum) values(1,5,2,0,0);");
    startSession();
    ASSERT_TRUE(session->openProject(path));
    flushAll();
    const auto& actions = session->model().actions[4];
    ASSERT_EQ(actions.size(), 3u);
    EXPECT_EQ(actions[0].id, 1);
    EXPECT_EQ(actions[1].id, 2);
    EXPECT_EQ(actions[2].id, 3);
    EXPECT_EQ(actions[2].function, FunctionCode::Key);
    const auto& stored = session->model().actions[7];
    ASSERT_EQ(stored.size(), 3u);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(stored[static_cast<size_t>(row)].id, row);
        EXPECT_EQ(stored[static_cast<size_t>(row)].keyChannel, row + 1);
    }
}

}  // namespace
}  // namespace velk::test
