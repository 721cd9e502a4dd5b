#include "cli/Arguments.h"

#include <CLI/CLI.hpp>

namespace velk::cli {

namespace {

CLI::Option* addFileArgument(CLI::App& command, std::string& file) {
    return command.add_option("FILE", file, "The project file")
        ->type_name("")
        ->check(CLI::Validator(
            [](std::string& text) {
                return text.empty() ? std::string("the file name is empty") : std::string();
            },
            ""));
}

}  // namespace

void addProjectFile(CLI::App& command, std::string& file) {
    addFileArgument(command, file)->required();
}

void addOptionalProjectFile(CLI::App& command, std::string& file) {
    addFileArgument(command, file);
}

void addPanelOption(CLI::App& command, PanelAddress& panel) {
    addPanelAddressOption(command, "panel",
                          "The panel's address (default " + panelAddressText(PanelAddress{}) + ")", panel);
}

void addPanelAddressOption(CLI::App& command, const char* name, const std::string& description,
                           PanelAddress& panel) {
    command
        .add_option_function<std::string>(
            std::string("--") + name, [&panel](const std::string& text) { panel = *parsePanelAddress(text); },
            description)
        ->type_name("IP[:PORT]")
        ->check(CLI::Validator(
            [](std::string& text) {
                return parsePanelAddress(text) ? std::string() : "wants IP[:PORT], not '" + text + "'";
            },
            ""));
}

void addPanelsOption(CLI::App& command, std::vector<PanelAddress>& panels, const std::string& description) {
    command
        .add_option_function<std::vector<std::string>>(
            "--panel",
            [&panels](const std::vector<std::string>& texts) {
                for (const std::string& text : texts) {
                    panels.push_back(*parsePanelAddress(text));
                }
            },
            description)
        ->type_name("IP[:PORT]")
        ->allow_extra_args(false)
        ->check(CLI::Validator(
            [](std::string& text) {
                return parsePanelAddress(text) ? std::string() : "wants IP[:PORT], not '" + text + "'";
            },
            ""));
}

void addRequiredArgument(CLI::App& command, const char* name, std::string& value,
                         const std::string& description) {
    command.add_option(name, value, description)->required()->type_name("");
}

void addTextOption(CLI::App& command, const char* names, std::string& value, const std::string& description,
                   const char* typeName) {
    command.add_option(names, value, description)->type_name(typeName);
}

void addFlag(CLI::App& command, const char* name, bool& value, const char* description) {
    command.add_flag(name, value, description);
}

void addCountOption(CLI::App& command, const char* name, const char* description, int low, int& value,
                    bool* given) {
    CLI::Option* option = command.add_option(std::string("--") + name, value, description)
                              ->type_name("N")
                              ->check(CLI::Range(low, 1000000));
    if (given != nullptr) {
        option->each([given](const std::string&) { *given = true; });
    }
}

void addBoundedOption(CLI::App& command, const char* name, const char* description, const char* typeName,
                      int low, int high, int& value) {
    command.add_option(std::string("--") + name, value, description)
        ->type_name(typeName)
        ->check(CLI::Range(low, high));
}

void addScanRanges(CLI::App& command, std::vector<AddressRange>& ranges) {
    command
        .add_option_function<std::vector<std::string>>(
            "RANGE",
            [&ranges](const std::vector<std::string>& texts) {
                for (const std::string& text : texts) {
                    ranges.push_back(std::get<AddressRange>(parseScanRange(text)));
                }
            },
            "Addresses to scan: A.B.C.D or a block A.B.C.D/N (N from 16 to 32)")
        ->required()
        ->type_name("")
        ->check(CLI::Validator(
            [](std::string& text) {
                auto parsed = parseScanRange(text);
                const std::string* error = std::get_if<std::string>(&parsed);
                return error == nullptr ? std::string() : *error;
            },
            ""));
}

void addAddressOption(CLI::App& command, const char* name, const char* description,
                      std::optional<uint32_t>& address) {
    command
        .add_option_function<std::string>(
            std::string("--") + name,
            [&address](const std::string& text) {
                uint32_t value = 0;
                parseDottedAddress(text, value);
                address = value;
            },
            description)
        ->type_name("A.B.C.D")
        ->check(CLI::Validator(
            [](std::string& text) {
                uint32_t value = 0;
                return parseDottedAddress(text, value) ? std::string()
                                                       : "wants an IPv4 address, not '" + text + "'";
            },
            ""));
}

void addMacOption(CLI::App& command, std::optional<std::array<std::string, 6>>& mac) {
    command
        .add_option_function<std::string>(
            "--mac", [&mac](const std::string& text) { mac = splitMacText(text); },
            "The panel's new MAC address")
        ->type_name("XX.XX.XX.XX.XX.XX")
        ->check(CLI::Validator(
            [](std::string& text) {
                return splitMacText(text) ? std::string()
                                          : "wants six bytes as XX.XX.XX.XX.XX.XX, not '" + text + "'";
            },
            ""));
}

}  // namespace velk::cli
