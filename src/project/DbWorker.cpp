#include "project/DbWorker.h"

#include <condition_variable>
#include <filesystem>

#include <sqlite3.h>

#include "project/DbFailure.h"

namespace velk {

namespace {

// How long a statement waits for another program's lock on the file before it fails.
constexpr int kBusyTimeoutMs = 5000;
// The check before a file counts as open runs on the user-interface thread: a file another program
// holds locked is refused at once rather than freezing the window for the statements' wait.
constexpr int kOpenCheckBusyTimeoutMs = 200;

std::string errorText(sqlite3* db) {
    return db != nullptr ? sqlite3_errmsg(db) : "out of memory";
}

}  // namespace

std::shared_ptr<DbConnection> DbConnection::open(const std::string& utf8Path, std::string& reason) {
    // SQLite would wait on a pipe's first read for ever; a device is no file to keep a project in.
    std::error_code code;
    if (std::filesystem::exists(utf8Path, code) && !std::filesystem::is_directory(utf8Path, code) &&
        !std::filesystem::is_regular_file(utf8Path, code)) {
        reason = "不是普通文件";
        return nullptr;
    }
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(utf8Path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        reason = errorText(db);
        sqlite3_close(db);
        return nullptr;
    }
    if (sqlite3_db_readonly(db, "main") == 1) {
        reason = "文件只读，无法写入";
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kOpenCheckBusyTimeoutMs);
    // Reading the schema reads the file header: a file that is not a database fails here.
    char* error = nullptr;
    rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        reason = error != nullptr ? error : errorText(db);
        sqlite3_free(error);
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    return std::shared_ptr<DbConnection>(new DbConnection(db, utf8Path));
}

DbConnection::~DbConnection() {
    sqlite3_close(m_db);
}

struct DbWorker::Shared {
    struct Item {
        DbThreadMessage id = DB_EXEC;
        SqlRequest request;
        bool barrier = false;
        int64_t token = 0;
    };

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable exited;
    std::deque<Item> queue;
    bool quitPosted = false;
    bool done = false;
    // Cleared when the owner gives up waiting, so a late worker never posts to a poster that is gone.
    UiPoster* poster = nullptr;
    std::function<void(const std::string&)> tap;

    // Worker thread only: statements that change the file, held since a failure, in posting order;
    // and those run since the open transaction began, to be run again if it breaks.
    std::deque<SqlRequest> held;
    std::vector<SqlRequest> inTransaction;

    void postToUi(ViewMessage message) {
        std::lock_guard lock(mutex);
        if (poster != nullptr) {
            poster->post(std::move(message));
        }
    }

    void run();
    void take(SqlRequest request);
    void runSelect(const SqlRequest& request);
    // Runs what is held, in order, until one fails; tells the user-interface thread the outcome.
    void runHeld(bool wasHolding);
    // One statement that changes the file: empty when it is done (or failed as expected), else why not.
    std::string runWrite(const SqlRequest& request);
    void check(const SqlRequest& request);
    void dropHeldOfOtherConnection(const std::shared_ptr<DbConnection>& connection);
};

namespace {

struct RowContext {
    DbWorker::Shared* shared;
    const SqlRequest* request;
};

int copyRow(void* context, int columns, char** values, char**) {
    auto* rowContext = static_cast<RowContext*>(context);
    ViewMessage message;
    message.id = rowContext->request->rowMessage;
    message.wParam = rowContext->request->rowParam;
    message.row.reserve(static_cast<size_t>(columns));
    for (int i = 0; i < columns; ++i) {
        message.row.emplace_back(values[i] != nullptr ? values[i] : "");
    }
    rowContext->shared->postToUi(std::move(message));
    return 0;
}

bool expectedFailure(ExpectedFailure expected, int extendedCode, const std::string& reason) {
    switch (expected) {
        case ExpectedFailure::TableExists:
            return reason.find("already exists") != std::string::npos;
        case ExpectedFailure::KeyExists:
            return extendedCode == SQLITE_CONSTRAINT_PRIMARYKEY;
        case ExpectedFailure::NoSuchTable:
            return reason.rfind("no such table", 0) == 0;
        case ExpectedFailure::None:
            break;
    }
    return false;
}

}  // namespace

void DbWorker::Shared::take(SqlRequest request) {
    std::function<void(const std::string&)> seen;
    {
        std::lock_guard lock(mutex);
        seen = tap;
    }
    if (seen) {
        seen(request.sql);
    }
    if (!request.connection) {
        return;
    }
    dropHeldOfOtherConnection(request.connection);
    if (request.postsRows) {
        runSelect(request);
        return;
    }
    const bool wasHolding = !held.empty();
    held.push_back(std::move(request));
    runHeld(wasHolding);
}

void DbWorker::Shared::dropHeldOfOtherConnection(const std::shared_ptr<DbConnection>& connection) {
    if (!held.empty() && held.front().connection != connection) {
        held.clear();
    }
    if (!inTransaction.empty() && inTransaction.front().connection != connection) {
        inTransaction.clear();
    }
}

// A select reads and changes nothing, so it is never held; while statements are held it reads
// what the file has, and its failure is no news.
void DbWorker::Shared::runSelect(const SqlRequest& request) {
    sqlite3* db = request.connection->handle();
    RowContext context{this, &request};
    char* error = nullptr;
    int rc = sqlite3_exec(db, request.sql.c_str(), copyRow, &context, &error);
    std::string reason = error != nullptr ? error : sqlite3_errstr(rc);
    sqlite3_free(error);
    if (rc == SQLITE_OK || !held.empty() ||
        expectedFailure(request.expected, sqlite3_extended_errcode(db), reason)) {
        return;
    }
    ViewMessage message;
    message.id = WM_DB_ERROR;
    message.wParam = request.generation;
    message.text = failureWords(sqlite3_extended_errcode(db), reason);
    postToUi(std::move(message));
}

std::string DbWorker::Shared::runWrite(const SqlRequest& request) {
    DbConnection& connection = *request.connection;
    sqlite3* db = connection.handle();
    if (const std::string& lost = connection.watch().changedUnderneath(); !lost.empty()) {
        return lost;
    }
    char* error = nullptr;
    int rc = sqlite3_exec(db, request.sql.c_str(), nullptr, nullptr, &error);
    std::string reason = error != nullptr ? error : sqlite3_errstr(rc);
    sqlite3_free(error);
    const int code = sqlite3_extended_errcode(db);
    const bool stored = rc == SQLITE_OK || expectedFailure(request.expected, code, reason);
    if (stored && sqlite3_get_autocommit(db) == 0) {
        inTransaction.push_back(request);
    }
    if (!stored && !inTransaction.empty()) {
        // SQLite may have rolled the transaction back already; either way it runs again whole.
        if (sqlite3_get_autocommit(db) == 0) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        }
        held.insert(held.begin(), inTransaction.begin(), inTransaction.end());
        inTransaction.clear();
    } else if (sqlite3_get_autocommit(db) != 0) {
        inTransaction.clear();
    }
    connection.watch().noteOwnWrite();
    return stored ? std::string() : failureWords(code, reason);
}

void DbWorker::Shared::runHeld(bool wasHolding) {
    while (!held.empty()) {
        SqlRequest request = held.front();
        held.pop_front();
        const size_t before = held.size();
        std::string why = runWrite(request);
        if (!why.empty()) {
            // A broken transaction has put its own statements back in front of this one.
            held.insert(held.begin() + static_cast<std::ptrdiff_t>(held.size() - before), std::move(request));
            ViewMessage message;
            message.id = WM_DB_HELD;
            message.wParam = held.front().generation;
            message.lParam = static_cast<int64_t>(held.size());
            message.text = std::move(why);
            postToUi(std::move(message));
            return;
        }
        if (held.empty() && wasHolding) {
            ViewMessage message;
            message.id = WM_DB_SAVED;
            message.wParam = request.generation;
            postToUi(std::move(message));
        }
    }
}

void DbWorker::Shared::check(const SqlRequest& request) {
    if (!request.connection || !held.empty()) {
        return;  // held statements have told their cause already
    }
    if (const std::string& lost = request.connection->watch().changedUnderneath(); !lost.empty()) {
        ViewMessage message;
        message.id = WM_DB_HELD;
        message.wParam = request.generation;
        message.lParam = 0;
        message.text = lost;
        postToUi(std::move(message));
    }
}

void DbWorker::Shared::run() {
    for (;;) {
        Item item;
        {
            std::unique_lock lock(mutex);
            wake.wait(lock, [&] { return !queue.empty(); });
            item = std::move(queue.front());
            queue.pop_front();
        }
        if (item.id == DB_QUIT) {
            if (!held.empty()) {
                runHeld(true);
            }
            break;
        }
        if (item.barrier) {
            ViewMessage message;
            message.id = WM_DB_BARRIER;
            message.wParam = item.token;
            postToUi(std::move(message));
            continue;
        }
        if (item.id == DB_RETRY) {
            if (!held.empty()) {
                runHeld(true);
            }
            continue;
        }
        if (item.id == DB_CHECK) {
            check(item.request);
            continue;
        }
        take(std::move(item.request));
        // The request, and with it perhaps the last hold on a replaced connection, goes here.
    }
    held.clear();
    inTransaction.clear();
    std::lock_guard lock(mutex);
    done = true;
    exited.notify_all();
}

DbWorker::DbWorker(UiPoster& poster) : m_shared(std::make_shared<Shared>()) {
    m_shared->poster = &poster;
    m_thread = std::thread([shared = m_shared] { shared->run(); });
}

DbWorker::~DbWorker() {
    quit(20000);
}

void DbWorker::post(SqlRequest request) {
    {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->quitPosted) {
            return;
        }
        Shared::Item item;
        item.request = std::move(request);
        m_shared->queue.push_back(std::move(item));
    }
    m_shared->wake.notify_one();
}

void DbWorker::postBarrier(int64_t token) {
    {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->quitPosted) {
            return;
        }
        Shared::Item item;
        item.barrier = true;
        item.token = token;
        m_shared->queue.push_back(std::move(item));
    }
    m_shared->wake.notify_one();
}

void DbWorker::postRetry() {
    {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->quitPosted) {
            return;
        }
        Shared::Item item;
        item.id = DB_RETRY;
        m_shared->queue.push_back(std::move(item));
    }
    m_shared->wake.notify_one();
}

void DbWorker::postCheck(const std::shared_ptr<DbConnection>& connection, int64_t generation) {
    {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->quitPosted) {
            return;
        }
        Shared::Item item;
        item.id = DB_CHECK;
        item.request.connection = connection;
        item.request.generation = generation;
        m_shared->queue.push_back(std::move(item));
    }
    m_shared->wake.notify_one();
}

bool DbWorker::quit(int timeoutMs) {
    if (!m_thread.joinable()) {
        return true;
    }
    std::unique_lock lock(m_shared->mutex);
    if (!m_shared->quitPosted) {
        m_shared->quitPosted = true;
        Shared::Item item;
        item.id = DB_QUIT;
        m_shared->queue.push_back(std::move(item));
        m_shared->wake.notify_one();
    }
    bool ended =
        m_shared->exited.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_shared->done; });
    if (!ended) {
        m_shared->poster = nullptr;
        lock.unlock();
        m_thread.detach();
        return false;
    }
    lock.unlock();
    m_thread.join();
    return true;
}

bool DbWorker::running() const {
    std::lock_guard lock(m_shared->mutex);
    return !m_shared->done && m_thread.joinable();
}

void DbWorker::setStatementTap(std::function<void(const std::string&)> tap) {
    std::lock_guard lock(m_shared->mutex);
    m_shared->tap = std::move(tap);
}

void PostSql(DbWorker& worker, const std::shared_ptr<DbConnection>& connection, std::string sql,
             ExpectedFailure expected, int64_t generation) {
    SqlRequest request;
    request.connection = connection;
    request.sql = std::move(sql);
    request.expected = expected;
    request.generation = generation;
    worker.post(std::move(request));
}

void postSelect(DbWorker& worker, const std::shared_ptr<DbConnection>& connection, std::string sql,
                ViewMessageId rowMessage, int64_t rowParam, int64_t generation) {
    SqlRequest request;
    request.connection = connection;
    request.sql = std::move(sql);
    request.postsRows = true;
    request.rowMessage = rowMessage;
    request.rowParam = rowParam;
    request.generation = generation;
    worker.post(std::move(request));
}

}  // namespace velk
