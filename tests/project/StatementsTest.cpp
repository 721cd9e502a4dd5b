#include <gtest/gtest.h>

#include "project/Statements.h"
#include "support/ActionMaker.h"

namespace velk {
namespace {

using test::enumBlank;
using test::inputBlank;
using test::varBlank;

KeyAction serialAction() {
    KeyAction a;
    a.function = FunctionCode::Serial;
    a.id = 7;
    a.serial.channel = 1;
    a.serial.type = kAscii;
    a.serial.varNum = 2;
    a.serial.baudrate = 5;
    a.serial.dataWidth = 3;
    a.serial.adjust = 1;
    a.serial.stop = 0;
    a.serial.texts = {"AB", "C'D", "E"};
    a.serial.placeholders = {inputBlank(1, 2, 1, 4), enumBlank(3, 2, 1, 1, 2, 1)};
    return a;
}

KeyAction networkAction() {
    KeyAction a;
    a.function = FunctionCode::Network;
    a.id = 3;
    a.network.channel = 2;
    a.network.ip = 0xC0A801A5;
    a.network.port = 4800;
    a.network.type = kHex;
    a.network.varNum = 1;
    a.network.texts = {"01 02", "ff"};
    a.network.placeholders = {varBlank(16, 2, 100, 1, 5)};
    return a;
}

KeyAction simpleAction(FunctionCode function, int channels, int second) {
    KeyAction a;
    a.function = function;
    a.id = 4;
    a.irChannels = a.ioChannels = a.relayChannels = a.keyChannel = channels;
    a.irCode = a.ioOperation = a.relayOperation = second;
    return a;
}

struct Expected {
    std::string got;
    std::string want;
};

TEST(Statements, SmallTablesAreByteExact) {
    EnumVariable e;
    e.index = 3;
    e.type = kHex;
    e.data = {"01 02 ab ff", "ff", "0a"};
    Variable v{5, -10, 3, 100, 1};
    NetTarget t{0xC0A801A5, 4800, 2};
    EventSettings s{1, 300, 1, 5000, 1, "AT+X"};
    const std::vector<Expected> cases = {
        {sql::insertEnum(e),
         "insert into enum_table "
         "(enumindex,type,size,data1,data2,data3,data4,data5,data6,data7,data8,data9,data10) "
         "values ('3','1','3','01 02 ab ff','ff','0a','','','','','','','')"},
        {sql::updateEnum(e),
         "UPDATE enum_table set type='1',size='3',data1='01 02 ab "
         "ff',data2='ff',data3='0a',data4='',data5='',data6='',"
         "data7='',data8='',data9='',data10='' where enumindex=3"},
        {sql::insertVariable(v),
         "insert into variable (vindex,init,min,max,save) values ('5','3','-10','100','1')"},
        {sql::updateVariable(v),
         "UPDATE variable set init = '3',min = '-10',max = '100',save = '1' where vindex = '5'"},
        {sql::insertNetTarget(t),
         "insert into net_table (netindex,ip,port) values ('2','-1062731355','4800')"},
        {sql::updateNetTarget(t),
         "UPDATE net_table set ip = '-1062731355',port = '4800'where netindex = '2'"},
        {sql::insertEventSettings(1, s),
         "insert into keyOherData (oindex,timeEnable,time,addEnable,addTimeOut,addIsSend,addString) values "
         "('1','1','300','1','5000','1','AT+X')"},
        {sql::updateEventSettings(1, s),
         "UPDATE keyOherData set timeEnable = '1',time = '300',addEnable = '1', addTimeOut = '5000', "
         "addIsSend = "
         "'1', addString = 'AT+X' where oindex = '1'"},
        {sql::deleteAction(4, 1), "delete from key_table4 where id='1'"},
        {sql::deleteKeyTable(59), "delete from key_table59"},
        {sql::selectAll("key_table12"), "SELECT * FROM key_table12"},
    };
    for (const Expected& c : cases) {
        EXPECT_EQ(c.got, c.want);
    }
}

TEST(Statements, KeyTableStatementsAreByteExactForEveryFunction) {
    const std::vector<Expected> cases = {
        {sql::insertAction(0, simpleAction(FunctionCode::Infrared, 5, 12)),
         "insert into key_table0 (id,function,channel,type,varNum) values('4','0','5','12','0')"},
        {sql::insertAction(1, simpleAction(FunctionCode::Io, 3, 2)),
         "insert into key_table1 (id,function,channel,type,varNum) values('4','1','3','2','0')"},
        {sql::insertAction(2, simpleAction(FunctionCode::Relay, 15, 1)),
         "insert into key_table2 (id,function,channel,type,varNum) values('4','4','15','1','0')"},
        {sql::insertAction(3, simpleAction(FunctionCode::Key, 6, 9)),
         "insert into key_table3 (id,function,channel,type,varNum) values('4','5','6','0','0')"},
        {sql::updateAction(0, simpleAction(FunctionCode::Infrared, 5, 12)),
         "UPDATE key_table0 set function='0',channel='5',type='12',varNum='0' where id=4"},
        {sql::updateAction(1, simpleAction(FunctionCode::Io, 3, 2)),
         "UPDATE key_table1 set function='1',channel='3',type='2',varNum='0' where id=4"},
        {sql::updateAction(2, simpleAction(FunctionCode::Relay, 15, 1)),
         "UPDATE key_table2 set function='4',channel='15',type='1',varNum='0' where id=4"},
        {sql::updateAction(3, simpleAction(FunctionCode::Key, 6, 9)),
         "UPDATE key_table3 set function='5',channel='6',type='0',varNum='0' where id=4"},
        {sql::insertAction(8, serialAction()),
         "insert into key_table8 (id,function,channel,type,varNum,baudrate,dataWidth,adjust,stop,data1"
         ",var1Index,param1_1,param2_1,param3_1,param4_1,param5_1,param6_1,data2"
         ",var2Index,param1_2,param2_2,param3_2,param4_2,param5_2,param6_2,data3) "
         "values('7','2','1','0','2','5','3','1','0','AB'"
         ",'0','0','1','2','1','4','0','C''D'"
         ",'1','3','2','1','1','2','1','E') "},
        {sql::updateAction(8, serialAction()),
         "UPDATE key_table8 set "
         "function='2',channel='1',type='0',varNum='2',baudrate='5',dataWidth='3',adjust='1',"
         "stop='0',data1='AB'"
         ",var1Index='0',param1_1='0',param2_1='1',param3_1='2',param4_1='1',param5_1='4',data2='C''D'"
         ",var2Index='1',param1_2='3',param2_2='2',param3_2='1',param4_2='1',param5_2='2',param6_2='1',data3="
         "'E'"
         " where id=7"},
        {sql::insertAction(29, networkAction()),
         "insert into key_table29 (id,function,channel,ip,port,type,varNum,data1"
         ",var1Index,param1_1,param2_1,param3_1,param4_1,param5_1,param6_1,data2) "
         "values('3','3','2','-1062731355','4800','1','1','01 02'"
         ",'2','16','2','100','1','5','0','ff') "},
        {sql::updateAction(29, networkAction()),
         "UPDATE key_table29 set function='3',channel='2',ip='-1062731355',port='4800',type='1',varNum='1',"
         "data1='01 02'"
         ",var1Index='2',param1_1='16',param2_1='2',param3_1='100',param4_1='1',param5_1='5',data2='ff'"
         " where id=3"},
    };
    for (const Expected& c : cases) {
        EXPECT_EQ(c.got, c.want);
    }
    KeyAction unknown = simpleAction(static_cast<FunctionCode>(9), 1, 1);
    EXPECT_EQ(sql::insertAction(0, unknown), "");
    EXPECT_EQ(sql::updateAction(0, unknown), "");
}

TEST(Statements, ABlankOfAnotherKindIsStoredUnchangedInTheVarForm) {
    KeyAction a = networkAction();
    a.network.placeholders[0].kind = 7;
    EXPECT_EQ(sql::insertAction(29, a),
              "insert into key_table29 (id,function,channel,ip,port,type,varNum,data1"
              ",var1Index,param1_1,param2_1,param3_1,param4_1,param5_1,param6_1,data2) "
              "values('3','3','2','-1062731355','4800','1','1','01 02'"
              ",'7','16','2','100','1','5','0','ff') ");
    a.network.placeholders[0].kind = -1;
    EXPECT_EQ(sql::updateAction(29, a),
              "UPDATE key_table29 set function='3',channel='2',ip='-1062731355',port='4800',type='1',"
              "varNum='1',data1='01 02'"
              ",var1Index='-1',param1_1='16',param2_1='2',param3_1='100',param4_1='1',param5_1='5',data2='ff'"
              " where id=3");
}

TEST(Statements, CreationOfAKeyTableJoinsNameAndColumnsWithoutBlank) {
    std::string text = sql::createKeyTable(42);
    EXPECT_EQ(text.rfind("create table key_table42(id integer PRIMARY KEY NOT NULL,function integer", 0), 0u);
    EXPECT_TRUE(
        text.ends_with(",var10Index integer, param1_10 integer,param2_10 integer,param3_10 integer,param4_10 "
                       "integer,param5_10 integer,param6_10 integer,data11 char[1024])"));
}

TEST(Statements, QuotesAreDoubledInEveryLiteral) {
    EnumVariable e;
    e.index = 1;
    e.data = {"a'b", "''"};
    EXPECT_EQ(sql::updateEnum(e),
              "UPDATE enum_table set "
              "type='0',size='2',data1='a''b',data2='''''',data3='',data4='',data5='',data6='',"
              "data7='',data8='',data9='',data10='' where enumindex=1");
    EventSettings s;
    s.addString = "x'); drop table variable; --";
    EXPECT_NE(sql::updateEventSettings(0, s).find("addString = 'x''); drop table variable; --' where"),
              std::string::npos);
    EXPECT_EQ(sql::quoted("'"), "''");
    EXPECT_EQ(sql::quoted("no quote"), "no quote");
}

TEST(Statements, LongTextsAreNeverCut) {
    EnumVariable e;
    e.index = 2;
    e.data = {std::string(6000, 'x')};
    std::string text = sql::updateEnum(e);
    EXPECT_GT(text.size(), 6000u);
    EXPECT_NE(text.find("data1='" + std::string(6000, 'x') + "'"), std::string::npos);
    EXPECT_TRUE(text.ends_with("',data10='' where enumindex=2"));
}

TEST(Statements, MoreThanTenEnumValuesWriteTheFirstTen) {
    EnumVariable e;
    e.index = 1;
    e.data = std::vector<std::string>(12, "v");
    std::string text = sql::insertEnum(e);
    EXPECT_NE(text.find("values ('1','0','10','v','v','v','v','v','v','v','v','v','v')"), std::string::npos)
        << text;
}

}  // namespace
}  // namespace velk
