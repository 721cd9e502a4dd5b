#include "project/ProjectDb.h"

#include "project/Statements.h"

namespace velk {

ProjectDb::ProjectDb(UiPoster& poster) : m_worker(poster) {}

std::shared_ptr<DbConnection> ProjectDb::connect(const std::string& utf8Path, std::string& reason) {
    return DbConnection::open(utf8Path, reason);
}

int64_t ProjectDb::attach(std::shared_ptr<DbConnection> connection) {
    m_connection = std::move(connection);
    ++m_generation;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        m_keyTables[static_cast<size_t>(slot)].emplace(slot, m_connection, m_generation);
    }
    m_worker.postBarrier(gateToken(m_generation));
    return m_generation;
}

void ProjectDb::post(std::string sql, ExpectedFailure expected) {
    if (m_connection) {
        PostSql(m_worker, m_connection, std::move(sql), expected, m_generation);
    }
}

void ProjectDb::postTableSelect(const std::string& table, ViewMessageId message) {
    postSelect(m_worker, m_connection, sql::selectAll(table), message, kRowTableParam, m_generation);
}

const KeyTable* ProjectDb::keyTable(int slot) const {
    if (!ConfigModel::isValidSlot(slot) || !m_keyTables[static_cast<size_t>(slot)]) {
        return nullptr;
    }
    return &*m_keyTables[static_cast<size_t>(slot)];
}

void ProjectDb::postNewDeletes() {
    post(sql::kBeginTransaction);
    post(sql::kDeleteEnumTable, ExpectedFailure::NoSuchTable);
    post(sql::kDeleteNetTable, ExpectedFailure::NoSuchTable);
    post(sql::kDeleteVariable, ExpectedFailure::NoSuchTable);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        keyTable(slot)->clear(m_worker);
    }
    post(sql::kCommitTransaction);
}

void ProjectDb::postCreatesAndSelects() {
    postCreationSequence(true);
}

void ProjectDb::postCreates() {
    postCreationSequence(false);
}

void ProjectDb::postCreationSequence(bool withSelects) {
    auto created = [&](const char* create, const std::string& table, ViewMessageId message) {
        post(create, ExpectedFailure::TableExists);
        if (withSelects) {
            postTableSelect(table, message);
        }
    };
    created(sql::kCreateVariable, "variable", WM_ROW_VARIABLE);
    created(sql::kCreateNetTable, "net_table", WM_ROW_NET);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        keyTable(slot)->create(m_worker);
        if (withSelects) {
            keyTable(slot)->select(m_worker);
        }
    }
    created(sql::kCreateEnumTable, "enum_table", WM_ROW_ENUM);
    created(sql::kCreateKeyOherData, "keyOherData", WM_ROW_KEYOTHER);
}

void ProjectDb::postDefaultInserts() {
    ConfigModel defaults;
    defaults.reset();
    for (const auto& [key, variable] : defaults.enums) {
        post(sql::insertEnum(variable), ExpectedFailure::KeyExists);
    }
    for (const auto& [key, variable] : defaults.variables) {
        post(sql::insertVariable(variable), ExpectedFailure::KeyExists);
    }
    for (const auto& [key, target] : defaults.netTargets) {
        post(sql::insertNetTarget(target), ExpectedFailure::KeyExists);
    }
    for (int slot = 0; slot < kSlotCount; ++slot) {
        post(sql::insertEventSettings(slot, defaults.eventSettings[static_cast<size_t>(slot)]),
             ExpectedFailure::KeyExists);
    }
}

void ProjectDb::updateEnum(const EnumVariable& variable) {
    post(sql::updateEnum(variable));
}

void ProjectDb::updateVariable(const Variable& variable) {
    post(sql::updateVariable(variable));
}

void ProjectDb::updateNetTarget(const NetTarget& target) {
    post(sql::updateNetTarget(target));
}

void ProjectDb::updateEventSettings(int slot, const EventSettings& settings) {
    post(sql::updateEventSettings(slot, settings));
}

void ProjectDb::insertAction(int slot, const KeyAction& action) {
    if (const KeyTable* table = keyTable(slot)) {
        table->insert(m_worker, action);
    }
}

void ProjectDb::updateAction(int slot, const KeyAction& action) {
    if (const KeyTable* table = keyTable(slot)) {
        table->update(m_worker, action);
    }
}

void ProjectDb::deleteAction(int slot, int id) {
    if (const KeyTable* table = keyTable(slot)) {
        table->remove(m_worker, id);
    }
}

}  // namespace velk
