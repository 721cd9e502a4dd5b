#include "project/KeyTable.h"

#include "project/Statements.h"

namespace velk {

KeyTable::KeyTable(int slot, std::shared_ptr<DbConnection> connection, int64_t generation)
    : m_name(sql::keyTableName(slot)),
      m_slot(slot),
      m_connection(std::move(connection)),
      m_generation(generation) {}

void KeyTable::create(DbWorker& worker) const {
    PostSql(worker, m_connection, sql::createKeyTable(m_slot), ExpectedFailure::TableExists, m_generation);
}

void KeyTable::select(DbWorker& worker) const {
    postSelect(worker, m_connection, sql::selectAll(m_name), WM_ROW_ACTION, m_slot, m_generation);
}

void KeyTable::clear(DbWorker& worker) const {
    PostSql(worker, m_connection, sql::deleteKeyTable(m_slot), ExpectedFailure::NoSuchTable, m_generation);
}

void KeyTable::insert(DbWorker& worker, const KeyAction& action) const {
    std::string text = sql::insertAction(m_slot, action);
    if (!text.empty()) {
        PostSql(worker, m_connection, std::move(text), ExpectedFailure::None, m_generation);
    }
}

void KeyTable::update(DbWorker& worker, const KeyAction& action) const {
    std::string text = sql::updateAction(m_slot, action);
    if (!text.empty()) {
        PostSql(worker, m_connection, std::move(text), ExpectedFailure::None, m_generation);
    }
}

void KeyTable::remove(DbWorker& worker, int id) const {
    PostSql(worker, m_connection, sql::deleteAction(m_slot, id), ExpectedFailure::None, m_generation);
}

}  // namespace velk
