#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "device/PanelAddress.h"

namespace velk {

// One panel of a site: its name (also the file name of its read-back copy, NAME.db), its address
// and the project it is given.
struct SitePanel {
    std::string name;
    PanelAddress panel;
    std::string project;  // path of its project file
    int line = 0;         // where it stands in the site file; 0 when given on the command line
    // The rest of the panel's network settings, for commissioning; left out, the panel keeps its own.
    std::optional<uint32_t> mask;
    std::optional<uint32_t> gateway;
    std::optional<std::array<uint8_t, 6>> mac;
};

// The longest panel name, in bytes: NAME.db and its temporary copy stay well inside a file name.
constexpr size_t kMaxPanelNameBytes = 100;

// Reads a site file: a CSV header row naming the columns name, panel and project (in any order),
// and optionally mask, gateway and mac (the settings commissioning gives a panel besides its
// address; an empty cell leaves the panel's own), then one row per panel. The project cell is a path relative
// to siteFolder; an empty one means defaultProject (the one given on the command line; empty when none was).
// Every message names the line and the column it is about: "line 4, column 2 (panel): wants IP[:PORT], not
// '10.0.0'".
std::variant<std::vector<SitePanel>, std::string> parseSite(std::string_view text,
                                                            const std::string& siteFolder,
                                                            const std::string& defaultProject);

// The same for the file at path; messages begin with the path ("site.csv: line 4, ...").
std::variant<std::vector<SitePanel>, std::string> loadSiteFile(const std::string& path,
                                                               const std::string& defaultProject);

// Why name cannot name a panel (it becomes the file name NAME.db on any common file system), or
// nothing when it can.
std::optional<std::string> panelNameProblem(std::string_view name);

// Panels given as addresses on the command line, each named by its address, all with project.
// A message when an address is given twice.
std::variant<std::vector<SitePanel>, std::string> panelsOfAddresses(const std::vector<PanelAddress>& panels,
                                                                    const std::string& project);

}  // namespace velk
