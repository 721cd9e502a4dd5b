#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/Arguments.h"

#include "device/PanelAddress.h"
#include "site/PanelResult.h"
#include "site/SiteRun.h"

namespace CLI {
class App;
}

// Writing and reading many panels at once: the options write and read share, and the run with its
// display, summary and report.
namespace velk::cli {

struct SiteArguments {
    std::string site;                  // --site SITE.csv
    std::vector<PanelAddress> panels;  // every --panel
    int jobs = kDefaultSiteJobs;
    int retries = 0;
    std::string report;  // --report FILE.json
    std::string into;    // read: --into DIR
    bool force = false;  // read: replace DIR/NAME.db
    bool retryGiven = false;
};

// --panel (repeatable), --site, --jobs, --retry and --report; for a read also --into and --force.
void addSiteOptions(CLI::App& command, SiteArguments& arguments, SiteTask task);

// Whether the command line asks for a site run rather than the single write or read.
bool isSiteRun(const SiteArguments& arguments);

// The command line of write and read: FILE, which a site file makes optional, and the site options.
struct SiteCommandLine {
    std::string file;
    SiteArguments site;
};
void addSiteCommandLine(CLI::App& command, SiteCommandLine& arguments, SiteTask task);

// The site run when the command line asks for one; otherwise single with FILE and the one panel
// given (or the default panel), as before there were sites.
int runSingleOrSite(SiteTask task, const SiteCommandLine& arguments,
                    const std::function<int(const ProjectAndPanel&)>& single);

// Runs the site: every panel concurrently, the progress on standard error, the summary on standard
// output, the report when asked. project is the one given on the command line (may be empty with
// --site). The exit status: the worst single result.
int runSite(SiteTask task, const std::string& project, const SiteArguments& arguments);

}  // namespace velk::cli
