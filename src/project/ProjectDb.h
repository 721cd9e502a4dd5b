#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "model/ConfigModel.h"
#include "project/DbWorker.h"
#include "project/KeyTable.h"

namespace velk {

// The project file as the form uses it: the worker, the connection of the open project and its
// table handles, and the statement sequences of New, Open and every edit. Generations number the
// projects opened in this run; rows of an earlier one never reach a later one (see gateToken).
class ProjectDb {
public:
    explicit ProjectDb(UiPoster& poster);

    // Opens (creating when missing) and checks the file; nothing changes when it fails.
    static std::shared_ptr<DbConnection> connect(const std::string& utf8Path, std::string& reason);

    // Makes connection the project's, with fresh table handles, and posts the barrier that marks
    // where this project's rows begin. Returns the new generation.
    int64_t attach(std::shared_ptr<DbConnection> connection);
    bool attached() const { return m_connection != nullptr; }
    int64_t generation() const { return m_generation; }
    // The barrier token posted by attach(): rows handled before it belong to an earlier project.
    static int64_t gateToken(int64_t generation) { return -generation; }

    // New: the transaction that empties every table but keyOherData.
    void postNewDeletes();
    // Open step 3: each creation followed by its select.
    void postCreatesAndSelects();
    // The same creations in the same order without the selects, for a file nobody shows: the
    // selects read rows and change nothing in it.
    void postCreates();
    // The default rows of a reset model.
    void postDefaultInserts();

    void updateEnum(const EnumVariable& variable);
    void updateVariable(const Variable& variable);
    void updateNetTarget(const NetTarget& target);
    void updateEventSettings(int slot, const EventSettings& settings);
    void insertAction(int slot, const KeyAction& action);
    void updateAction(int slot, const KeyAction& action);
    void deleteAction(int slot, int id);

    void postBarrier(int64_t token) { m_worker.postBarrier(token); }
    // DB_CHECK of the open project's file.
    void postCheck() { m_worker.postCheck(m_connection, m_generation); }
    bool quit(int timeoutMs) { return m_worker.quit(timeoutMs); }
    DbWorker& worker() { return m_worker; }

private:
    void post(std::string sql, ExpectedFailure expected = ExpectedFailure::None);
    void postTableSelect(const std::string& table, ViewMessageId message);
    void postCreationSequence(bool withSelects);
    const KeyTable* keyTable(int slot) const;

    DbWorker m_worker;
    std::shared_ptr<DbConnection> m_connection;
    std::array<std::optional<KeyTable>, kSlotCount> m_keyTables;
    int64_t m_generation = 0;
};

}  // namespace velk
