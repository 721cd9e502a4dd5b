// A model written as a project file: rows the desktop program would write, and nothing left
// behind when it cannot be written.
#include <sys/stat.h>

#include <filesystem>

#include "device/WritePlan.h"
#include "project/ProjectReader.h"
#include "session/ProjectImport.h"
#include "support/ProjectFixture.h"
#include "support/RichProject.h"
#include "support/SqliteCli.h"

namespace velk::test {
namespace {

using ProjectImport = ProjectFixture;

ConfigModel loaded(const std::string& path) {
    ProjectLoad load = loadProjectReadOnly(path);
    EXPECT_TRUE(load.model) << load.error;
    return load.model.value_or(ConfigModel{});
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ProjectImport, ARichProjectIsWrittenRowForRow) {
    const std::string original = dir.file("rich.db");
    ASSERT_TRUE(makeRichProject(original));
    const ConfigModel model = loaded(original);
    const std::string copy = dir.file("copy.db");
    ImportOutcome outcome = importProject(model, copy, false);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    const std::string rows = projectRows(original);
    ASSERT_NE(rows.find("key_table59\n"), std::string::npos);
    EXPECT_TRUE(projectRows(copy) == rows) << projectRows(copy);
    EXPECT_EQ(planCommands(buildWritePlan(loaded(copy))), planCommands(buildWritePlan(model)));
}

TEST_F(ProjectImport, TheFileIsTheOneTheDesktopProgramWrites) {
    // Edits through the form's own commands.
    const std::string path = newProject("desktop.db");
    session->commitEnum(EnumVariable{3, kHex, {"01 02", "ff"}});
    session->commitVariable(Variable{4, -1, 2, 300, 1});
    session->commitNetTarget(NetTarget{0xC0A80114u, 5000, 6});
    session->selectEvent(7);
    KeyAction ir;
    ir.irChannels = 5;
    ir.irCode = 64;
    session->commitAddAction(ir);
    KeyAction net;
    net.function = FunctionCode::Network;
    net.network.channel = 1;
    net.network.ip = 0x0A000001u;
    net.network.port = 6000;
    net.network.varNum = 1;
    net.network.texts = {"it's", "$24"};
    Placeholder blank;
    blank.kind = kKindEnum;
    blank.enumIndex = 2;
    blank.digits = 2;
    net.network.placeholders = {blank};
    session->commitAddAction(net);
    EventSettings settings;
    settings.timeEnable = 1;
    settings.time = 300;
    session->commitTimeSettings(settings);
    settings.addEnable = 1;
    settings.addString = "\xc4\xe3\xba\xc3";
    session->commitAppendSettings(settings);
    flushAll();

    const std::string copy = dir.file("copy.db");
    ImportOutcome outcome = importProject(session->model(), copy, false);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_TRUE(projectRows(copy) == projectRows(path)) << projectRows(copy);
}

TEST_F(ProjectImport, ADefaultModelGivesTheFileOfNew) {
    const std::string path = newProject("new.db");
    ConfigModel model;
    model.reset();
    const std::string copy = dir.file("copy.db");
    ASSERT_TRUE(importProject(model, copy, false).ok);
    EXPECT_TRUE(projectRows(copy) == projectRows(path));
    struct stat info {};
    ASSERT_EQ(stat(copy.c_str(), &info), 0);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0644 & ~mask);
}

TEST_F(ProjectImport, AnExistingFileIsReplacedOnlyWhenAsked) {
    const std::string target = dir.file("p.db");
    writeFileBytes(target, "keep me");
    ConfigModel model;
    model.reset();
    model.setVariable(0, Variable{1, 0, 5, 9, 0});
    ImportOutcome refused = importProject(model, target, false);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, "exists already (--force replaces it)");
    EXPECT_EQ(readFileBytes(target), "keep me");
    EXPECT_EQ(importProject(model, dir.path(), true).error, "is a directory");

    ASSERT_TRUE(importProject(model, target, true).ok);
    EXPECT_EQ(loaded(target).variableAt(0).init, 5);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"p.db"});
}

TEST_F(ProjectImport, AModelTheFileCannotHoldLeavesNothingBehind) {
    ConfigModel elevenValues;
    elevenValues.reset();
    elevenValues.setEnum(0, EnumVariable{1, kAscii, std::vector<std::string>(11, "v")});
    ConfigModel zeroByte;
    zeroByte.reset();
    zeroByte.eventSettings[3].addString = std::string("cut\0here", 8);
    ConfigModel unknownFunction;
    unknownFunction.reset();
    KeyAction nine;
    nine.function = static_cast<FunctionCode>(9);  // no function has it
    unknownFunction.actions[0].push_back(nine);
    const struct {
        const ConfigModel* model;
        std::string error;
    } cases[] = {
        {&elevenValues, "the written file reads back different at enum E1"},
        {&zeroByte, "the written file reads back different at event slot 3"},
        {&unknownFunction, "the written file reads back different at event slot 0"},
    };
    for (const auto& c : cases) {
        ImportOutcome outcome = importProject(*c.model, dir.file("p.db"), false);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.error, c.error);
        EXPECT_TRUE(filesIn(dir.path()).empty()) << filesIn(dir.path()).front();
    }
    ImportOutcome noFolder = importProject(elevenValues, dir.file("missing/p.db"), false);
    EXPECT_FALSE(noFolder.ok);
    EXPECT_NE(noFolder.error.find("cannot create a file next to it"), std::string::npos);
}

}  // namespace
}  // namespace velk::test
