#pragma once

#include <string>
#include <vector>

#include "device/WritePlan.h"
#include "site/SiteRun.h"

namespace velk {

// The job that writes panel i of targets alone (a SiteWriteLoop of one panel): its own connection
// and write sequence, the same plan and pacing as a single write, again from the start when
// retried.
SiteRun::PanelJob siteWriteJob(const std::vector<SiteTarget>& targets, const SiteRunOptions& options,
                               ProgressBoard& board, StopSwitch& stop);

// Why a write timed out, from the plan and how many of its commands had been handed over: "no
// answer to the clear command within 15 s", "no answer to the header of 按键1 按下 within 10 s".
std::string timeoutReason(const std::vector<WriteStep>& plan, size_t commandsSent);

// A connection failure as an installer reads it: "connect: Connection refused" becomes
// "connection refused".
std::string connectFailureReason(const std::string& linkError);

}  // namespace velk
