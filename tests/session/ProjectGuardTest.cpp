// The project file guarded: one writer at a time, and a file changed underneath noticed before
// the next statement runs, with the window's configuration kept and a way out.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "project/ProjectLock.h"
#include "project/ProjectReader.h"
#include "session/ProjectImport.h"
#include "support/ProjectFixture.h"
#include "support/RichProject.h"
#include "support/SqliteCli.h"

namespace velk::test {
namespace {

namespace fs = std::filesystem;

class ProjectGuard : public ProjectFixture {
protected:
    // A second window: its own session, queue and form.
    struct Window {
        MessageQueue queue;
        FormMirror form;
        std::unique_ptr<ProjectSession> session = std::make_unique<ProjectSession>(form, queue);
        void flush() { ASSERT_TRUE(MessagePump(queue, *session).flush()); }
    };

    ConfigModel loaded(const std::string& path) {
        ProjectLoad load = loadProjectReadOnly(path);
        EXPECT_TRUE(load.model) << load.error;
        return load.model.value_or(ConfigModel{});
    }
};

TEST_F(ProjectGuard, ASecondWindowIsRefusedAProjectTheFirstHolds) {
    const std::string names[] = {
        "p.db", "项目 文件 with spaces.db",
        std::string(233, 'x') + "长名字.db",  // its lock and temporary names would pass the 255-byte limit
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string path = newProject(name);
        session->commitVariable(Variable{1, 0, 11, 100, 0});
        flushAll();
        const std::string before = projectRows(path);

        Window second;
        EXPECT_FALSE(second.session->openProject(path));
        EXPECT_FALSE(second.session->newProject(path));
        EXPECT_FALSE(second.session->projectOpen());
        ASSERT_EQ(second.form.messages.size(), 2u);
        EXPECT_NE(second.form.messages[0].text.find("项目已在另一个窗口中打开"), std::string::npos)
            << second.form.messages[0].text;
        EXPECT_TRUE(ProjectLock::heldElsewhere(path));
        second.flush();
        EXPECT_EQ(projectRows(path), before);

        // Once the first window has another project, the second may open it.
        newProject("other.db");
        EXPECT_FALSE(ProjectLock::heldElsewhere(path));
        EXPECT_TRUE(second.session->openProject(path));
        second.flush();
        EXPECT_EQ(second.session->model().variableAt(0).init, 11);
        EXPECT_FALSE(session->openProject(path));
    }
}

TEST_F(ProjectGuard, NoLockFileStaysBehind) {
    const std::string path = newProject("p.db");
    EXPECT_TRUE(fs::exists(ProjectLock::lockFileOf(path)));
    closeSession();
    EXPECT_FALSE(fs::exists(ProjectLock::lockFileOf(path)));
    EXPECT_FALSE(ProjectLock::heldElsewhere(path));
}

// Another program's change between two edits: the second is held, the file is left as the other
// program made it, and the form keeps saying so.
TEST_F(ProjectGuard, AFileChangedUnderneathTakesNoMoreStatements) {
    const std::string donor = dir.file("donor.db");
    ASSERT_TRUE(makeRichProject(donor));
    struct Case {
        const char* name;
        const char* reason;
        std::function<void(const std::string& path)> change;
    };
    const Case cases[] = {
        {"replaced", "文件已被其他程序替换",
         [&](const std::string& path) {
             fs::copy_file(donor, path + ".new");
             fs::rename(path + ".new", path);
         }},
        {"moved", "文件已被移动或删除", [&](const std::string& path) { fs::rename(path, path + ".moved"); }},
        {"deleted", "文件已被移动或删除", [&](const std::string& path) { fs::remove(path); }},
        // The same change counter as the project's is no disguise: size and time differ.
        {"overwritten in place", "文件已被其他程序修改",
         [&](const std::string& path) { fs::copy_file(donor, path, fs::copy_options::overwrite_existing); }},
        {"changed by another program", "文件已被其他程序修改",
         [&](const std::string& path) { runSqlite3(path, "update variable set init=77 where vindex=5;"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startSession();
        recorder = FormMirror{};
        const std::string path = newProject(std::string(c.name) + ".db");
        session->commitVariable(Variable{1, 0, 11, 100, 0});
        flushAll();
        c.change(path);
        const std::string changed = fs::exists(path) ? projectRows(path) : std::string();
        session->commitVariable(Variable{2, 0, 22, 100, 0});
        flushAll();
        EXPECT_EQ(session->saveState().reason, c.reason);
        EXPECT_TRUE(session->saveState().fileLost);
        EXPECT_EQ(recorder.saveState, session->saveState());
        EXPECT_EQ(recorder.messages.size(), 1u);
        EXPECT_EQ(fs::exists(path) ? projectRows(path) : std::string(), changed);
        EXPECT_EQ(session->model().variableAt(1).init, 22);

        // Retrying changes nothing: the cache no longer matches any file there.
        session->retryWrites();
        session->commitVariable(Variable{3, 0, 33, 100, 0});
        flushAll();
        EXPECT_EQ(fs::exists(path) ? projectRows(path) : std::string(), changed);
        EXPECT_EQ(session->saveState().pending, 2);

        // 另存为 writes what the window holds and makes it the project.
        const std::string saved = dir.file(std::string(c.name) + " saved.db");
        ASSERT_TRUE(session->saveAs(saved));
        flushAll();
        EXPECT_TRUE(session->saveState().saved());
        EXPECT_EQ(session->projectPath(), saved);
        const ConfigModel inFile = loaded(saved);
        EXPECT_EQ(inFile.variableAt(0).init, 11);
        EXPECT_EQ(inFile.variableAt(1).init, 22);
        EXPECT_EQ(inFile.variableAt(2).init, 33);
        session->commitVariable(Variable{4, 0, 44, 100, 0});
        flushAll();
        EXPECT_EQ(loaded(saved).variableAt(3).init, 44);
        closeSession();
    }
}

TEST_F(ProjectGuard, TheCheckOnActivationFindsAChangeBeforeAnyEdit) {
    const std::string path = newProject("p.db");
    session->checkFile();
    flushAll();
    EXPECT_TRUE(session->saveState().saved());
    runSqlite3(path, "update variable set init=77 where vindex=5;");
    session->checkFile();
    flushAll();
    EXPECT_EQ(session->saveState().reason, "文件已被其他程序修改");
    EXPECT_EQ(session->saveState().pending, 0);

    // Reopening from disk drops the window's view for the file's.
    ASSERT_TRUE(session->reopenProject());
    flushAll();
    EXPECT_TRUE(session->saveState().saved());
    EXPECT_EQ(session->model().variableAt(4).init, 77);
    session->commitVariable(Variable{6, 0, 66, 100, 0});
    flushAll();
    EXPECT_TRUE(session->saveState().saved());
    EXPECT_EQ(runSqlite3(path, "select init from variable where vindex in (5,6) order by vindex;"),
              "77\n66\n");
}

// Edits held for one project never reach the next one opened.
TEST_F(ProjectGuard, HeldEditsStayWithTheirProject) {
    const std::string first = newProject("first.db");
    runSqlite3(first, "update variable set init=77 where vindex=5;");
    session->commitVariable(Variable{1, 0, 11, 100, 0});
    flushAll();
    ASSERT_EQ(session->saveState().pending, 1);
    const std::string firstRows = projectRows(first);

    const std::string second = newProject("second.db");
    EXPECT_TRUE(session->saveState().saved());
    EXPECT_TRUE(recorder.saveState.saved());
    session->commitVariable(Variable{2, 0, 22, 100, 0});
    flushAll();
    EXPECT_TRUE(session->saveState().saved());
    EXPECT_EQ(runSqlite3(second, "select init from variable where vindex in (1,2) order by vindex;"),
              "0\n22\n");
    EXPECT_EQ(projectRows(first), firstRows);

    // 另存为 onto a project another window holds is refused, and this one stays open.
    Window other;
    ASSERT_TRUE(other.session->openProject(first));
    EXPECT_FALSE(session->saveAs(first));
    EXPECT_EQ(session->projectPath(), second);
    EXPECT_NE(recorder.messages.back().text.find("项目已在另一个窗口中打开"), std::string::npos);
}

TEST_F(ProjectGuard, ANewProjectThatCannotBeWrittenLeavesNoFile) {
    const std::string folder = dir.file("locked");
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    const std::string path = folder + "/p.db";
    if (::access(folder.c_str(), W_OK) == 0) {
        fs::permissions(folder, fs::perms::owner_all);
        GTEST_SKIP() << "running with rights that write into a read-only folder";
    }
    EXPECT_FALSE(session->newProject(path));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::is_empty(folder));
    fs::permissions(folder, fs::perms::owner_all);
}

}  // namespace
}  // namespace velk::test
