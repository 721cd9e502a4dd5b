// velkctl export, import, check and diff as a separate process on real project files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>

#include "support/Program.h"
#include "support/RichProject.h"
#include "support/SqliteCli.h"
#include "support/TempDir.h"

namespace velk::test {
namespace {

ProgramRun velkctl(const std::vector<std::string>& args, const std::string& input = {}) {
    return runProgram(VELKCTL_PATH, args, input);
}

struct FileState {
    std::string bytes;
    int64_t modified = 0;
    bool operator==(const FileState&) const = default;
};

FileState stateOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return {readFileBytes(path), info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec};
}

class VelkctlText : public ::testing::Test {
protected:
    // A project as an installer makes one: velkctl new, then edits by another program.
    std::string project(const std::string& name, const std::string& sql) {
        const std::string path = dir.file(name);
        EXPECT_EQ(velkctl({"new", path}).status, 0);
        int status = -1;
        runSqlite3(path, sql, &status);
        EXPECT_EQ(status, 0);
        return path;
    }

    TempDir dir;
};

TEST_F(VelkctlText, ExportThenImportGivesTheSameRowsCommandsAndText) {
    const std::string rich = project("rich.db", richProjectSql());
    const std::string plain = project("plain.db", readFileBytes(VELK_RICH_PROJECT_SQL));
    for (const std::string& original : {rich, plain}) {
        SCOPED_TRACE(original);
        const std::string text = original + ".toml";
        const std::string copy = original + ".copy.db";
        ProgramRun exported = velkctl({"export", original, "-o", text});
        ASSERT_EQ(exported.status, 0) << exported.err;
        EXPECT_EQ(exported.out, "");
        EXPECT_EQ(velkctl({"export", original}).out, readFileBytes(text));

        ProgramRun imported = velkctl({"import", text, copy});
        ASSERT_EQ(imported.status, 0) << imported.err;
        EXPECT_TRUE(projectRows(copy) == projectRows(original));
        ProgramRun commands = velkctl({"commands", original});
        EXPECT_EQ(commands.status, 0);
        EXPECT_EQ(velkctl({"commands", copy}).out, commands.out);
        EXPECT_EQ(velkctl({"export", copy}).out, readFileBytes(text));
        ProgramRun same = velkctl({"diff", original, copy});
        EXPECT_EQ(same.status, 0) << same.out << same.err;
        EXPECT_EQ(same.out, "");
    }
}

TEST_F(VelkctlText, ReadingCommandsLeaveTheFileAsItIs) {
    // A file New did not fill: no default rows, a key table missing.
    const std::string path =
        project("sparse.db", "delete from keyOherData; delete from enum_table; drop table key_table5;");
    const std::string tables =
        runSqlite3(path, "select count(*) from sqlite_master; select count(*) from keyOherData;");
    const FileState before = stateOf(path);
    EXPECT_EQ(velkctl({"export", path, "-o", dir.file("sparse.toml")}).status, 0);
    EXPECT_EQ(velkctl({"diff", path, dir.file("sparse.toml")}).status, 0);
    EXPECT_EQ(velkctl({"diff", path, path}).status, 0);
    EXPECT_TRUE(stateOf(path) == before);
    EXPECT_EQ(runSqlite3(path, "select count(*) from sqlite_master; select count(*) from keyOherData;"),
              tables);
    EXPECT_EQ(tables, "63\n0\n");
}

TEST_F(VelkctlText, CheckReportsEveryProblemWithItsPlace) {
    const std::string good = dir.file("good.toml");
    writeFileBytes(good, "[[variable]]\nname = \"V1\"\nmax = 10\n");
    ProgramRun clean = velkctl({"check", good});
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.out + clean.err, "");

    const std::string bad = dir.file("bad.toml");
    writeFileBytes(
        bad, "[[enum]]\nname = \"E2\"\nvalues = [\"a\", \"\"]\n[[variable]]\nname = \"V1\"\ninit = \"x\"\n");
    ProgramRun problems = velkctl({"check", bad});
    EXPECT_EQ(problems.status, 1);
    EXPECT_EQ(problems.out, "");
    EXPECT_EQ(problems.err, bad + ":3:16: warning: 数据2不能为空\n" + bad +
                                ":6:8: error: 请输入一个整数。\n" + bad + ": 1 errors, 1 warnings\n");

    // Warnings only: what import takes, so check passes it, unless --strict.
    const std::string warned = "[[enum]]\nname = \"E2\"\nvalues = []\n";
    ProgramRun piped = velkctl({"check", "-"}, warned);
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.err,
              "<stdin>:3:10: warning: no values: the dialog takes 1 to 10\n<stdin>: 0 errors, 1 warnings\n");
    EXPECT_EQ(velkctl({"check", "--strict", "-"}, warned).status, 1);
    EXPECT_EQ(velkctl({"check", "--strict", good}).status, 0);

    ProgramRun missing = velkctl({"check", dir.file("none.toml")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.toml: No such file or directory"), std::string::npos);
    EXPECT_EQ(velkctl({"check"}).status, 1);
}

// A dialog's message of several lines is still one line per problem, so a problem is one line to
// grep for; the count follows.
TEST_F(VelkctlText, CheckAndImportPrintOneLinePerProblem) {
    const std::string text = dir.file("dollar.toml");
    writeFileBytes(
        text, "[[event]]\nname = \"按键1 弹起\"\n[[event.action]]\nfunction = \"网络\"\ndata = [\"100$\"]\n");
    const std::string expected =
        text + ":5:9: warning: 数据格式错误,\"$\"后两位数据不正确, 若要输入\"$\"，请使用$24。\n" + text +
        ": 0 errors, 1 warnings\n";
    ProgramRun checked = velkctl({"check", text});
    EXPECT_EQ(checked.status, 0);
    EXPECT_EQ(checked.err, expected);
    ProgramRun imported = velkctl({"import", text, dir.file("dollar.db")});
    EXPECT_EQ(imported.status, 0);
    EXPECT_EQ(imported.err, expected);
}

// A project file where a text belongs is named as one, not read as a broken text.
TEST_F(VelkctlText, CheckAndImportOfAProjectFileSayItIsOne) {
    const std::string path = project("p.db", "update variable set max=5 where vindex=1;");
    const std::string renamed = dir.file("p.toml");
    std::filesystem::copy_file(path, renamed);
    for (const std::string& file : {path, renamed}) {
        const std::string said = "velkctl: " + file + ": is a project file, not a project text";
        ProgramRun checked = velkctl({"check", file});
        EXPECT_EQ(checked.status, 1);
        EXPECT_NE(checked.err.find(said), std::string::npos) << checked.err;
        ProgramRun imported = velkctl({"import", file, dir.file("copy.db")});
        EXPECT_EQ(imported.status, 1);
        EXPECT_NE(imported.err.find(said), std::string::npos) << imported.err;
        EXPECT_FALSE(std::filesystem::exists(dir.file("copy.db")));
    }
}

// A number where a list's text belongs would be taken for a position in the list ("9600" is the
// baud rate, 9600 the 9601st entry): import refuses it and names the texts; written in quotes it
// is the list's entry 5, which is what the panel gets for 9600 baud.
TEST_F(VelkctlText, ImportRefusesANumberWhereAListTextBelongs) {
    const std::string serial = "[[event]]\nname = \"按键1 弹起\"\n[[event.action]]\nfunction = \"串口\"\n";
    const std::string text = dir.file("serial.toml");
    writeFileBytes(text, serial + "baudrate = 9600\ndata = [\"x\"]\n");
    const std::string target = dir.file("serial.db");
    ProgramRun refused = velkctl({"import", text, target});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(text + ":5:12: error: baudrate must be one of \"115200\", \"600\", "),
              std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("\"57600\" — write it in quotes: \"9600\"\n"), std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("not imported"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_EQ(velkctl({"check", text}).status, 1);

    writeFileBytes(text, serial + "baudrate = \"9600\"\ndata = [\"x\"]\n");
    ProgramRun quoted = velkctl({"import", text, target});
    ASSERT_EQ(quoted.status, 0) << quoted.err;
    EXPECT_NE(velkctl({"commands", target}).out.find("setdest-232-1-5-8-0-1"), std::string::npos);

    // A position no entry has, as files of other programs hold, comes back as it was exported.
    const std::string foreign = project("foreign.db",
                                        "insert into key_table1 (id,function,channel,type,varNum,baudrate) "
                                        "values(0,'2','0','0','0','12');");
    ProgramRun exported = velkctl({"export", foreign});
    EXPECT_NE(exported.out.find("baudrate = { position = 12 }"), std::string::npos) << exported.out;
    ProgramRun back = velkctl({"import", "-", dir.file("back.db")}, exported.out);
    EXPECT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(velkctl({"diff", foreign, dir.file("back.db")}).status, 0);
}

TEST_F(VelkctlText, ProblemsQuotingTheTextCannotReachTheTerminalRaw) {
    const std::string bad = dir.file("escapes.toml");
    writeFileBytes(bad,
                   "[[variable]]\nname = \"V1\"\n\"k\\u001b[2J\" = 1\n[[event]]\nname = \"x\\u0007y\"\n");
    ProgramRun problems = velkctl({"check", bad});
    EXPECT_EQ(problems.status, 1);
    EXPECT_EQ(problems.err.find('\x1b'), std::string::npos) << problems.err;
    EXPECT_EQ(problems.err.find('\x07'), std::string::npos) << problems.err;
    EXPECT_NE(problems.err.find(":3:1: error: unknown key k\\x1b[2J in [[variable]]\n"), std::string::npos)
        << problems.err;
    EXPECT_NE(problems.err.find("name \"x\\x07y\" is not an event"), std::string::npos) << problems.err;
    EXPECT_EQ(velkctl({"diff", bad, bad}).err.find('\x1b'), std::string::npos);
}

TEST_F(VelkctlText, ImportRefusesWhatItCannotWriteAndLeavesNoFile) {
    const std::string text = dir.file("p.toml");
    writeFileBytes(text, "[[variable]]\nname = \"V1\"\nmax = 10\n");
    const std::string target = dir.file("p.db");
    writeFileBytes(target, "an older file");

    ProgramRun refused = velkctl({"import", text, target});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "velkctl: " + target + ": exists already (--force replaces it)\n");
    EXPECT_EQ(readFileBytes(target), "an older file");
    ProgramRun forced = velkctl({"import", text, target, "--force"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(runSqlite3(target, "select max from variable where vindex=1;"), "10\n");

    writeFileBytes(text, "[[variable]]\nname = \"V1\"\nmax = 1.5\n");
    const std::string fresh = dir.file("fresh.db");
    ProgramRun bad = velkctl({"import", text, fresh});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find(":3:7: error: 请输入一个整数。"), std::string::npos);
    EXPECT_NE(bad.err.find("not imported"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(fresh));

    ProgramRun piped = velkctl({"import", "-", fresh}, "[[target]]\nname = \"UDP1\"\nport = 80\n");
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(runSqlite3(fresh, "select port from net_table where netindex=5;"), "80\n");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"fresh.db", "p.db", "p.toml"}));
    EXPECT_EQ(velkctl({"import", text}).status, 1);
    EXPECT_EQ(velkctl({"import", text, fresh, "--replace"}).status, 1);
}

TEST_F(VelkctlText, HostileTextsEndWithAMessageAndStatusOne) {
    std::mt19937 random(5);
    std::string noise(4096, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    const std::vector<std::pair<std::string, std::string>> texts = {
        {"random bytes", noise},
        {"a 10 MB string",
         "[[event]]\nname = \"按键1 按下\"\naddString = \"" + std::string(10 << 20, 'x') + "\"\n"},
        {"a 10 MB key", std::string(10 << 20, 'k') + " = 1\n"},
        {"deep nesting", "a = " + std::string(200000, '[') + std::string(200000, ']') + "\n"},
        {"wrong types", "[[enum]]\nname = 3\nvalues = \"x\"\n[[event]]\nname = \"按键1 按下\"\naction = 1\n"},
        {"duplicate keys", "[[target]]\nname = \"TCP1\"\nport = 1\nport = 2\n"},
        {"more than a text holds", std::string(40 << 20, '#')},
    };
    for (const auto& [what, text] : texts) {
        SCOPED_TRACE(what);
        const std::string path = dir.file("hostile.toml");
        writeFileBytes(path, text);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"check", path},
              std::vector<std::string>{"import", path, dir.file("h.db")}}) {
            ProgramRun run = velkctl(args);
            EXPECT_EQ(run.status, 1) << args[0];
            EXPECT_FALSE(run.err.empty()) << args[0];
            EXPECT_EQ(run.out, "");
        }
        EXPECT_EQ(velkctl({"diff", path, path}).status, 2);
        EXPECT_FALSE(std::filesystem::exists(dir.file("h.db")));
    }
}

// Standard input is read once: "-" for both projects would compare a text with nothing.
TEST_F(VelkctlText, DiffTakesStandardInputForOneSideOnly) {
    const std::string text = "[[variable]]\nname = \"V2\"\nmax = 200\n";
    ProgramRun both = velkctl({"diff", "-", "-"}, text);
    EXPECT_EQ(both.status, 2);
    EXPECT_EQ(both.out, "");
    EXPECT_EQ(both.err,
              "velkctl: diff: standard input can be read only once: \"-\" stands for A or B, not both\n");
    const std::string file = dir.file("b.toml");
    writeFileBytes(file, text);
    ProgramRun one = velkctl({"diff", "-", file}, text);
    EXPECT_EQ(one.status, 0) << one.err;
}

TEST_F(VelkctlText, DiffTellsSameDifferentAndTrouble) {
    const std::string a = project("a.db", "update variable set max=100 where vindex=2;");
    const std::string b = dir.file("b.toml");
    writeFileBytes(b, "[[variable]]\nname = \"V2\"\nmax = 200\n[[event]]\nname = \"IO1 变高\"\ntime = 5\n");
    ProgramRun different = velkctl({"diff", a, b});
    EXPECT_EQ(different.status, 1);
    EXPECT_EQ(different.out, "V2: max 100 -> 200\nIO1 变高: time 0 -> 5\n");
    EXPECT_EQ(velkctl({"diff", b, b}).status, 0);

    writeFileBytes(dir.file("broken.toml"), "[[variable]]\nname = \"V99999999999\"\n");
    writeFileBytes(dir.file("empty.db"), "");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"diff", a, dir.file("none.db")},
          std::vector<std::string>{"diff", a, dir.file("broken.toml")},
          std::vector<std::string>{"diff", dir.file("empty.db"), a}, std::vector<std::string>{"diff", a},
          std::vector<std::string>{"diff", a, a, "--brief"}}) {
        ProgramRun trouble = velkctl(args);
        EXPECT_EQ(trouble.status, 2) << args.back();
        EXPECT_EQ(trouble.out, "");
        EXPECT_FALSE(trouble.err.empty());
    }
}

// The shell's <(...) hands velkctl a pipe: a text from one is read whole, once; a pipe is never
// taken for a project file, whose reading would wait on it.
TEST_F(VelkctlText, TextsFromAPipeAreReadWholeAndPipesAreNoProjects) {
    const std::string a = project("a.db", "update variable set max=100 where vindex=2;");
    const std::string text = dir.file("a.toml");
    ASSERT_EQ(velkctl({"export", a, "-o", text}).status, 0);
    auto shell = [&](const std::string& line) {
        return runProgram("/bin/bash",
                          {"-c", std::string("velkctl() { '") + VELKCTL_PATH + "' \"$@\"; }; " + line});
    };
    const ProgramRun same = shell("velkctl diff '" + a + "' <(cat '" + text + "')");
    EXPECT_EQ(same.status, 0) << same.out << same.err;
    const ProgramRun checked = shell("velkctl check <(cat '" + text + "')");
    EXPECT_EQ(checked.status, 0) << checked.err;
    const ProgramRun imported = shell("velkctl import <(cat '" + text + "') '" + dir.file("b.db") + "'");
    EXPECT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(velkctl({"diff", a, dir.file("b.db")}).status, 0);

    const ProgramRun piped = shell("velkctl export <(cat '" + a + "')");
    EXPECT_EQ(piped.status, 1);
    EXPECT_NE(piped.err.find("not a regular file"), std::string::npos) << piped.err;
    const ProgramRun shown = shell("velkctl show <(cat '" + a + "')");
    EXPECT_EQ(shown.status, 1);
}

TEST_F(VelkctlText, ExportRefusesWhatIsNoProject) {
    writeFileBytes(dir.file("notes.db"), "plain text, not a project file, long enough for a header.........");
    for (const std::string& path : {dir.file("notes.db"), dir.file("missing.db"), dir.path()}) {
        ProgramRun run = velkctl({"export", path});
        EXPECT_EQ(run.status, 1) << path;
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(run.err.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.db")));
    EXPECT_EQ(velkctl({"export", dir.file("notes.db"), "-o"}).status, 1);
    ProgramRun piped = velkctl({"export", "-"}, readFileBytes(project("p.db", "")));
    EXPECT_EQ(piped.status, 1);
    EXPECT_EQ(piped.out, "");
    EXPECT_EQ(piped.err, "velkctl: a project file cannot come from standard input: name the file\n");
}

}  // namespace
}  // namespace velk::test
