#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "project/ProjectDb.h"
#include "session/FormMirror.h"
#include "session/MessagePump.h"
#include "session/ProjectSession.h"
#include "support/TempDir.h"

namespace velk::test {

// A project session on a message queue that the test drains, with every statement the worker
// takes recorded in order.
class ProjectFixture : public ::testing::Test {
protected:
    ProjectFixture() { startSession(); }
    // The worker reports statements into this fixture until it has ended.
    ~ProjectFixture() override { session.reset(); }

    void startSession() {
        session = std::make_unique<ProjectSession>(recorder, queue);
        session->database().worker().setStatementTap([this](const std::string& sql) {
            std::lock_guard lock(m_statementMutex);
            m_statements.push_back(sql);
        });
    }

    // Ends the session as the program's exit does: DB_QUIT, then the wait.
    void closeSession() {
        ASSERT_TRUE(session->shutdown(20000));
        session.reset();
    }

    void flushAll() { ASSERT_TRUE(MessagePump(queue, *session).flush()); }

    std::vector<std::string> statements() {
        std::lock_guard lock(m_statementMutex);
        return m_statements;
    }
    void clearStatements() {
        std::lock_guard lock(m_statementMutex);
        m_statements.clear();
    }
    // Statements taken since the last clearStatements(), after a flush.
    std::vector<std::string> statementsAfterFlush() {
        flushAll();
        return statements();
    }

    std::string newProject(const std::string& name = "p.db") {
        std::string path = dir.file(name);
        EXPECT_TRUE(session->newProject(path));
        flushAll();
        return path;
    }

    TempDir dir;
    MessageQueue queue;
    FormMirror recorder;
    std::unique_ptr<ProjectSession> session;

private:
    std::mutex m_statementMutex;
    std::vector<std::string> m_statements;
};

}  // namespace velk::test
