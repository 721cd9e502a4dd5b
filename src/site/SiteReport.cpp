#include "site/SiteReport.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>

namespace velk {
namespace {

double milliseconds(double seconds) {
    return std::round(seconds * 1000) / 1000;
}

}  // namespace

std::string siteReportJson(SiteTask task, const std::vector<PanelLabel>& labels,
                           const std::vector<PanelResult>& results, double seconds,
                           const std::vector<std::string>& readCopies) {
    using Json = nlohmann::ordered_json;
    Json panels = Json::array();
    for (size_t i = 0; i < labels.size() && i < results.size(); ++i) {
        const PanelResult& result = results[i];
        Json panel = {
            {"name", labels[i].name},       {"panel", labels[i].panel},
            {"project", labels[i].project}, {"result", outcomeWord(result.outcome, task)},
            {"reason", result.reason},      {"exit_status", exitStatusOf(result.outcome, task)},
            {"attempts", result.attempts},  {"seconds", milliseconds(result.seconds)},
        };
        if (task == SiteTask::Write) {
            panel["left_out"] = result.leftOut;
        } else {
            panel["replies"] = result.replies;
            panel["file"] =
                i < readCopies.size() && result.outcome == PanelOutcome::Done ? Json(readCopies[i]) : Json();
        }
        panels.push_back(std::move(panel));
    }
    Json report = {
        {"task", task == SiteTask::Write ? "write" : "read"},
        {"exit_status", siteExitStatus(results, task)},
        {"seconds", milliseconds(seconds)},
        {"panels", std::move(panels)},
    };
    // Paths and names are bytes; what is not UTF-8 is replaced rather than left out.
    return report.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

bool writeTextFile(const std::string& path, const std::string& text, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int writeErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = std::strerror(written ? errno : writeErrno);
        return false;
    }
    return true;
}

}  // namespace velk
