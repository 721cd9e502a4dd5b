#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

// The report of a commissioning run (JSON), written after every row so an interrupted run resumes
// where it stopped.
namespace velk {

// What became of one row of the site file.
struct CommissionRecord {
    std::string name;
    std::string panel;  // the address given, IP:PORT
    std::string project;
    std::string outcome;     // "done", "failed" or "stopped"
    std::string reason;      // why, unless done
    std::string macBefore;   // as the panel reported it from the box; empty when none answered
    std::string macAfter;    // as it reported it at its new address; empty until then
    bool addressed = false;  // the panel answered at its new address with its new settings
    std::string time;        // when the row ended, UTC, 2026-05-03T10:15:30Z
    double seconds = 0;

    bool done() const { return outcome == "done"; }
};

struct CommissionReport {
    std::string site;
    std::string from;
    std::vector<CommissionRecord> rows;  // in the order they were reached

    CommissionRecord* find(const std::string& name);
    const CommissionRecord* find(const std::string& name) const;
    // Replaces the record of the same name or adds it.
    void put(const CommissionRecord& record);
};

std::string commissionReportJson(const CommissionReport& report);

// The report in text, or why it cannot be read (not JSON, or not such a report).
std::variant<CommissionReport, std::string> readCommissionReport(const std::string& text);

// The time now as the report writes it.
std::string utcTimeNow();

}  // namespace velk
