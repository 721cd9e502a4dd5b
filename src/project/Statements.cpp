#include "project/Statements.h"

#include <algorithm>

#include "model/StrPrintf.h"

namespace velk::sql {

namespace {

// Addresses are stored as the signed 32-bit number of their bit pattern.
int32_t signedAddress(uint32_t ip) {
    return static_cast<int32_t>(ip);
}

int enumValueCount(const EnumVariable& variable) {
    return static_cast<int>(std::min<size_t>(variable.data.size(), kEnumValueColumns));
}

int placeholderGroups(const SendData& data) {
    return std::clamp(data.varNum, 0, kPlaceholderGroups);
}

Placeholder placeholderAt(const SendData& data, int n) {
    size_t k = static_cast<size_t>(n - 1);
    return k < data.placeholders.size() ? data.placeholders[k] : Placeholder{};
}

std::string insertColumnGroups(const SendData& data) {
    std::string text;
    for (int n = 1; n <= placeholderGroups(data); ++n) {
        text += strprintf(",var%dIndex,param1_%d,param2_%d,param3_%d,param4_%d,param5_%d,param6_%d,data%d", n,
                          n, n, n, n, n, n, n + 1);
    }
    return text;
}

std::string insertValueGroups(const SendData& data) {
    std::string text;
    for (int n = 1; n <= placeholderGroups(data); ++n) {
        Placeholder p = placeholderAt(data, n);
        std::string segment = quoted(data.segmentAt(static_cast<size_t>(n)));
        switch (p.kind) {
            case kKindEnum:
                text += strprintf(",'1','%d','%d','%d','%d','%d','%d','%s'", p.enumIndex, p.groupIndex,
                                  p.loopIndex, p.saveIndex, p.digits, p.enumDirection, segment.c_str());
                break;
            case kKindInput:
                text += strprintf(",'0','0','%d','%d','%d','%d','0','%s'", p.modeIndex, p.countIndex,
                                  p.overflowIndex, p.digits, segment.c_str());
                break;
            default:  // Var, and any other kind, kept as it is in the Var form
                text += strprintf(",'%d','%d','%d','%d','%d','%d','0','%s'", p.kind, p.varIndex, p.step,
                                  p.interval, p.varDirection, p.digits, segment.c_str());
                break;
        }
    }
    return text;
}

std::string updateGroups(const SendData& data) {
    std::string text;
    for (int n = 1; n <= placeholderGroups(data); ++n) {
        Placeholder p = placeholderAt(data, n);
        std::string segment = quoted(data.segmentAt(static_cast<size_t>(n)));
        switch (p.kind) {
            case kKindEnum:
                text += strprintf(
                    ",var%dIndex='1',param1_%d='%d',param2_%d='%d',param3_%d='%d',param4_%d='%d',param5_%d='%"
                    "d',"
                    "param6_%d='%d',data%d='%s'",
                    n, n, p.enumIndex, n, p.groupIndex, n, p.loopIndex, n, p.saveIndex, n, p.digits, n,
                    p.enumDirection, n + 1, segment.c_str());
                break;
            case kKindInput:
                text += strprintf(
                    ",var%dIndex='0',param1_%d='0',param2_%d='%d',param3_%d='%d',param4_%d='%d',param5_%d='%"
                    "d',"
                    "data%d='%s'",
                    n, n, n, p.modeIndex, n, p.countIndex, n, p.overflowIndex, n, p.digits, n + 1,
                    segment.c_str());
                break;
            default:  // Var, and any other kind, kept as it is in the Var form
                text += strprintf(
                    ",var%dIndex='%d',param1_%d='%d',param2_%d='%d',param3_%d='%d',param4_%d='%d',param5_%d='"
                    "%"
                    "d',"
                    "data%d='%s'",
                    n, p.kind, n, p.varIndex, n, p.step, n, p.interval, n, p.varDirection, n, p.digits, n + 1,
                    segment.c_str());
                break;
        }
    }
    return text;
}

}  // namespace

std::string quoted(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (char ch : text) {
        result += ch;
        if (ch == '\'') {
            result += '\'';
        }
    }
    return result;
}

std::string keyTableName(int slot) {
    return strprintf("key_table%d", slot);
}

const char* const kCreateVariable =
    "create table variable(vindex integer PRIMARY KEY NOT NULL, init integer NOT NULL DEFAULT 0, min integer "
    "NOT "
    "NULL DEFAULT 0, max integer NOT NULL DEFAULT 65536, save integer NOT NULL DEFAULT 0)";
const char* const kCreateNetTable =
    "create table net_table(netindex integer PRIMARY KEY NOT NULL, ip integer NOT NULL DEFAULT 0, port "
    "integer NOT "
    "NULL DEFAULT 0)";
const char* const kCreateEnumTable =
    "create table enum_table(enumindex integer PRIMARY KEY NOT NULL, type integer NOT NULL DEFAULT 0, size "
    "integer "
    "NOT NULL DEFAULT 0, data1 char[20], data2 char[20], data3 char[20],data4 char[20],data5 char[20],data6 "
    "char[20],data7 char[20],data8 char[20],data9 char[20],data10 char[20])";
const char* const kCreateKeyOherData =
    "create table keyOherData(oindex integer PRIMARY KEY NOT NULL, timeEnable integer NOT NULL DEFAULT 0, "
    "time "
    "integer NOT NULL DEFAULT 0, addEnable integer NOT NULL DEFAULT 0, addTimeOut integer NOT NULL DEFAULT "
    "0, "
    "addIsSend integer NOT NULL DEFAULT 0, addString char[1024])";
const char* const kKeyTableColumns =
    "(id integer PRIMARY KEY NOT NULL,function integer NOT NULL DEFAULT 0, channel integer NOT NULL DEFAULT "
    "0, ip "
    "integer NOT NULL DEFAULT 0, port integer NOT NULL DEFAULT 0, type integer NOT NULL DEFAULT 0, varNum "
    "integer "
    "NOT NULL DEFAULT 0,baudrate integer, dataWidth integer, adjust integer, stop integer,data1 char[1024], "
    "var1Index integer, param1_1 integer,param2_1 integer,param3_1 integer,param4_1 integer,param5_1 "
    "integer,param6_1 integer,data2 char[1024], var2Index integer, param1_2 integer,param2_2 "
    "integer,param3_2 "
    "integer,param4_2 integer,param5_2 integer,param6_2 integer,data3 char[1024], var3Index integer, "
    "param1_3 "
    "integer,param2_3 integer,param3_3 integer,param4_3 integer,param5_3 integer,param6_3 integer,data4 "
    "char[1024], var4Index integer, param1_4 integer,param2_4 integer,param3_4 integer,param4_4 "
    "integer,param5_4 "
    "integer,param6_4 integer,data5 char[1024], var5Index integer, param1_5 integer,param2_5 "
    "integer,param3_5 "
    "integer,param4_5 integer,param5_5 integer,param6_5 integer,data6 char[1024], var6Index integer, "
    "param1_6 "
    "integer,param2_6 integer,param3_6 integer,param4_6 integer,param5_6 integer,param6_6 integer,data7 "
    "char[1024], var7Index integer, param1_7 integer,param2_7 integer,param3_7 integer,param4_7 "
    "integer,param5_7 "
    "integer,param6_7 integer,data8 char[1024], var8Index integer, param1_8 integer,param2_8 "
    "integer,param3_8 "
    "integer,param4_8 integer,param5_8 integer,param6_8 integer,data9 char[1024], var9Index integer, "
    "param1_9 "
    "integer,param2_9 integer,param3_9 integer,param4_9 integer,param5_9 integer,param6_9 integer,data10 "
    "char[1024],var10Index integer, param1_10 integer,param2_10 integer,param3_10 integer,param4_10 "
    "integer,param5_10 integer,param6_10 integer,data11 char[1024])";

std::string createKeyTable(int slot) {
    return "create table " + keyTableName(slot) + kKeyTableColumns;
}

std::string selectAll(const std::string& table) {
    return "SELECT * FROM " + table;
}

const char* const kBeginTransaction = "BEGIN TRANSACTION;";
const char* const kCommitTransaction = "COMMIT TRANSACTION;";
const char* const kDeleteEnumTable = "delete from enum_table;";
const char* const kDeleteNetTable = "delete from net_table;";
const char* const kDeleteVariable = "delete from variable;";

std::string deleteKeyTable(int slot) {
    return strprintf("delete from key_table%d", slot);
}

std::string insertEnum(const EnumVariable& variable) {
    int size = enumValueCount(variable);
    std::string text = strprintf(
        "insert into enum_table "
        "(enumindex,type,size,data1,data2,data3,data4,data5,data6,data7,data8,data9,data10) "
        "values ('%d','%d','%d'",
        variable.index, variable.type, size);
    for (int k = 0; k < size; ++k) {
        text += strprintf(",'%s'", quoted(variable.data[static_cast<size_t>(k)]).c_str());
    }
    for (int k = size; k < kEnumValueColumns; ++k) {
        text += ",''";
    }
    return text + ")";
}

std::string updateEnum(const EnumVariable& variable) {
    int size = enumValueCount(variable);
    std::string text = strprintf("UPDATE enum_table set type='%d',size='%d'", variable.type, size);
    for (int k = 1; k <= size; ++k) {
        text += strprintf(",data%d='%s'", k, quoted(variable.data[static_cast<size_t>(k - 1)]).c_str());
    }
    for (int k = size + 1; k <= kEnumValueColumns; ++k) {
        text += strprintf(",data%d=''", k);
    }
    return text + strprintf(" where enumindex=%d", variable.index);
}

std::string insertVariable(const Variable& v) {
    return strprintf("insert into variable (vindex,init,min,max,save) values ('%d','%d','%d','%d','%d')",
                     v.index, v.init, v.min, v.max, v.save);
}

std::string updateVariable(const Variable& v) {
    return strprintf("UPDATE variable set init = '%d',min = '%d',max = '%d',save = '%d' where vindex = '%d'",
                     v.init, v.min, v.max, v.save, v.index);
}

std::string insertNetTarget(const NetTarget& t) {
    return strprintf("insert into net_table (netindex,ip,port) values ('%d','%ld','%ld')", t.index,
                     static_cast<long>(signedAddress(t.ip)), static_cast<long>(t.port));
}

std::string updateNetTarget(const NetTarget& t) {
    return strprintf("UPDATE net_table set ip = '%ld',port = '%ld'where netindex = '%d'",
                     static_cast<long>(signedAddress(t.ip)), static_cast<long>(t.port), t.index);
}

std::string insertEventSettings(int slot, const EventSettings& s) {
    return strprintf(
        "insert into keyOherData (oindex,timeEnable,time,addEnable,addTimeOut,addIsSend,addString) values "
        "('%d','%d','%d','%d','%d','%d','%s')",
        slot, s.timeEnable, s.time, s.addEnable, s.addTimeOut, s.addIsSend, quoted(s.addString).c_str());
}

std::string updateEventSettings(int slot, const EventSettings& s) {
    return strprintf(
        "UPDATE keyOherData set timeEnable = '%d',time = '%d',addEnable = '%d', addTimeOut = '%d', addIsSend "
        "= "
        "'%d', addString = '%s' where oindex = '%d'",
        s.timeEnable, s.time, s.addEnable, s.addTimeOut, s.addIsSend, quoted(s.addString).c_str(), slot);
}

std::string insertAction(int slot, const KeyAction& a) {
    std::string prefix = "insert into " + keyTableName(slot) + " ";
    switch (a.function) {
        case FunctionCode::Infrared:
            return prefix + strprintf("(id,function,channel,type,varNum) values('%d','0','%d','%d','0')",
                                      a.id, a.irChannels, a.irCode);
        case FunctionCode::Io:
            return prefix + strprintf("(id,function,channel,type,varNum) values('%d','1','%d','%d','0')",
                                      a.id, a.ioChannels, a.ioOperation);
        case FunctionCode::Relay:
            return prefix + strprintf("(id,function,channel,type,varNum) values('%d','4','%d','%d','0')",
                                      a.id, a.relayChannels, a.relayOperation);
        case FunctionCode::Key:
            return prefix + strprintf("(id,function,channel,type,varNum) values('%d','5','%d','0','0')", a.id,
                                      a.keyChannel);
        case FunctionCode::Serial: {
            const SerialSendData& s = a.serial;
            return prefix + "(id,function,channel,type,varNum,baudrate,dataWidth,adjust,stop,data1" +
                   insertColumnGroups(s) + ") " +
                   strprintf("values('%d','2','%d','%d','%d','%d','%d','%d','%d','%s'", a.id, s.channel,
                             s.type, s.varNum, s.baudrate, s.dataWidth, s.adjust, s.stop,
                             quoted(s.segmentAt(0)).c_str()) +
                   insertValueGroups(s) + ") ";
        }
        case FunctionCode::Network: {
            const SendData& n = a.network;
            return prefix + "(id,function,channel,ip,port,type,varNum,data1" + insertColumnGroups(n) + ") " +
                   strprintf("values('%d','3','%d','%d','%d','%d','%d','%s'", a.id, n.channel,
                             signedAddress(n.ip), n.port, n.type, n.varNum, quoted(n.segmentAt(0)).c_str()) +
                   insertValueGroups(n) + ") ";
        }
    }
    return {};  // a code no function has
}

std::string updateAction(int slot, const KeyAction& a) {
    std::string assignments;
    switch (a.function) {
        case FunctionCode::Infrared:
            assignments = strprintf("function='0',channel='%d',type='%d',varNum='0'", a.irChannels, a.irCode);
            break;
        case FunctionCode::Io:
            assignments =
                strprintf("function='1',channel='%d',type='%d',varNum='0'", a.ioChannels, a.ioOperation);
            break;
        case FunctionCode::Relay:
            assignments = strprintf("function='4',channel='%d',type='%d',varNum='0'", a.relayChannels,
                                    a.relayOperation);
            break;
        case FunctionCode::Key:
            assignments = strprintf("function='5',channel='%d',type='0',varNum='0'", a.keyChannel);
            break;
        case FunctionCode::Serial: {
            const SerialSendData& s = a.serial;
            assignments = strprintf(
                              "function='2',channel='%d',type='%d',varNum='%d',baudrate='%d',dataWidth='%d',"
                              "adjust='%d',stop='%d',data1='%s'",
                              s.channel, s.type, s.varNum, s.baudrate, s.dataWidth, s.adjust, s.stop,
                              quoted(s.segmentAt(0)).c_str()) +
                          updateGroups(s);
            break;
        }
        case FunctionCode::Network: {
            const SendData& n = a.network;
            assignments =
                strprintf("function='3',channel='%d',ip='%d',port='%d',type='%d',varNum='%d',data1='%s'",
                          n.channel, signedAddress(n.ip), n.port, n.type, n.varNum,
                          quoted(n.segmentAt(0)).c_str()) +
                updateGroups(n);
            break;
        }
    }
    if (assignments.empty()) {
        return {};  // a code no function has
    }
    return "UPDATE " + keyTableName(slot) + " set " + assignments + strprintf(" where id=%d", a.id);
}

std::string deleteAction(int slot, int id) {
    return strprintf("delete from %s where id='%d'", keyTableName(slot).c_str(), id);
}

}  // namespace velk::sql
