#include <gtest/gtest.h>

#include "site/SiteFile.h"
#include "support/TempDir.h"

namespace velk {
namespace {

std::vector<SitePanel> parsed(const std::string& text, const std::string& folder = "/site",
                              const std::string& defaultProject = "/cli/default.db") {
    auto site = parseSite(text, folder, defaultProject);
    EXPECT_TRUE(std::holds_alternative<std::vector<SitePanel>>(site)) << std::get<std::string>(site);
    return std::holds_alternative<std::vector<SitePanel>>(site) ? std::get<std::vector<SitePanel>>(site)
                                                                : std::vector<SitePanel>{};
}

std::string refusal(const std::string& text, const std::string& defaultProject = "/cli/default.db") {
    auto site = parseSite(text, "/site", defaultProject);
    EXPECT_TRUE(std::holds_alternative<std::string>(site)) << text;
    return std::holds_alternative<std::string>(site) ? std::get<std::string>(site) : std::string();
}

TEST(SiteFileTest, ReadsPanelsAddressesAndProjects) {
    const std::vector<SitePanel> panels = parsed(
        "# floor 3\n"
        "name,panel,project\n"
        "lobby,10.0.3.1,lobby.db\n"
        "\n"
        "\"Room 301, east\",10.0.3.2:4801,rooms/standard.db\r\n"
        "room-302,10.0.3.3,\n"
        "\xE4\xBC\x9A\xE8\xAE\xAE\xE5\xAE\xA4,10.0.3.4,/abs/hall.db\n"
        "up,10.0.3.5,../shared/./x.db\n");
    ASSERT_EQ(panels.size(), 5u);
    EXPECT_EQ(panels[0].name, "lobby");
    EXPECT_EQ(panels[0].panel, (PanelAddress{0x0A000301, 4800}));
    EXPECT_EQ(panels[0].project, "/site/lobby.db");
    EXPECT_EQ(panels[0].line, 3);
    EXPECT_EQ(panels[1].name, "Room 301, east");
    EXPECT_EQ(panels[1].panel, (PanelAddress{0x0A000302, 4801}));
    EXPECT_EQ(panels[1].project, "/site/rooms/standard.db");
    EXPECT_EQ(panels[1].line, 5);
    EXPECT_EQ(panels[2].project, "/cli/default.db");
    EXPECT_EQ(panels[3].name, "\xE4\xBC\x9A\xE8\xAE\xAE\xE5\xAE\xA4");
    EXPECT_EQ(panels[3].project, "/abs/hall.db");
    EXPECT_EQ(panels[4].project, "/shared/x.db");
}

TEST(SiteFileTest, HeaderMayOrderAndSpellItsColumnsFreely) {
    const std::vector<SitePanel> panels = parsed("Project , NAME,Panel\nx.db,a,127.0.0.1:5000\n", "rel");
    ASSERT_EQ(panels.size(), 1u);
    EXPECT_EQ(panels[0].name, "a");
    EXPECT_EQ(panels[0].panel, (PanelAddress{0x7F000001, 5000}));
    EXPECT_EQ(panels[0].project, "rel/x.db");
}

TEST(SiteFileTest, EveryRefusalNamesItsLineAndColumn) {
    const std::string header = "name,panel,project\n";
    struct Case {
        const char* name;
        std::string text;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"empty file", "", "no header row"},
        {"only comments", "# nothing\n", "no header row"},
        {"only a header", header, "lists no panel"},
        {"header with another column", "name,panel,file\n", "line 1, column 12: the first row must name"},
        {"header short of a column", "name,panel\n",
         "line 1: the first row must name the columns name,panel,project"},
        {"header naming a column twice", "name,panel,Name\n",
         "line 1, column 12: the column name is named twice"},
        {"row short of a cell", header + "a,10.0.0.1,x.db\n# c\nb,10.0.0.2\n",
         "line 4: 2 fields; every row has 3"},
        {"row with a cell too many", header + "a,10.0.0.1,x.db,y\n", "line 2: 4 fields"},
        {"bad address", header + "a,10.0.0,x.db\n",
         "line 2, column 3 (panel): wants IP[:PORT], not '10.0.0'"},
        {"port out of range", header + "a,10.0.0.1:70000,x.db\n",
         "line 2, column 3 (panel): wants IP[:PORT]"},
        {"port zero", header + "a,10.0.0.1:0,x.db\n", "(panel): wants IP[:PORT]"},
        {"name used twice, in another case", header + "Lobby,10.0.0.1,\nx,10.0.0.3,\nlobby,10.0.0.2,\n",
         "line 4, column 1 (name): the name 'lobby' is already used on line 2"},
        {"panel listed twice", header + "a,10.0.0.1,\nb,10.0.0.1:4800,\n",
         "line 3, column 3 (panel): the panel 10.0.0.1:4800 is already listed on line 2"},
        {"empty name", header + ",10.0.0.1,\n", "line 2, column 1 (name): the name is empty"},
        {"name with a slash", header + "a/b,10.0.0.1,\n", "(name): the name holds '/'"},
        {"name that is a folder", header + "..,10.0.0.1,\n", "(name): the name begins with '.'"},
        {"name with a colon", header + "\"a:b\",10.0.0.1,\n", "(name): the name holds ':'"},
        {"name ending in a dot", header + "a.,10.0.0.1,\n", "(name): the name ends with '.'"},
        {"name with a line break", header + "\"a\nb\",10.0.0.1,\n",
         "line 2, column 1 (name): the name holds a control"},
        {"name not UTF-8", header + "\xC4\xE3,10.0.0.1,\n", "(name): the name is not UTF-8 text"},
        {"name too long", header + std::string(101, 'n') + ",10.0.0.1,\n", "longer than 100 bytes"},
        {"no project anywhere", header + "a,10.0.0.1,x.db\nb,10.0.0.2,\n",
         "line 3, column 12 (project): no project: the cell is empty and none was given"},
        {"CSV error", header + "a,\"10.0.0.1,\n", "line 2, column 3: the quote opened here is never closed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string message =
            refusal(c.text, c.name == std::string("no project anywhere") ? "" : "/d.db");
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
    }
}

TEST(SiteFileTest, LineNumbersCountTheLinesInsideQuotes) {
    const std::string message = refusal("name,panel,project\n\"x\",10.0.0.1,\"a\nb\nc.db\"\ny,bad,\n");
    EXPECT_NE(message.find("line 5, column 3 (panel)"), std::string::npos) << message;
}

TEST(SiteFileTest, NamesAreFileNames) {
    for (const char* good : {"a", "Room 301", "lobby-1_east", "\xE5\xA4\xA7\xE5\x8E\x85", "x.y", "-dash"}) {
        EXPECT_FALSE(panelNameProblem(good)) << good;
    }
    for (const char* bad :
         {"", ".", "..", ".hidden", "a\\b", "a*", "a?", "a|b", "<a>", "a\"b", "a\x7f", " a", "a "}) {
        EXPECT_TRUE(panelNameProblem(bad)) << bad;
    }
    EXPECT_TRUE(panelNameProblem("\xED\xA0\x80"));  // a surrogate
    EXPECT_TRUE(panelNameProblem("\xC0\xAF"));      // an overlong '/'
    EXPECT_FALSE(panelNameProblem(std::string(100, 'n')));
}

TEST(SiteFileTest, FileErrorsBeginWithThePath) {
    test::TempDir dir;
    const std::string path = dir.file("site.csv");
    test::writeFileBytes(path, "name,panel,project\na,10.0.0.1,p.db\na,10.0.0.2,p.db\n");
    auto site = loadSiteFile(path, "");
    ASSERT_TRUE(std::holds_alternative<std::string>(site));
    EXPECT_EQ(std::get<std::string>(site).rfind(path + ": line 3, column 1 (name)", 0), 0u)
        << std::get<std::string>(site);

    test::writeFileBytes(path, "name,panel,project\na,10.0.0.1,p.db\n");
    site = loadSiteFile(path, "");
    ASSERT_TRUE(std::holds_alternative<std::vector<SitePanel>>(site));
    EXPECT_EQ(std::get<std::vector<SitePanel>>(site)[0].project, dir.file("p.db"));

    site = loadSiteFile(dir.file("missing.csv"), "");
    ASSERT_TRUE(std::holds_alternative<std::string>(site));
    EXPECT_NE(std::get<std::string>(site).find("no such site file"), std::string::npos);
}

TEST(SiteFileTest, AddressesOnTheCommandLineNameTheirPanels) {
    auto panels = panelsOfAddresses({{0x7F000001, 5000}, {0x7F000001, 5001}}, "p.db");
    ASSERT_TRUE(std::holds_alternative<std::vector<SitePanel>>(panels));
    const auto& list = std::get<std::vector<SitePanel>>(panels);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].name, "127.0.0.1:5001");
    EXPECT_EQ(list[1].project, "p.db");
    auto twice = panelsOfAddresses({{0x7F000001, 5000}, {0x7F000001, 5000}}, "p.db");
    ASSERT_TRUE(std::holds_alternative<std::string>(twice));
    EXPECT_NE(std::get<std::string>(twice).find("127.0.0.1:5000 is given twice"), std::string::npos);
}

}  // namespace
}  // namespace velk

namespace velk {
namespace {

TEST(SiteFileTest, APanelsOwnSettingsMayFollowItsAddress) {
    const std::vector<SitePanel> panels = parsed(
        "name,panel,project,MAC,mask,gateway\n"
        "lobby,10.0.3.1,a.db,02-11-22-33-44-5f,255.255.0.0,10.0.0.254\n"
        "room,10.0.3.2,a.db,,,\n"
        "hall,10.0.3.3,a.db,2.1.2.3.a.B,,10.0.0.1\n");
    ASSERT_EQ(panels.size(), 3u);
    EXPECT_EQ(panels[0].mask, 0xFFFF0000u);
    EXPECT_EQ(panels[0].gateway, 0x0A0000FEu);
    EXPECT_EQ(panels[0].mac, (std::array<uint8_t, 6>{0x02, 0x11, 0x22, 0x33, 0x44, 0x5F}));
    // An empty cell leaves the panel's own.
    EXPECT_FALSE(panels[1].mask);
    EXPECT_FALSE(panels[1].gateway);
    EXPECT_FALSE(panels[1].mac);
    EXPECT_EQ(panels[2].mac, (std::array<uint8_t, 6>{0x02, 0x01, 0x02, 0x03, 0x0A, 0x0B}));
    EXPECT_FALSE(panels[2].mask);

    const std::string header = "name,panel,project,mask,gateway,mac\n";
    const std::vector<std::pair<std::string, std::string>> refused = {
        {header + "a,10.0.0.1,x.db,255.255.0,,\n",
         "line 2, column 17 (mask): wants A.B.C.D, not '255.255.0'"},
        {header + "a,10.0.0.1,x.db,,10.0.0.256,\n", "(gateway): wants A.B.C.D"},
        {header + "a,10.0.0.1,x.db,,,02.11.22.33.44\n", "(mac): wants six hex bytes"},
        {header + "a,10.0.0.1,x.db,,,02.11.22.33.44.5G\n", "(mac): wants six hex bytes"},
        {header + "a,10.0.0.1,x.db,,,02.11.22.33.44.555\n", "(mac): wants six hex bytes"},
        {header + "a,10.0.0.1,x.db,,,2.0.0.0.0.1\nb,10.0.0.2,x.db,,,02:00:00:00:00:01\n",
         "line 3, column 19 (mac): the MAC 02.00.00.00.00.01 is already given on line 2"},
        {header + "a,10.0.0.1,x.db,,\n",
         "line 2: 5 fields; every row has 6 (name,panel,project,mask,gateway,mac)"},
        {"name,panel,mask\n",
         "line 1: the first row must name the columns name,panel,project; project is missing"},
        {"name,panel,project,mask,Mask\n", "line 1, column 25: the column mask is named twice"},
        {"name,panel,project,netmask\n", "(and may add mask, gateway, mac), not 'netmask'"},
    };
    for (const auto& [text, message] : refused) {
        SCOPED_TRACE(text);
        const std::string said = refusal(text);
        EXPECT_NE(said.find(message), std::string::npos) << said;
    }
}

}  // namespace
}  // namespace velk
