#include <gtest/gtest.h>

#include <sqlite3.h>
#include <chrono>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "model/StrPrintf.h"
#include "project/DbWorker.h"
#include "session/MessagePump.h"
#include "support/FaultVfs.h"
#include "support/SqliteCli.h"
#include "support/TempDir.h"
#include "support/Within.h"

namespace velk::test {
namespace {

struct Drained {
    std::vector<ViewMessage> rows;
    std::vector<ViewMessage> errors;
};

Drained drainTo(MessageQueue& queue, DbWorker& worker) {
    Drained drained;
    int64_t token = nextBarrierToken();
    worker.postBarrier(token);
    MessagePump pump(queue, [&](const ViewMessage& m) {
        if (m.id == WM_DB_ERROR || m.id == WM_DB_HELD || m.id == WM_DB_SAVED) {
            drained.errors.push_back(m);
        } else if (m.id != WM_DB_BARRIER) {
            drained.rows.push_back(m);
        }
    });
    bool arrived = pump.untilBarrier(token);
    EXPECT_TRUE(arrived);
    return drained;
}

std::shared_ptr<DbConnection> openFile(const std::string& path) {
    std::string reason;
    auto connection = DbConnection::open(path, reason);
    EXPECT_TRUE(connection) << reason;
    return connection;
}

SqlRequest selectRequest(const std::shared_ptr<DbConnection>& c, const std::string& sql) {
    SqlRequest request;
    request.connection = c;
    request.sql = sql;
    request.postsRows = true;
    request.rowMessage = WM_ROW_ACTION;
    request.rowParam = 17;
    return request;
}

TEST(DbWorker, RunsStatementsInPostingOrderAndCopiesEveryRow) {
    TempDir dir;
    MessageQueue queue;
    DbWorker worker(queue);
    auto c = openFile(dir.file("w.db"));
    PostSql(worker, c, "create table t(a integer, b text)", ExpectedFailure::None, 1);
    for (int i = 0; i < 200; ++i) {
        PostSql(worker, c, strprintf("insert into t values(%d, 'v%d')", i, i), ExpectedFailure::None, 1);
    }
    PostSql(worker, c, "insert into t values(NULL, NULL)", ExpectedFailure::None, 1);
    worker.post(selectRequest(c, "select a, b from t"));
    Drained drained = drainTo(queue, worker);
    EXPECT_TRUE(drained.errors.empty());
    ASSERT_EQ(drained.rows.size(), 201u);
    for (int i = 0; i < 200; ++i) {
        const ViewMessage& m = drained.rows[static_cast<size_t>(i)];
        EXPECT_EQ(m.id, WM_ROW_ACTION);
        EXPECT_EQ(m.wParam, 17);
        EXPECT_EQ(m.row, (std::vector<std::string>{strprintf("%d", i), strprintf("v%d", i)}));
    }
    EXPECT_EQ(drained.rows.back().row, (std::vector<std::string>{"", ""}));
}

TEST(DbWorker, ExpectedFailuresAreSilentAndOthersCarryTheReason) {
    TempDir dir;
    MessageQueue queue;
    DbWorker worker(queue);
    auto c = openFile(dir.file("w.db"));
    PostSql(worker, c, "create table t(k integer PRIMARY KEY NOT NULL)", ExpectedFailure::TableExists, 4);
    PostSql(worker, c, "create table t(k integer PRIMARY KEY NOT NULL)", ExpectedFailure::TableExists, 4);
    PostSql(worker, c, "insert into t (k) values ('1')", ExpectedFailure::KeyExists, 4);
    PostSql(worker, c, "insert into t (k) values ('1')", ExpectedFailure::KeyExists, 4);
    PostSql(worker, c, "delete from missing", ExpectedFailure::NoSuchTable, 4);
    Drained quiet = drainTo(queue, worker);
    EXPECT_TRUE(quiet.errors.empty());

    // The same failures are reported when they were not expected, and so is any other: the
    // first is held, with every later statement behind it, each retried in order as one comes.
    PostSql(worker, c, "insert into t (k) values ('1')", ExpectedFailure::None, 5);
    PostSql(worker, c, "delete from missing", ExpectedFailure::None, 6);
    PostSql(worker, c, "insert into t (k) values ('2')", ExpectedFailure::TableExists, 7);
    Drained loud = drainTo(queue, worker);
    ASSERT_EQ(loud.errors.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(loud.errors[i].id, WM_DB_HELD);
        EXPECT_EQ(loud.errors[i].wParam, 5);
        EXPECT_EQ(loud.errors[i].lParam, static_cast<int64_t>(i + 1));
        EXPECT_NE(loud.errors[i].text.find("UNIQUE constraint failed"), std::string::npos)
            << loud.errors[i].text;
    }
    EXPECT_EQ(runSqlite3(dir.file("w.db"), "select count(*) from t;"), "1\n");
}

TEST(DbWorker, AFailingStatementOfATransactionHoldsTheWholeTransactionUntilItCanRun) {
    FaultVfs& vfs = FaultVfs::installed();  // before the file is opened, so it goes through it
    struct Lifted {
        FaultVfs& vfs;
        ~Lifted() { vfs.lift(); }
    } lifted{vfs};
    TempDir dir;
    MessageQueue queue;
    DbWorker worker(queue);
    const std::string path = dir.file("t.db");
    auto c = openFile(path);
    PostSql(worker, c, "create table t(k integer PRIMARY KEY NOT NULL)", ExpectedFailure::None, 1);
    EXPECT_TRUE(drainTo(queue, worker).errors.empty());
    // The first write of the transaction passes, a later one meets a full disk.
    vfs.failWritesAfter(1);
    PostSql(worker, c, "BEGIN TRANSACTION;", ExpectedFailure::None, 1);
    for (int k = 1; k <= 40; ++k) {
        PostSql(worker, c, strprintf("insert into t (k) values ('%d')", k), ExpectedFailure::None, 1);
    }
    PostSql(worker, c, "COMMIT TRANSACTION;", ExpectedFailure::None, 1);
    PostSql(worker, c, "insert into t (k) values ('41')", ExpectedFailure::None, 1);
    Drained held = drainTo(queue, worker);
    ASSERT_FALSE(held.errors.empty());
    EXPECT_EQ(held.errors.back().id, WM_DB_HELD);
    EXPECT_EQ(held.errors.back().text, "磁盘已满");
    vfs.lift();
    EXPECT_EQ(runSqlite3(path, "select count(*) from t;"), "0\n");
    worker.postRetry();
    Drained saved = drainTo(queue, worker);
    ASSERT_EQ(saved.errors.size(), 1u);
    EXPECT_EQ(saved.errors[0].id, WM_DB_SAVED);
    EXPECT_EQ(runSqlite3(path, "select count(*), min(k), max(k) from t;"), "41|1|41\n");
}

TEST(DbWorker, QuitRunsEverythingQueuedBeforeIt) {
    TempDir dir;
    std::string path = dir.file("q.db");
    MessageQueue queue;
    {
        DbWorker worker(queue);
        auto c = openFile(path);
        PostSql(worker, c, "create table t(a integer)", ExpectedFailure::None, 1);
        for (int i = 0; i < 300; ++i) {
            PostSql(worker, c, strprintf("insert into t values(%d)", i), ExpectedFailure::None, 1);
        }
        c.reset();  // the queued statements keep the connection alive
        EXPECT_TRUE(worker.quit(20000));
        EXPECT_FALSE(worker.running());
        // Nothing posted after the quit runs.
        PostSql(worker, openFile(path), "insert into t values(-1)", ExpectedFailure::None, 1);
        worker.postBarrier(1);
    }
    EXPECT_EQ(runSqlite3(path, "select count(*), min(a), max(a) from t;"), "300|0|299\n");
    EXPECT_EQ(queue.size(), 0u);
}

TEST(DbWorker, BarrierComesAfterTheRowsOfEarlierSelects) {
    TempDir dir;
    MessageQueue queue;
    DbWorker worker(queue);
    auto c = openFile(dir.file("b.db"));
    PostSql(worker, c, "create table t(a integer)", ExpectedFailure::None, 1);
    PostSql(worker, c, "insert into t values(1)", ExpectedFailure::None, 1);
    worker.post(selectRequest(c, "select * from t"));
    worker.postBarrier(77);
    worker.post(selectRequest(c, "select * from t"));
    worker.postBarrier(78);
    std::vector<std::string> seen;
    MessagePump pump(queue, [&](const ViewMessage& m) {
        seen.push_back(m.id == WM_DB_BARRIER ? strprintf("barrier %lld", static_cast<long long>(m.wParam))
                                             : "row");
    });
    ASSERT_TRUE(pump.untilBarrier(78));
    EXPECT_EQ(seen, (std::vector<std::string>{"row", "barrier 77", "row", "barrier 78"}));
}

TEST(DbConnection, RefusesWhatCannotBeAProjectFile) {
    TempDir dir;
    std::string reason;

    writeFileBytes(dir.file("text.db"), std::string(4096, 'x'));
    EXPECT_FALSE(DbConnection::open(dir.file("text.db"), reason));
    EXPECT_NE(reason.find("not a database"), std::string::npos) << reason;

    reason.clear();
    EXPECT_FALSE(DbConnection::open(dir.path(), reason));
    EXPECT_FALSE(reason.empty());

    reason.clear();
    EXPECT_FALSE(DbConnection::open(dir.file("no/such/folder.db"), reason));
    EXPECT_FALSE(reason.empty());

    // A pipe would keep the header's read waiting for ever, a device holds no project.
    const std::string fifo = dir.file("pipe.db");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/null")}) {
        std::optional<std::string> refused = resultWithin(std::chrono::seconds(10), [path] {
            std::string why;
            return DbConnection::open(path, why) ? std::string() : why;
        });
        ASSERT_TRUE(refused) << path << " kept the check waiting";
        EXPECT_EQ(*refused, "不是普通文件") << path;
    }

    // A fresh name is created; an empty existing file is an empty project.
    EXPECT_TRUE(DbConnection::open(dir.file("fresh.db"), reason));
    writeFileBytes(dir.file("empty.db"), "");
    EXPECT_TRUE(DbConnection::open(dir.file("empty.db"), reason));
}

// Another program holding the file locked: the check is refused quickly with SQLite's reason, not
// after the five seconds a statement waits out a lock.
TEST(DbConnection, ALockedFileIsRefusedWithoutALongWait) {
    TempDir dir;
    std::string path = dir.file("locked.db");
    runSqlite3(path, "create table t(a);");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; INSERT INTO t VALUES (1);", nullptr, nullptr, nullptr),
              SQLITE_OK);
    std::string reason;
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(DbConnection::open(path, reason));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_NE(reason.find("locked"), std::string::npos) << reason;
    sqlite3_exec(other, "ROLLBACK;", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    // Once the lock is gone the file opens, and statements wait out brief locks as before.
    reason.clear();
    EXPECT_TRUE(DbConnection::open(path, reason)) << reason;
}

TEST(DbConnection, RefusesAReadOnlyFile) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes to read-only files";
    }
    TempDir dir;
    std::string path = dir.file("ro.db");
    runSqlite3(path, "create table t(a);");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    std::string reason;
    EXPECT_FALSE(DbConnection::open(path, reason));
    EXPECT_FALSE(reason.empty());
}

}  // namespace
}  // namespace velk::test
