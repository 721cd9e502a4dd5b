#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/PanelAddress.h"
#include "site/ScanRange.h"

namespace CLI {
class App;
}  // namespace CLI

// The arguments several subcommands share, each checked while the command line is parsed so a
// wrong one ends velkctl with a clear message and status 1 before anything runs.
namespace velk::cli {

// The required FILE argument: a project file, not empty.
void addProjectFile(CLI::App& command, std::string& file);

// FILE when it may be left out (a site file names the projects); not empty when given.
void addOptionalProjectFile(CLI::App& command, std::string& file);

// --panel IP[:PORT]; the default panel when not given.
void addPanelOption(CLI::App& command, PanelAddress& panel);

// --name IP[:PORT], a panel's address other than the one a command talks to (commission --from).
void addPanelAddressOption(CLI::App& command, const char* name, const std::string& description,
                           PanelAddress& panel);

// --panel IP[:PORT], as often as given, each kept in order.
void addPanelsOption(CLI::App& command, std::vector<PanelAddress>& panels, const std::string& description);

// The helpers below are the only places that include CLI11: its header alone takes seconds to
// compile, so the subcommand files describe their arguments through them.

// A required positional argument, such as FILE.
void addRequiredArgument(CLI::App& command, const char* name, std::string& value,
                         const std::string& description);

// An option that takes a text ("-o,--output"), shown with typeName in the help.
void addTextOption(CLI::App& command, const char* names, std::string& value, const std::string& description,
                   const char* typeName);

// A flag such as --force.
void addFlag(CLI::App& command, const char* name, bool& value, const char* description);

// A whole number option: --name N, at least low; given, when there, is set once the option is used.
void addCountOption(CLI::App& command, const char* name, const char* description, int low, int& value,
                    bool* given = nullptr);

// A whole number option --name from low to high, shown with typeName in the help ("MS", "N").
void addBoundedOption(CLI::App& command, const char* name, const char* description, const char* typeName,
                      int low, int high, int& value);

// The required RANGE... arguments of a scan: addresses and CIDR blocks, each checked.
void addScanRanges(CLI::App& command, std::vector<AddressRange>& ranges);

// FILE and --panel, for the subcommands that bring a project to one panel.
struct ProjectAndPanel {
    std::string file;
    PanelAddress panel;
};

// --name A.B.C.D
void addAddressOption(CLI::App& command, const char* name, const char* description,
                      std::optional<uint32_t>& address);

// --mac XX.XX.XX.XX.XX.XX (also with "-" or ":"), as the texts of the dialog's six MAC edits.
void addMacOption(CLI::App& command, std::optional<std::array<std::string, 6>>& mac);

}  // namespace velk::cli
