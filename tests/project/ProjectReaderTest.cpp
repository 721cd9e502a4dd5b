// The read-only loader against the form's own Open, and what it leaves of the file.
#include <sys/stat.h>

#include <filesystem>

#include "project/ProjectReader.h"
#include "project/Statements.h"
#include "session/ProjectImport.h"
#include "support/ProjectFixture.h"
#include "support/RichProject.h"
#include "support/SqliteCli.h"
#include "support/Within.h"

namespace velk::test {
namespace {

class ProjectReader : public ProjectFixture {
protected:
    // The model the form holds after opening the file, for comparing with the read-only load.
    ConfigModel openedModel(const std::string& path) {
        EXPECT_TRUE(session->openProject(path));
        flushAll();
        return session->model();
    }
};

struct FileState {
    std::string bytes;
    struct timespec modified {};
    bool operator==(const FileState& other) const {
        return bytes == other.bytes && modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

FileState stateOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return {readFileBytes(path), info.st_mtim};
}

TEST_F(ProjectReader, GivesTheModelOpenGivesOnARichProject) {
    const std::string path = dir.file("rich.db");
    ASSERT_TRUE(makeRichProject(path));
    ProjectLoad load = loadProjectReadOnly(path);
    ASSERT_TRUE(load.model) << load.error;
    EXPECT_EQ(firstProjectDifference(*load.model, openedModel(path)), "");
}

TEST_F(ProjectReader, ReadsADamagedForeignFileByTheLoadingRulesAndLeavesItAsItIs) {
    const std::string path = dir.file("foreign.db");
    // Tables without keys or with missing columns, numbers as text, rows outside every list.
    int status = -1;
    runSqlite3(path,
               "create table variable(vindex, init, min, max, save);"
               "insert into variable values('2x', '-2147483649', '99999999999', NULL, 1);"
               "insert into variable values(50, 0, 0, 0, 0);"
               "create table enum_table(enumindex, type, size, data1, data2);"
               "insert into enum_table values(3, 1, 99, 'zz', '1 2');"
               "insert into enum_table values(3, 0, 1, 'second row wins', '');"
               "create table keyOherData(oindex, timeEnable, time);"
               "insert into keyOherData values(60, 1, 1);"
               "insert into keyOherData values(4, 1, '300ms');"
               "create table key_table7(id, function, channel, ip, port, type, varNum);"
               "insert into key_table7 values(2, 3, 0, '3232235941', 70000, 0, 50);"
               "insert into key_table7 values(1, 9, 0, 0, 0, 0, 0);",
               &status);
    ASSERT_EQ(status, 0);
    const FileState before = stateOf(path);
    ProjectLoad load = loadProjectReadOnly(path);
    ASSERT_TRUE(load.model) << load.error;
    EXPECT_TRUE(stateOf(path) == before) << "the loader changed the file";
    EXPECT_EQ(runSqlite3(path, "select count(*) from sqlite_master;"), "4\n");

    const ConfigModel& m = *load.model;
    EXPECT_EQ(m.variableAt(1), (Variable{2, INT32_MAX, INT32_MIN, 0, 1}));
    EXPECT_EQ(m.variableAt(49).index, 50);
    EXPECT_EQ(m.enumAt(2).data, (std::vector<std::string>{"second row wins"}));
    EXPECT_EQ(m.eventSettings[4].time, 300);
    ASSERT_EQ(m.actions[7].size(), 1u);
    EXPECT_EQ(m.actions[7][0].network.port, 70000 & 0xffff);
    EXPECT_EQ(m.actions[7][0].network.ip, 0xC0A801A5u);
    EXPECT_EQ(m.actions[7][0].network.texts.size(), 11u);

    // The form's Open creates what is missing; the loader's model is the one the form then holds.
    EXPECT_EQ(firstProjectDifference(m, openedModel(path)), "");
}

TEST_F(ProjectReader, RefusesWhatIsNoProjectFile) {
    writeFileBytes(dir.file("notes.db"), "These are notes, not a database. " + std::string(600, '.'));
    writeFileBytes(dir.file("empty.db"), "");
    int status = -1;
    runSqlite3(dir.file("other.db"), "create table things(a, b); insert into things values(1, 2);", &status);
    ASSERT_EQ(status, 0);
    const struct {
        std::string path;
        std::string error;
    } cases[] = {
        {dir.file("missing.db"), "no such project file"},
        {dir.path(), "is a directory"},
        {dir.file("notes.db"), "not a project file (file is not a database)"},
        {dir.file("empty.db"), "not a project file"},
        {dir.file("other.db"), "not a project file"},
    };
    for (const auto& c : cases) {
        ProjectLoad load = loadProjectReadOnly(c.path);
        EXPECT_FALSE(load.model) << c.path;
        EXPECT_EQ(load.error, c.error) << c.path;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.db")));
    EXPECT_EQ(readFileBytes(dir.file("empty.db")), "");

    // A pipe nobody writes to would keep the first read waiting for ever; a device is no project.
    const std::string fifo = dir.file("pipe.db");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/null")}) {
        std::optional<std::string> error =
            resultWithin(std::chrono::seconds(10), [path] { return loadProjectReadOnly(path).error; });
        ASSERT_TRUE(error) << path << " kept the loader waiting";
        EXPECT_EQ(*error, "not a regular file") << path;
    }
}

TEST_F(ProjectReader, TellsWhatAFileChosenForOpenHolds) {
    writeFileBytes(dir.file("notes.db"), "These are notes, not a database. " + std::string(600, '.'));
    writeFileBytes(dir.file("empty.db"), "");
    int status = -1;
    runSqlite3(dir.file("other.db"), "create table things(a, b); insert into things values(1, 2);", &status);
    ASSERT_EQ(status, 0);
    runSqlite3(dir.file("tableless.db"), "pragma user_version = 3;", &status);
    ASSERT_EQ(status, 0);
    runSqlite3(dir.file("partial.db"), "create table things(a); " + sql::createKeyTable(7) + ";", &status);
    ASSERT_EQ(status, 0);
    const std::string project = newProject();
    const struct {
        std::string path;
        ProjectFileKind kind;
    } cases[] = {
        {dir.file("missing.db"), ProjectFileKind::Missing},  {dir.file("empty.db"), ProjectFileKind::Empty},
        {dir.file("tableless.db"), ProjectFileKind::Empty},  {dir.file("other.db"), ProjectFileKind::Foreign},
        {dir.file("partial.db"), ProjectFileKind::Project},  {project, ProjectFileKind::Project},
        {dir.file("notes.db"), ProjectFileKind::Unreadable}, {dir.path(), ProjectFileKind::Unreadable},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(projectFileKind(c.path, 200), c.kind) << c.path;
    }
    const std::string fifo = dir.file("pipe.db");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/null")}) {
        std::optional<ProjectFileKind> kind =
            resultWithin(std::chrono::seconds(10), [path] { return projectFileKind(path, 200); });
        ASSERT_TRUE(kind) << path << " kept the look waiting";
        EXPECT_EQ(*kind, ProjectFileKind::Unreadable) << path;
    }
    // Looking changes nothing.
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.db")));
    EXPECT_EQ(runSqlite3(dir.file("other.db"), "select name from sqlite_master;"), "things\n");
    // Only the foreign file needs the user's consent before Open adds tables to it.
    EXPECT_FALSE(ProjectSession::openQuestion(dir.file("other.db")).empty());
    EXPECT_NE(ProjectSession::openQuestion(dir.file("other.db")).find(dir.file("other.db")),
              std::string::npos);
    for (const char* name : {"missing.db", "empty.db", "partial.db", "notes.db"}) {
        EXPECT_TRUE(ProjectSession::openQuestion(dir.file(name)).empty()) << name;
    }
}

TEST_F(ProjectReader, ReadsAFileItMayNotWrite) {
    const std::string path = newProject();
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ProjectLoad load = loadProjectReadOnly(path);
    EXPECT_TRUE(load.model) << load.error;
}

}  // namespace
}  // namespace velk::test
