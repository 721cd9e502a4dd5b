#include "sim/SimulatorArgs.h"

#include <charconv>

#include "device/PanelAddress.h"
#include "model/StrPrintf.h"

namespace velk::sim {

const char* const kSimulatorUsage =
    "usage: velk-panel-sim [--port N] [--address A.B.C.D] [--log FILE]\n"
    "                      [--drop-ack clr|add|exit] [--delay-ack clr|add|exit=MS] [--close-after N]\n"
    "       velk-panel-sim --help | --version\n"
    "  --port N         port to listen on (default 4800; 0 picks a free port)\n"
    "  --address A      address to listen on (default 127.0.0.1)\n"
    "  --log FILE       write every received command to FILE, one per line\n"
    "  --drop-ack X     never send the clr, add or exit acknowledgement\n"
    "  --delay-ack X=MS send that acknowledgement MS milliseconds late\n"
    "  --close-after N  close each connection after N commands\n"
    "  --help           print this help and exit\n"
    "  --version        print the version and exit\n";

namespace {

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

}  // namespace

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
            return strprintf("%s needs a value", name.c_str());
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
        } else if (name == "--drop-ack") {
            WriteAck ack = ACK_NONE;
            if (!ackOf(value, ack)) {
                return strprintf("--drop-ack: %s is not clr, add or exit", value.c_str());
            }
            options.dropAcks.insert(ack);
        } else if (name == "--delay-ack") {
            size_t equals = value.find('=');
            WriteAck ack = ACK_NONE;
            if (equals == std::string::npos || !ackOf(value.substr(0, equals), ack) ||
                !readInt(value.substr(equals + 1), 0, 3600000, number)) {
                return strprintf("--delay-ack: %s is not clr, add or exit followed by =MS", value.c_str());
            }
            options.delayAcksMs[ack] = static_cast<int>(number);
        } else if (name == "--close-after") {
            if (!readInt(value, 1, 1000000000, number)) {
                return strprintf("--close-after: %s is no positive count", value.c_str());
            }
            options.closeAfter = static_cast<int>(number);
        } else {
            return strprintf("unknown option %s", name.c_str());
        }
    }
    return line;
}

}  // namespace velk::sim
