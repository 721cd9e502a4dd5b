#pragma once

#include <memory>
#include <string>

#include "model/Records.h"
#include "project/DbWorker.h"

namespace velk {

// The handle of one slot's action table. It carries the slot and the connection by value into
// every request, so a request still queued when the project changes stays valid.
class KeyTable {
public:
    KeyTable(int slot, std::shared_ptr<DbConnection> connection, int64_t generation);

    const std::string& name() const { return m_name; }
    int slot() const { return m_slot; }

    void create(DbWorker& worker) const;
    // Each row comes back as WM_ROW_ACTION with wParam = the slot.
    void select(DbWorker& worker) const;
    void clear(DbWorker& worker) const;  // New's "delete from key_table%d"
    void insert(DbWorker& worker, const KeyAction& action) const;
    void update(DbWorker& worker, const KeyAction& action) const;
    void remove(DbWorker& worker, int id) const;

private:
    std::string m_name;
    int m_slot;
    std::shared_ptr<DbConnection> m_connection;
    int64_t m_generation;
};

}  // namespace velk
