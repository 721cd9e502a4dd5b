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
    "                      [--reply-bytewise] [--reply-cut MS] [--reply-join N] [--reply-noise]\n"
    "                      [--drop-reply N] [--fault-pattern N]\n"
    "       velk-panel-sim --panels N [--port BASE] [--log DIR] [FAULT[@PORT|@+K]]...\n"
    "       velk-panel-sim --panels N --address-step [--address FIRST] [--port N] [FAULT[@+K]]...\n"
    "       velk-panel-sim --factory N [--restart-ms MS] [--port N] [--address A.B.C.D] [--log DIR]\n"
    "       velk-panel-sim --help | --version\n"
    "  --port N         port to listen on (default %u; 0 picks a free port)\n"
    "  --address A      address to listen on (default 127.0.0.1)\n"
    "  --log FILE       write every received command to FILE, one per line\n"
    "  --drop-ack X     never send the clr, add or exit acknowledgement\n"
    "  --delay-ack X=MS send that acknowledgement MS milliseconds late\n"
    "  --close-after N  close each connection after N commands\n"
    "  --reply-bytewise send every reply one byte at a time, 1 ms apart\n"
    "  --reply-cut MS   cut every reply in two at a random place; the second piece\n"
    "                   follows 0 to MS milliseconds after the first\n"
    "  --reply-join N   send N replies (2 to 10) together in one send; a reply waits\n"
    "                   at most 250 ms for the others to join it\n"
    "  --reply-noise    put 1 to 4 random bytes, one of them a control byte, in front\n"
    "                   of every reply, in the same send\n"
    "  --drop-reply N   never send every Nth reply of a connection\n"
    "  --fault-pattern N  which random cuts and noise; the same N repeats them\n"
    "                   (default: new ones each run)\n"
    "  --panels N       serve N panels, each with its own state, on ports BASE..BASE+N-1\n"
    "                   (--port 0 picks free ones); --log DIR then writes DIR/PORT.log,\n"
    "                   and a fault ending in @PORT or @+K (the panel at BASE+K) is that\n"
    "                   panel's alone\n"
    "  --address-step   with --panels, put the panels on the addresses FIRST..FIRST+N-1\n"
    "                   with one port; each reports its own address and MAC, and\n"
    "                   --log DIR writes DIR/ADDRESS.log\n"
    "  --factory N      serve N panels from the box one after another at the address and\n"
    "                   port: each reports the factory settings and a MAC of its own, and\n"
    "                   once given a new IP restarts at that address (127.x.x.x) keeping\n"
    "                   its state; then the next appears. --log DIR writes DIR/boxK.log,\n"
    "                   a fault ending in @+K is box K+1's alone\n"
    "  --restart-ms MS  how long a panel from the box takes to restart (default 1000)\n"
    "  --state DIR      after every completed write, write what each panel holds as a\n"
    "                   project text, DIR/ADDRESS_PORT.toml\n"
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
        } else if (line.addressStep) {
            return strprintf("@%d: the panels share one port with --address-step, so name the panel as @+K",
                             fault.panel);
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

// --factory, --restart-ms and --state; nothing when name is none of them, else whether it was read
// (a message when its value is wrong).
std::optional<std::optional<std::string>> readBoxOption(const std::string& name, const std::string& value,
                                                        SimulatorCommandLine& line) {
    long long number = 0;
    if (name == "--factory") {
        if (!readInt(value, 1, kMaxPanels, number)) {
            return strprintf("--factory: %s is no count of panels (1 to %d)", value.c_str(), kMaxPanels);
        }
        line.factory = static_cast<int>(number);
    } else if (name == "--restart-ms") {
        if (!readInt(value, 0, 600000, number)) {
            return strprintf("--restart-ms: %s is no time in milliseconds (0 to 600000)", value.c_str());
        }
        line.restartMs = static_cast<int>(number);
    } else if (name == "--state") {
        if (value.empty()) {
            return std::optional<std::string>("--state needs a folder");
        }
        line.options.stateFolder = value;
    } else {
        return std::nullopt;
    }
    return std::optional<std::string>();
}

// The boxes share one address and port, so a fault names a box by its place in the line.
std::optional<std::string> checkFactory(const SimulatorCommandLine& line) {
    if (line.factory == 0) {
        return std::nullopt;
    }
    if (line.panels > 1) {
        return std::string("--factory and --panels do not go together");
    }
    for (const PanelFault& fault : line.panelFaults) {
        if (!fault.relative) {
            return strprintf("@%d: the panels from the box share one port, so name one as @+K", fault.panel);
        }
        if (fault.panel >= line.factory) {
            return strprintf("@+%d names no panel: there are %d (@+0 to @+%d)", fault.panel, line.factory,
                             line.factory - 1);
        }
    }
    return std::nullopt;
}

// The options that take a value; the last word of a command line is named as unknown unless it is one.
bool isValueOption(const std::string& name) {
    static const char* const kNames[] = {"--port",       "--address",     "--log",           "--drop-ack",
                                         "--delay-ack",  "--close-after", "--panels",        "--reply-cut",
                                         "--reply-join", "--drop-reply",  "--fault-pattern", "--factory",
                                         "--restart-ms", "--state"};
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
        if (name == "--reply-bytewise") {
            options.replyFaults.bytewise = true;
            continue;
        }
        if (name == "--reply-noise") {
            options.replyFaults.noise = true;
            continue;
        }
        if (name == "--address-step") {
            line.addressStep = true;
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
        } else if (name == "--reply-cut") {
            if (!readInt(value, 0, 3600000, number)) {
                return strprintf("--reply-cut: %s is no count of milliseconds", value.c_str());
            }
            options.replyFaults.cutMaxMs = static_cast<int>(number);
        } else if (name == "--reply-join") {
            if (!readInt(value, 2, 10, number)) {
                return strprintf("--reply-join: %s is no count of replies (2 to 10)", value.c_str());
            }
            options.replyFaults.join = static_cast<int>(number);
        } else if (name == "--drop-reply") {
            if (!readInt(value, 1, 1000000000, number)) {
                return strprintf("--drop-reply: %s is no positive count", value.c_str());
            }
            options.replyFaults.dropEvery = static_cast<int>(number);
        } else if (name == "--fault-pattern") {
            if (!readInt(value, 0, 4294967295LL, number)) {
                return strprintf("--fault-pattern: %s is no pattern number (0 to 4294967295)", value.c_str());
            }
            options.replyFaults.pattern = static_cast<uint32_t>(number);
        } else if (auto box = readBoxOption(name, value, line)) {
            if (*box) {
                return **box;
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
    if (line.addressStep) {
        if (static_cast<uint64_t>(options.address) + static_cast<uint64_t>(line.panels) - 1 > 0xFFFFFFFFu) {
            return strprintf("--address-step: %d panels from %s go past 255.255.255.255", line.panels,
                             dottedAddress(options.address).c_str());
        }
    } else if (options.port != 0 && options.port + line.panels - 1 > 65535) {
        return strprintf("--panels: %d panels from port %d go past port 65535", line.panels, options.port);
    }
    if (std::optional<std::string> message = line.factory > 0 ? checkFactory(line) : checkPanelFaults(line)) {
        return *message;
    }
    return line;
}

SimulatorOptions panelOptions(const SimulatorCommandLine& line, uint16_t basePort, int index) {
    SimulatorOptions options = line.options;
    const int port = line.addressStep ? basePort : basePort + index;
    options.port = static_cast<uint16_t>(port);
    if (line.addressStep) {
        options.address = line.options.address + static_cast<uint32_t>(index);
        // A scan tells the panels apart by what they report: their own address and MAC.
        options.network.ip = options.address;
        options.network.mac[4] = static_cast<uint8_t>(index >> 8);
        options.network.mac[5] = static_cast<uint8_t>(index);
    }
    for (const PanelFault& fault : line.panelFaults) {
        if ((fault.relative && fault.panel == index) || (!fault.relative && fault.panel == port)) {
            applyFault(fault, options);
        }
    }
    if (line.panels > 1 && !line.options.logPath.empty()) {
        options.logPath = line.options.logPath +
                          (line.addressStep ? strprintf("/%s.log", dottedAddress(options.address).c_str())
                                            : strprintf("/%d.log", port));
    }
    return options;
}

}  // namespace velk::sim
