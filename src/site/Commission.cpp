#include "site/Commission.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>
#include <variant>

#include "device/PanelNetwork.h"
#include "model/StrPrintf.h"
#include "site/PanelProbe.h"
#include "site/PanelWrite.h"
#include "site/ProgressBoard.h"
#include "site/SiteReport.h"

namespace velk {
namespace {

using Clock = std::chrono::steady_clock;

// The settings a row's panel is to have, from what it reports and what the row gives.
PanelNetworkForm wantedForm(const PanelNetworkReply& reply, const SitePanel& row) {
    PanelNetworkForm form = panelNetworkFormOf(reply);
    form.ip = row.panel.ip;
    form.mask = row.mask.value_or(reply.mask);
    form.gateway = row.gateway.value_or(reply.gateway);
    if (row.mac) {
        for (size_t i = 0; i < row.mac->size(); ++i) {
            form.macTexts[i] = strprintf("%02X", (*row.mac)[i]);
        }
    }
    return form;
}

bool hasSettings(const PanelNetworkReply& reply, const PanelNetworkSettings& wanted) {
    return reply.ip == wanted.ip && reply.mask == wanted.mask && reply.gateway == wanted.gateway &&
           reply.mac == wanted.mac;
}

class RowRun {
public:
    RowRun(const CommissionRow& row, CommissionReport& report, const CommissionOptions& options,
           StopSwitch& stop)
        : m_row(row), m_report(report), m_options(options), m_stop(stop), m_start(Clock::now()) {
        const std::string& name = row.panel.name;
        if (const CommissionRecord* earlier = report.find(name)) {
            m_earlier = *earlier;
        }
        m_record.name = name;
        m_record.panel = panelAddressText(row.panel.panel);
        m_record.project = row.panel.project;
    }

    // Ends with the row's record in the report, unless the run was stopped before anything
    // happened to it.
    void run() {
        if (!m_row.model) {
            fail("its project is not loaded");
            return;
        }
        std::optional<PanelNetworkReply> atNewAddress = alreadyAddressed();
        if (!atNewAddress) {
            std::optional<ProbeAnswer> box = waitForBox();
            if (!box) {
                return;
            }
            atNewAddress = giveAddress(*box);
            if (!atNewAddress) {
                return;
            }
        }
        m_record.addressed = true;
        m_record.macAfter = macText(atNewAddress->mac);
        say("writing " + m_row.panel.project);
        ProgressBoard board(1);
        const std::vector<SiteTarget> targets = {
            {m_row.panel.name, m_row.panel.panel, m_row.panel.project, m_row.model}};
        const PanelResult result = siteWriteJob(targets, m_options.write, board, m_stop)(0);
        if (result.outcome != PanelOutcome::Done) {
            fail(resultText(result, SiteTask::Write));
            return;
        }
        m_record.outcome = "done";
        m_record.reason.clear();
        finish();
    }

    const CommissionRecord& record() const { return m_record; }
    bool recorded() const { return m_recorded; }

    // Writes the report as it stands, renamed into place so it is never found half written.
    bool saveReport() {
        if (m_options.reportPath.empty()) {
            return true;
        }
        std::string error;
        const std::string part = m_options.reportPath + ".part";
        if (!writeTextFile(part, commissionReportJson(m_report), error) ||
            std::rename(part.c_str(), m_options.reportPath.c_str()) != 0) {
            m_reportError = strprintf("%s: cannot write the report: %s", m_options.reportPath.c_str(),
                                      error.empty() ? "rename failed" : error.c_str());
            std::remove(part.c_str());
            return false;
        }
        return true;
    }

    const std::string& reportError() const { return m_reportError; }

private:
    void say(const std::string& line) const {
        if (m_options.say) {
            m_options.say(m_row.panel.name + ": " + line);
        }
    }

    // Waits up to ms while not stopped; false once stopped.
    bool pause(int ms) const {
        const Clock::time_point until = Clock::now() + std::chrono::milliseconds(ms);
        while (!m_stop.stopped() && Clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return !m_stop.stopped();
    }

    Clock::time_point deadline() const { return Clock::now() + std::chrono::seconds(m_options.waitSeconds); }

    void fail(const std::string& reason) {
        m_record.outcome = m_stop.stopped() ? "stopped" : "failed";
        m_record.reason = m_stop.stopped() ? "interrupted" : reason;
        say(m_record.outcome + ": " + m_record.reason);
        finish();
    }

    void finish() {
        m_record.time = utcTimeNow();
        m_record.seconds = std::chrono::duration<double>(Clock::now() - m_start).count();
        m_report.put(m_record);
        m_recorded = true;
    }

    // A panel given its address by an earlier run that broke off before its write ended: found
    // again at that address with the MAC it had then, it is written without waiting for a box.
    std::optional<PanelNetworkReply> alreadyAddressed() {
        if (!m_earlier || !m_earlier->addressed || m_earlier->panel != m_record.panel ||
            m_earlier->macAfter.empty()) {
            return std::nullopt;
        }
        auto answer = probePanel(m_row.panel.panel, m_options.probeTimeoutMs, m_stop.flag());
        const auto* found = std::get_if<ProbeAnswer>(&answer);
        if (found == nullptr || macText(found->network.mac) != m_earlier->macAfter ||
            found->network.ip != m_row.panel.panel.ip) {
            return std::nullopt;
        }
        m_record.macBefore = m_earlier->macBefore;
        say(strprintf("given its address before (MAC %s): writing it again", m_earlier->macAfter.c_str()));
        return found->network;
    }

    // The row whose panel this is, by the report: one that was given its address with this MAC.
    // A row that failed before that never took its box, which may go to another row.
    std::optional<std::string> ownerOf(const std::string& mac) const {
        for (const CommissionRecord& other : m_report.rows) {
            if (other.name != m_record.name && other.addressed &&
                (other.macBefore == mac || other.macAfter == mac)) {
                return other.name;
            }
        }
        return std::nullopt;
    }

    std::optional<ProbeAnswer> waitForBox() {
        const std::string from = panelAddressText(m_options.from);
        const std::string prompt =
            strprintf("next: %s gets %s (project %s); plug in its panel at %s", m_row.panel.name.c_str(),
                      m_record.panel.c_str(), m_row.panel.project.c_str(), from.c_str());
        if (m_options.askInstaller && !m_options.askInstaller(prompt)) {
            // The installer ended the run (Ctrl+D): the rows left are not done, as after Ctrl+C.
            m_stop.stop();
            return std::nullopt;
        }
        say(strprintf("waiting for a panel at %s (up to %d s)", from.c_str(), m_options.waitSeconds));
        const Clock::time_point until = deadline();
        std::string lastReason = "nothing answered";
        std::string refused;
        while (!m_stop.stopped()) {
            auto answer = probePanel(m_options.from, m_options.probeTimeoutMs, m_stop.flag());
            if (auto* found = std::get_if<ProbeAnswer>(&answer)) {
                const std::string mac = macText(found->network.mac);
                std::optional<std::string> owner = ownerOf(mac);
                if (!owner) {
                    m_record.macBefore = mac;
                    return std::move(*found);
                }
                // The same box plugged in twice: not this row's panel.
                if (refused.empty()) {
                    say(
                        strprintf("the panel at %s has MAC %s, which the report gives to %s: not taken; "
                                  "plug in the next box",
                                  from.c_str(), mac.c_str(), owner->c_str()));
                }
                refused = strprintf("only the panel with MAC %s (%s's, by the report) answered", mac.c_str(),
                                    owner->c_str());
            } else {
                lastReason = std::get<std::string>(answer);
            }
            if (Clock::now() >= until || !pause(m_options.pollIntervalMs)) {
                break;
            }
        }
        if (m_stop.stopped()) {
            return std::nullopt;  // nothing happened to this row
        }
        fail(strprintf("%s at %s within %d s",
                       refused.empty() ? ("no panel answered: " + lastReason).c_str() : refused.c_str(),
                       from.c_str(), m_options.waitSeconds));
        return std::nullopt;
    }

    // Sends the row's settings and waits for the panel at its new address; its settings there.
    std::optional<PanelNetworkReply> giveAddress(ProbeAnswer& box) {
        const PanelNetworkReply& reply = box.network;
        if (reply.tcpPort != m_row.panel.panel.port) {
            fail(strprintf("the panel listens on port %d, the row gives %u: a panel's port cannot be set",
                           reply.tcpPort, static_cast<unsigned>(m_row.panel.panel.port)));
            return std::nullopt;
        }
        // The panel network dialog's checks and commands, as its OK would send them.
        auto checked = validatePanelNetworkForm(wantedForm(reply, m_row.panel));
        if (const std::string* problem = std::get_if<std::string>(&checked)) {
            fail("the panel's settings cannot be sent: " + *problem);
            return std::nullopt;
        }
        const PanelNetworkSettings wanted = std::get<PanelNetworkSettings>(checked);
        const std::vector<std::string> commands = panelNetworkChanges(reply, wanted);
        std::string sent;
        for (const std::string& command : commands) {
            if (!sent.empty()) {
                sent += ", ";
            }
            sent += command;
        }
        say(strprintf("panel MAC %s: %s", m_record.macBefore.c_str(),
                      commands.empty() ? "has its settings already" : ("sending " + sent).c_str()));
        if (!sendCommands(box.connection, commands)) {
            fail("connection dropped by the panel while its settings were sent");
            return std::nullopt;
        }
        box.connection.close();
        // An interruption from here on leaves a panel at its new address: the report says so.
        m_record.outcome = "failed";
        m_record.reason = "settings sent; not yet seen at the new address";
        finish();
        if (!saveReport()) {
            return std::nullopt;
        }

        say(strprintf("waiting for it at %s (up to %d s)", m_record.panel.c_str(), m_options.waitSeconds));
        const Clock::time_point until = deadline();
        std::string lastReason = "nothing answered";
        while (!m_stop.stopped()) {
            auto answer = probePanel(m_row.panel.panel, m_options.probeTimeoutMs, m_stop.flag());
            if (const auto* found = std::get_if<ProbeAnswer>(&answer)) {
                if (hasSettings(found->network, wanted)) {
                    return found->network;
                }
                lastReason = strprintf(
                    "it answered with ip %s, mask %s, gateway %s, MAC %s",
                    dottedAddress(found->network.ip).c_str(), dottedAddress(found->network.mask).c_str(),
                    dottedAddress(found->network.gateway).c_str(), macText(found->network.mac).c_str());
            } else {
                lastReason = std::get<std::string>(answer);
            }
            if (Clock::now() >= until || !pause(m_options.pollIntervalMs)) {
                break;
            }
        }
        fail(strprintf("not seen at %s with its new settings within %d s (%s)", m_record.panel.c_str(),
                       m_options.waitSeconds, lastReason.c_str()));
        return std::nullopt;
    }

private:
    const CommissionRow& m_row;
    CommissionReport& m_report;
    const CommissionOptions& m_options;
    StopSwitch& m_stop;
    const Clock::time_point m_start;
    std::optional<CommissionRecord> m_earlier;
    CommissionRecord m_record;
    bool m_recorded = false;
    std::string m_reportError;
};

}  // namespace

bool isRowDone(const CommissionReport& report, const SitePanel& row) {
    const CommissionRecord* earlier = report.find(row.name);
    return earlier != nullptr && earlier->done() && earlier->panel == panelAddressText(row.panel);
}

int CommissionSummary::exitStatus() const {
    if (stopped) {
        return 130;
    }
    if (!reportError.empty()) {
        return 1;
    }
    return failed > 0 ? 3 : 0;
}

CommissionSummary runCommission(const std::vector<CommissionRow>& rows, CommissionReport& report,
                                const CommissionOptions& options, StopSwitch& stop) {
    CommissionSummary summary;
    for (const CommissionRow& row : rows) {
        if (isRowDone(report, row.panel)) {
            ++summary.skipped;
            continue;
        }
        if (stop.stopped()) {
            break;
        }
        RowRun run(row, report, options, stop);
        run.run();
        if (run.recorded() && !run.saveReport()) {
            summary.reportError = run.reportError();
            return summary;
        }
        if (!run.reportError().empty()) {
            summary.reportError = run.reportError();
            return summary;
        }
        if (run.recorded() && run.record().done()) {
            ++summary.done;
        } else if (!stop.stopped()) {
            ++summary.failed;
        }
    }
    summary.stopped = stop.stopped();
    return summary;
}

}  // namespace velk
