#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/PanelAddress.h"
#include "model/ConfigModel.h"
#include "site/CommissionReport.h"
#include "site/SiteFile.h"
#include "site/SiteRun.h"
#include "site/StopSwitch.h"

// Commissioning a site from the box: each row's panel is taken from the factory address, given its
// address (and mask, gateway, MAC when the row has them) as the panel network dialog gives them,
// waited for at its new address and written its project with the single write. The report is
// written after every row, so a run that is interrupted or has a failed row resumes where it
// stopped.
namespace velk {

struct CommissionRow {
    SitePanel panel;
    std::shared_ptr<const ConfigModel> model;
};

struct CommissionOptions {
    PanelAddress from;       // where panels from the box answer
    int waitSeconds = 300;   // for a panel at from, and for it at its new address
    std::string reportPath;  // written after every row
    // Tells the installer which row comes next and waits until they are ready; false stops the run.
    // Empty: poll from at once.
    std::function<bool(const std::string& prompt)> askInstaller;
    // One line of progress for the installer.
    std::function<void(const std::string& line)> say;
    int pollIntervalMs = 250;
    int probeTimeoutMs = 2000;  // for one answer to getlan
    SiteRunOptions write;       // the write's options (connect time-out, clock); no retries
};

struct CommissionSummary {
    int done = 0;     // this run
    int skipped = 0;  // done before, by the report
    int failed = 0;
    bool stopped = false;
    std::string reportError;  // the report could not be written: the run ended there

    // 0 every row done, 3 a row failed, 130 interrupted, 1 the report could not be written.
    int exitStatus() const;
};

// Whether the report shows the row done: by its name, at the address the row now gives.
bool isRowDone(const CommissionReport& report, const SitePanel& row);

// Runs every row report does not show as done, in order, updating report (and its file).
CommissionSummary runCommission(const std::vector<CommissionRow>& rows, CommissionReport& report,
                                const CommissionOptions& options, StopSwitch& stop);

}  // namespace velk
