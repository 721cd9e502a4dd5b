#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "site/SiteReport.h"
#include "support/TempDir.h"

namespace velk {
namespace {

TEST(ReportTest, HoldsEveryPanelAndSurvivesAnyText) {
    const std::vector<PanelLabel> labels = {
        {"Room \"301\" \\ east", "10.0.0.1:4800", "/site/a\tb.db"},
        {"\xE5\xA4\xA7\xE5\x8E\x85", "10.0.0.2:4800", "/site/\xC4\xE3.db"},  // a GBK byte path
    };
    std::vector<PanelResult> results(2);
    results[0].outcome = PanelOutcome::LeftOut;
    results[0].reason = "commands longer than the panel takes: E3\nnext";
    results[0].leftOut = {"E3",
                          "\xE6\x8C\x89\xE9\x94\xAE"
                          "1"};
    results[0].attempts = 1;
    results[0].seconds = 6.12345;
    results[1].outcome = PanelOutcome::TimedOut;
    results[1].reason = "no answer to the exit command within 15 s";
    results[1].attempts = 3;
    results[1].seconds = 47.5;

    const nlohmann::json report =
        nlohmann::json::parse(siteReportJson(SiteTask::Write, labels, results, 48.25));
    EXPECT_EQ(report["task"], "write");
    EXPECT_EQ(report["exit_status"], 3);
    EXPECT_EQ(report["seconds"], 48.25);
    ASSERT_EQ(report["panels"].size(), 2u);
    const nlohmann::json& first = report["panels"][0];
    EXPECT_EQ(first["name"], labels[0].name);
    EXPECT_EQ(first["panel"], labels[0].panel);
    EXPECT_EQ(first["project"], labels[0].project);
    EXPECT_EQ(first["result"], "left out");
    EXPECT_EQ(first["reason"], results[0].reason);
    EXPECT_EQ(first["exit_status"], 4);
    EXPECT_EQ(first["seconds"], 6.123);
    EXPECT_EQ(first["left_out"], nlohmann::json(results[0].leftOut));
    const nlohmann::json& second = report["panels"][1];
    EXPECT_EQ(second["name"], labels[1].name);
    EXPECT_EQ(second["panel"], labels[1].panel);
    EXPECT_EQ(second["result"], "timed out");
    EXPECT_EQ(second["attempts"], 3);
    // A path that is not UTF-8 keeps its readable part.
    EXPECT_EQ(second["project"], "/site/\xEF\xBF\xBD\xEF\xBF\xBD.db");
}

TEST(ReportTest, AReadNamesItsCopies) {
    const std::vector<PanelLabel> labels = {{"a", "10.0.0.1:4800", "p.db"}, {"b", "10.0.0.2:4800", "p.db"}};
    std::vector<PanelResult> results(2);
    results[0].outcome = PanelOutcome::Done;
    results[0].replies = 26;
    results[1].outcome = PanelOutcome::Unreachable;
    const nlohmann::json report =
        nlohmann::json::parse(siteReportJson(SiteTask::Read, labels, results, 2, {"out/a.db", "out/b.db"}));
    EXPECT_EQ(report["task"], "read");
    EXPECT_EQ(report["exit_status"], 2);
    EXPECT_EQ(report["panels"][0]["result"], "read");
    EXPECT_EQ(report["panels"][0]["replies"], 26);
    EXPECT_EQ(report["panels"][0]["file"], "out/a.db");
    EXPECT_TRUE(report["panels"][1]["file"].is_null());
    EXPECT_FALSE(report["panels"][0].contains("left_out"));
}

TEST(ReportTest, WritesTheFileOrSaysWhyNot) {
    test::TempDir dir;
    std::string error;
    ASSERT_TRUE(writeTextFile(dir.file("r.json"), "{}\n", error)) << error;
    EXPECT_EQ(test::readFileBytes(dir.file("r.json")), "{}\n");
    EXPECT_FALSE(writeTextFile(dir.file("no/such/folder/r.json"), "{}", error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}

}  // namespace
}  // namespace velk

#include "site/CommissionReport.h"

namespace velk {
namespace {

TEST(CommissionReportTest, ReadsBackWhatItWrites) {
    CommissionReport report;
    report.site = "floor3.csv";
    report.from = "192.168.1.165:4800";
    CommissionRecord done;
    done.name = "Room \"301\"";
    done.panel = "10.0.0.1:4800";
    done.project = "a.db";
    done.outcome = "done";
    done.macBefore = "00.1A.2B.3C.00.01";
    done.macAfter = "02.11.22.33.44.55";
    done.addressed = true;
    done.time = "2026-05-03T10:15:30Z";
    done.seconds = 3.25;
    CommissionRecord failed = done;
    failed.name = "hall";
    failed.outcome = "failed";
    failed.reason = "no panel answered: connection refused at 192.168.1.165:4800 within 300 s";
    failed.addressed = false;
    report.put(done);
    report.put(failed);
    failed.reason = "again";
    report.put(failed);  // replaces the record of the same name
    ASSERT_EQ(report.rows.size(), 2u);

    auto read = readCommissionReport(commissionReportJson(report));
    ASSERT_TRUE(std::holds_alternative<CommissionReport>(read)) << std::get<std::string>(read);
    const CommissionReport& back = std::get<CommissionReport>(read);
    EXPECT_EQ(back.site, "floor3.csv");
    EXPECT_EQ(back.from, "192.168.1.165:4800");
    ASSERT_EQ(back.rows.size(), 2u);
    EXPECT_EQ(back.rows[0].name, "Room \"301\"");
    EXPECT_EQ(back.rows[0].macAfter, "02.11.22.33.44.55");
    EXPECT_TRUE(back.rows[0].addressed);
    EXPECT_TRUE(back.rows[0].done());
    EXPECT_EQ(back.rows[0].seconds, 3.25);
    EXPECT_EQ(back.rows[1].reason, "again");
    EXPECT_FALSE(back.rows[1].done());
    EXPECT_FALSE(back.rows[1].addressed);
    const nlohmann::json json = nlohmann::json::parse(commissionReportJson(report));
    for (const char* key : {"name", "panel", "project", "outcome", "reason", "mac_before", "mac_after",
                            "addressed", "time", "seconds"}) {
        EXPECT_TRUE(json["rows"][0].contains(key)) << key;
    }
}

TEST(CommissionReportTest, RefusesWhatIsNoReport) {
    for (const char* text : {"", "not json", "[]", "{\"rows\": 3}", "{\"rows\": [{\"outcome\": \"done\"}]}",
                             "{\"rows\": [7]}"}) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(std::holds_alternative<std::string>(readCommissionReport(text)));
    }
}

}  // namespace
}  // namespace velk

#include "site/Commission.h"

namespace velk {
namespace {

TEST(CommissionReportTest, ARowIsDoneOnlyAtTheAddressItNowGives) {
    CommissionReport report;
    CommissionRecord record;
    record.name = "lobby";
    record.panel = "10.0.0.1:4800";
    record.outcome = "done";
    report.put(record);
    SitePanel row;
    row.name = "lobby";
    row.panel = {0x0A000001, 4800};
    EXPECT_TRUE(isRowDone(report, row));
    row.panel.port = 4801;  // the site file now gives another address: to be done again
    EXPECT_FALSE(isRowDone(report, row));
    row.panel.port = 4800;
    row.name = "Lobby";
    EXPECT_FALSE(isRowDone(report, row));
    record.outcome = "failed";
    report.put(record);
    row.name = "lobby";
    EXPECT_FALSE(isRowDone(report, row));
}

}  // namespace
}  // namespace velk
