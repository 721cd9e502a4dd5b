#include "site/CommissionReport.h"

#include <cmath>
#include <ctime>
#include <nlohmann/json.hpp>

namespace velk {
namespace {

using Json = nlohmann::ordered_json;

}  // namespace

CommissionRecord* CommissionReport::find(const std::string& name) {
    for (CommissionRecord& record : rows) {
        if (record.name == name) {
            return &record;
        }
    }
    return nullptr;
}

const CommissionRecord* CommissionReport::find(const std::string& name) const {
    for (const CommissionRecord& record : rows) {
        if (record.name == name) {
            return &record;
        }
    }
    return nullptr;
}

void CommissionReport::put(const CommissionRecord& record) {
    if (CommissionRecord* existing = find(record.name)) {
        *existing = record;
    } else {
        rows.push_back(record);
    }
}

std::string commissionReportJson(const CommissionReport& report) {
    Json rows = Json::array();
    for (const CommissionRecord& r : report.rows) {
        rows.push_back({
            {"name", r.name},
            {"panel", r.panel},
            {"project", r.project},
            {"outcome", r.outcome},
            {"reason", r.reason},
            {"mac_before", r.macBefore},
            {"mac_after", r.macAfter},
            {"addressed", r.addressed},
            {"time", r.time},
            {"seconds", std::round(r.seconds * 1000) / 1000},
        });
    }
    Json json = {{"site", report.site}, {"from", report.from}, {"rows", std::move(rows)}};
    // Paths and names are bytes; what is not UTF-8 is replaced rather than left out.
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::variant<CommissionReport, std::string> readCommissionReport(const std::string& text) {
    Json json = Json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_object() || !json.contains("rows") || !json["rows"].is_array()) {
        return std::string("not a commissioning report (JSON with \"rows\")");
    }
    CommissionReport report;
    auto textOf = [](const Json& object, const char* key) {
        auto it = object.find(key);
        return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
    };
    report.site = textOf(json, "site");
    report.from = textOf(json, "from");
    for (const Json& row : json["rows"]) {
        if (!row.is_object() || textOf(row, "name").empty()) {
            return std::string("a row without a name");
        }
        CommissionRecord record;
        record.name = textOf(row, "name");
        record.panel = textOf(row, "panel");
        record.project = textOf(row, "project");
        record.outcome = textOf(row, "outcome");
        record.reason = textOf(row, "reason");
        record.macBefore = textOf(row, "mac_before");
        record.macAfter = textOf(row, "mac_after");
        auto addressed = row.find("addressed");
        record.addressed = addressed != row.end() && addressed->is_boolean() && addressed->get<bool>();
        record.time = textOf(row, "time");
        auto seconds = row.find("seconds");
        record.seconds = seconds != row.end() && seconds->is_number() ? seconds->get<double>() : 0;
        report.rows.push_back(std::move(record));
    }
    return report;
}

std::string utcTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

}  // namespace velk
