#include "sim/SimulatorArgs.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "device/PanelAddress.h"
#include "model/StrPrintf.h"

namespace velk::sim {

namespace {

// The help text, with the default port filled in.
const char* const kUsageFormat =
    "usage: velk-panel-sim [--port N] [--address A.B.C.D] [--log FILE]\n"
    "                      [--drop-ack clr|add|exit] [--delay-ack clr|add|exit=MS] [--close-after N]\n"
    "       velk-panel-sim --panels N [--port BASE] [--log DIR] [FAULT[@PORT|@+K]]...\n"
    "       velk-panel-sim --help | --version\n"
    "  --port N         port to listen on (default %u; 0 picks a free port)\n"
    "  --address A      address to listen on (default 127.0.0.1)\n"
    "  --log FILE       write every received command to FILE, one per line\n"
    "  --drop-ack X     never send the clr, add or exit acknowledgement\n"
    "  --delay-ack X=MS send that acknowledgement MS milliseconds late\n"
    "  --close-after N  close each connection after N commands\n"
    "  --panels N       serve N panels, each with its own state, on ports BASE..BASE+N-1\n"
    "                   (--port 0 picks free ones); --log DIR then writes DIR/PORT.log,\n"
    "                   and a fault ending in @PORT or @+K (the panel at BASE+K) is that\n"
    "                   panel's alone\n"
    "  --help           print this help and exit\n"
    "  --version        print the version and exit\n";

bool readInt(const std::string& text, long long low, long long high, long long& value) {
    const char* end = text.data() + text.size();
    auto [last, status] = std::from_chars(text.data(), end, value);
    return status == std::errc() && last == end && value >= low && value <= high;
}

bool ackOf(const std::string& word, WriteAck& ack) {
    if (word == "clr") {
        ack = ACK_CLEARED;
    } else if (word == "add") {
        ack = ACK_ADDED;
    } else if (word == "exit") {
        ack = ACK_EXITED;
    } else {
        return false;
    }
    return true;
}

// Splits "VALUE@PORT" or "VALUE@+K" into the value and the panel it names.
bool splitPanel(const std::string& text, std::string& value, std::optional<PanelFault>& panel) {
    size_t at = text.rfind('@');
    value = text.substr(0, at);
    if (at == std::string::npos) {
        return true;
    }
    std::string target = text.substr(at + 1);
    PanelFault fault;
    fault.relative = !target.empty() && target[0] == '+';
    long long number = 0;
    if (!readInt(fault.relative ? target.substr(1) : target, fault.relative ? 0 : 1,
                 fault.relative ? kMaxPanels - 1 : 65535, number)) {
        return false;
    }
    fault.panel = static_cast<int>(number);
    panel = fault;
    return true;
}

void applyFault(const PanelFault& fault, SimulatorOptions& options) {
    switch (fault.kind) {
        case PanelFault::DropAck:
            options.dropAcks.insert(fault.ack);
            break;
        case PanelFault::DelayAck:
            options.delayAcksMs[fault.ack] = fault.value;
            break;
        case PanelFault::CloseAfter:
            options.closeAfter = fault.value;
            break;
    }
}

// Reads one fault switch; a message when its value is wrong.
std::optional<std::string> readFault(const std::string& name, const std::string& text,
                                     SimulatorCommandLine& line) {
    std::string value;
    std::optional<PanelFault> panel;
    const bool split = splitPanel(text, value, panel);
    PanelFault fault;
    long long number = 0;
    if (name == "--drop-ack") {
        fault.kind = PanelFault::DropAck;
        if (!split || !ackOf(value, fault.ack)) {
            return strprintf("--drop-ack: %s is not clr, add or exit (with @PORT or @+K for one panel)",
                             text.c_str());
        }
    } else if (name == "--delay-ack") {
        fault.kind = PanelFault::DelayAck;
        size_t equals = value.find('=');
        if (!split || equals == std::string::npos || !ackOf(value.substr(0, equals), fault.ack) ||
            !readInt(value.substr(equals + 1), 0, 3600000, number)) {
            return strprintf("--delay-ack: %s is not clr, add or exit followed by =MS (and @PORT or @+K)",
                             text.c_str());
        }
        fault.value = static_cast<int>(number);
    } else {
        fault.kind = PanelFault::CloseAfter;
        if (!split || !readInt(value, 1, 1000000000, number)) {
            return strprintf("--close-after: %s is no positive count (with @PORT or @+K for one panel)",
                             text.c_str());
        }
        fault.value = static_cast<int>(number);
    }
    if (!panel) {
        applyFault(fault, line.options);
        return std::nullopt;
    }
    fault.relative = panel->relative;
    fault.panel = panel->panel;
    line.panelFaults.push_back(fault);
    return std::nullopt;
}

// Every fault that names a panel must name one that is served.
std::optional<std::string> checkPanelFaults(const SimulatorCommandLine& line) {
    const int base = line.options.port;
    for (const PanelFault& fault : line.panelFaults) {
        if (fault.relative) {
            if (fault.panel >= line.panels) {
                return strprintf("@+%d names no panel: there are %d (@+0 to @+%d)", fault.panel, line.panels,
                                 line.panels - 1);
            }
        } else if (base == 0) {
            return strprintf("@%d: --port 0 picks the ports, so name the panel as @+K", fault.panel);
        } else if (fault.panel < base || fault.panel >= base + line.panels) {
            return line.panels == 1 ? strprintf("@%d is not the port served (%d)", fault.panel, base)
                                    : strprintf("@%d is not one of the ports served (%d to %d)", fault.panel,
                                                base, base + line.panels - 1);
        }
    }
    return std::nullopt;
}

// The options that take a value; the last word of a command line is named as unknown unless it is one.
bool isValueOption(const std::string& name) {
    static const char* const kNames[] = {"--port",      "--address",     "--log",   "--drop-ack",
                                         "--delay-ack", "--close-after", "--panels"};
    return std::any_of(std::begin(kNames), std::end(kNames),
                       [&](const char* known) { return name == known; });
}

}  // namespace

std::string simulatorUsage() {
    return strprintf(kUsageFormat, static_cast<unsigned>(kDefaultPanelPort));
}

std::variant<SimulatorCommandLine, std::string> parseSimulatorArguments(
    const std::vector<std::string>& args) {
    SimulatorCommandLine line;
    SimulatorOptions& options = line.options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            line.help = true;
            continue;
        }
        if (name == "--version") {
            line.version = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            return isValueOption(name) ? strprintf("%s needs a value", name.c_str())
                                       : strprintf("unknown option %s", name.c_str());
        }
        const std::string& value = args[++i];
        long long number = 0;
        if (name == "--port") {
            if (!readInt(value, 0, 65535, number)) {
                return strprintf("--port: %s is no port number (0 to 65535)", value.c_str());
            }
            options.port = static_cast<uint16_t>(number);
        } else if (name == "--address") {
            if (!parseDottedAddress(value, options.address)) {
                return strprintf("--address: %s is no IPv4 address", value.c_str());
            }
        } else if (name == "--log") {
            if (value.empty()) {
                return std::string("--log needs a file name");
            }
            options.logPath = value;
        } else if (name == "--drop-ack" || name == "--delay-ack" || name == "--close-after") {
            if (std::optional<std::string> message = readFault(name, value, line)) {
                return *message;
            }
        } else if (name == "--panels") {
            if (!readInt(value, 1, kMaxPanels, number)) {
                return strprintf("--panels: %s is no count of panels (1 to %d)", value.c_str(), kMaxPanels);
            }
            line.panels = static_cast<int>(number);
        } else {
            return strprintf("unknown option %s", name.c_str());
        }
    }
    if (options.port != 0 && options.port + line.panels - 1 > 65535) {
        return strprintf("--panels: %d panels from port %d go past port 65535", line.panels, options.port);
    }
    if (std::optional<std::string> message = checkPanelFaults(line)) {
        return *message;
    }
    return line;
}

SimulatorOptions panelOptions(const SimulatorCommandLine& line, uint16_t basePort, int index) {
    SimulatorOptions options = line.options;
    const int port = basePort + index;
    options.port = static_cast<uint16_t>(port);
    for (const PanelFault& fault : line.panelFaults) {
        if ((fault.relative && fault.panel == index) || (!fault.relative && fault.panel == port)) {
            applyFault(fault, options);
        }
    }
    if (line.panels > 1 && !line.options.logPath.empty()) {
        options.logPath = line.options.logPath + strprintf("/%d.log", port);
    }
    return options;
}

}  // namespace velk::sim
