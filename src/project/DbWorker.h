#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "model/UiPoster.h"
#include "project/FileWatch.h"

struct sqlite3;

namespace velk {

// One open project file. Statements hold it through shared pointers, so a connection replaced by
// another project is closed only after the last statement queued for it has run.
class DbConnection {
public:
    // Opens the file read-write, creating it when missing, and reads its schema once so that a
    // file which is not a database, a folder or a read-only file is refused here, not later.
    // On failure returns nothing and sets reason.
    static std::shared_ptr<DbConnection> open(const std::string& utf8Path, std::string& reason);
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    sqlite3* handle() const { return m_db; }
    // Whether the file is still the one velk left (used by the worker thread only).
    FileWatch& watch() { return m_watch; }

private:
    DbConnection(sqlite3* db, const std::string& utf8Path) : m_db(db), m_watch(utf8Path, db) {}
    sqlite3* m_db;
    FileWatch m_watch;
};

// Failures a statement is allowed to meet in normal use; every other failure is reported.
enum class ExpectedFailure {
    None,
    TableExists,  // creation of a table the project already has
    KeyExists,    // default insert whose key the project already holds
    NoSuchTable,  // New's deletes from a fresh file's tables
};

// DB_RETRY: the statements held after a failure are tried again. DB_CHECK: the open file is
// compared with what velk left (the window came to the front).
enum DbThreadMessage : unsigned { DB_EXEC = 100, DB_QUIT = 101, DB_RETRY = 102, DB_CHECK = 103 };

// One unit of work for the worker. With rowMessage set, each result row is copied and posted to the
// user-interface thread as that message with wParam rowParam.
struct SqlRequest {
    std::shared_ptr<DbConnection> connection;
    std::string sql;
    ViewMessageId rowMessage{};
    int64_t rowParam = 0;
    bool postsRows = false;
    ExpectedFailure expected = ExpectedFailure::None;
    // Passed back as wParam of WM_DB_ERROR, so the receiver knows which project failed.
    int64_t generation = 0;
};

// The database worker: one thread that runs queued statements in posting order with sqlite3_exec.
// Posting never blocks and never waits for a result.
//
// A statement that changes the file and fails for an unexpected reason (disk full, read-only, the
// file changed underneath) is held, with every later one for its connection, in posting order
// (with the statements of a transaction it broke, which SQLite rolled back): WM_DB_HELD says so.
// The held statements are tried again, from the first, on DB_RETRY, with every new statement and
// at DB_QUIT; WM_DB_SAVED follows once all of them are in the file. A statement for another
// connection drops what an earlier one held (another project was opened).
class DbWorker {
public:
    explicit DbWorker(UiPoster& poster);
    // Quits as quit() does if that has not happened yet.
    ~DbWorker();
    DbWorker(const DbWorker&) = delete;
    DbWorker& operator=(const DbWorker&) = delete;

    // DB_EXEC: queue one request.
    void post(SqlRequest request);
    // WM_DB_BARRIER with token is posted once everything queued before it has run.
    void postBarrier(int64_t token);
    // DB_RETRY and DB_CHECK.
    void postRetry();
    void postCheck(const std::shared_ptr<DbConnection>& connection, int64_t generation);
    // DB_QUIT: everything queued before runs, then the thread ends. Waits at most timeoutMs for it;
    // false when it did not end in time (it is then left to finish on its own).
    bool quit(int timeoutMs);
    bool running() const;

    // Sees every statement text as the worker takes it, on the worker thread (for tests and
    // measurements).
    void setStatementTap(std::function<void(const std::string&)> tap);

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

// PostSql of the project tables: queue one statement without rows.
void PostSql(DbWorker& worker, const std::shared_ptr<DbConnection>& connection, std::string sql,
             ExpectedFailure expected, int64_t generation);
// Queues a query whose result rows are posted as rowMessage with wParam rowParam.
void postSelect(DbWorker& worker, const std::shared_ptr<DbConnection>& connection, std::string sql,
                ViewMessageId rowMessage, int64_t rowParam, int64_t generation);

}  // namespace velk
