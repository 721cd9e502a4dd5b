#include "support/MaximalProject.h"

#include <sqlite3.h>

#include "model/ConfigModel.h"
#include "model/StrPrintf.h"
#include "project/Statements.h"

namespace velk::test {
namespace {

SendData dataWithSixBlanks(int slot) {
    SendData data;
    data.varNum = 6;
    data.type = kAscii;
    for (int n = 0; n <= 6; ++n) {
        data.texts.push_back(strprintf("segment %d of action %d with text", n, slot));
    }
    for (int n = 0; n < 6; ++n) {
        Placeholder p;
        p.kind = n % 3;
        p.digits = 3;
        p.enumIndex = 1 + n;
        p.varIndex = 2 + n;
        data.placeholders.push_back(p);
    }
    return data;
}

KeyAction dataAction(int slot, int id) {
    KeyAction data;
    data.id = id;
    if (slot % 2 == 0) {
        data.function = FunctionCode::Network;
        data.network = dataWithSixBlanks(slot);
        data.network.ip = 0xC0A80101;
        data.network.port = 4800;
    } else {
        data.function = FunctionCode::Serial;
        static_cast<SendData&>(data.serial) = dataWithSixBlanks(slot);
    }
    return data;
}

}  // namespace

std::vector<std::string> maximalProjectScript() {
    std::vector<std::string> script = {sql::kCreateVariable, sql::kCreateNetTable, sql::kCreateEnumTable,
                                       sql::kCreateKeyOherData};
    for (int slot = 0; slot < kSlotCount; ++slot) {
        script.push_back(sql::createKeyTable(slot));
        int id = 0;
        if (slot % 3 != 2) {
            for (FunctionCode function : {FunctionCode::Infrared, FunctionCode::Io, FunctionCode::Relay}) {
                KeyAction a;
                a.function = function;
                a.irChannels = a.ioChannels = a.relayChannels = 15;
                a.id = id++;
                script.push_back(sql::insertAction(slot, a));
            }
        }
        script.push_back(sql::insertAction(slot, dataAction(slot, id++)));
        KeyAction key;
        key.function = FunctionCode::Key;
        key.keyChannel = 3;
        key.id = id++;
        script.push_back(sql::insertAction(slot, key));
        EventSettings s{1, 300, 1, 5000, 1, "AT+APPEND=" + std::to_string(slot)};
        script.push_back(sql::insertEventSettings(slot, s));
    }
    for (int i = 1; i <= kEnumCount; ++i) {
        EnumVariable e;
        e.index = i;
        e.data.clear();
        for (int k = 0; k < 10; ++k) {
            e.data.push_back(strprintf("value%02d", k));
        }
        script.push_back(sql::insertEnum(e));
    }
    for (int i = 1; i <= kVariableCount; ++i) {
        script.push_back(sql::insertVariable(Variable{i, 0, i, 1000, 1}));
    }
    for (int i = 1; i <= kNetTargetCount; ++i) {
        script.push_back(sql::insertNetTarget(NetTarget{0xC0A80100u + static_cast<uint32_t>(i), 4800, i}));
    }
    return script;
}

bool writeMaximalProject(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (const std::string& statement : maximalProjectScript()) {
        ok = ok && sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

}  // namespace velk::test
