#include <gtest/gtest.h>

#include "sim/SimulatorArgs.h"

namespace velk::sim {
namespace {

TEST(ArgsTest, DefaultsListenOnLoopback4800) {
    auto parsed = parseSimulatorArguments({});
    ASSERT_TRUE(std::holds_alternative<SimulatorCommandLine>(parsed));
    const SimulatorOptions& options = std::get<SimulatorCommandLine>(parsed).options;
    EXPECT_EQ(options.address, kLoopbackAddress);
    EXPECT_EQ(options.port, 4800);
    EXPECT_TRUE(options.logPath.empty());
    EXPECT_TRUE(options.dropAcks.empty());
    EXPECT_TRUE(options.delayAcksMs.empty());
    EXPECT_EQ(options.closeAfter, 0);
}

TEST(ArgsTest, ReadsEverySwitch) {
    auto parsed =
        parseSimulatorArguments({"--port", "0", "--address", "10.1.2.3", "--log", "x.log", "--drop-ack",
                                 "add", "--delay-ack", "exit=250", "--close-after", "7"});
    ASSERT_TRUE(std::holds_alternative<SimulatorCommandLine>(parsed));
    const SimulatorOptions& options = std::get<SimulatorCommandLine>(parsed).options;
    EXPECT_EQ(options.port, 0);
    EXPECT_EQ(options.address, 0x0A010203u);
    EXPECT_EQ(options.logPath, "x.log");
    EXPECT_EQ(options.dropAcks, std::set<WriteAck>{ACK_ADDED});
    EXPECT_EQ(options.delayAcksMs, (std::map<WriteAck, int>{{ACK_EXITED, 250}}));
    EXPECT_EQ(options.closeAfter, 7);
    EXPECT_FALSE(options.replyFaults.any());
}

TEST(ArgsTest, ReadsTheReplyFaults) {
    auto parsed =
        parseSimulatorArguments({"--reply-bytewise", "--reply-cut", "300", "--reply-join", "3",
                                 "--reply-noise", "--drop-reply", "4", "--fault-pattern", "4294967295"});
    ASSERT_TRUE(std::holds_alternative<SimulatorCommandLine>(parsed));
    const ReplyFaults& faults = std::get<SimulatorCommandLine>(parsed).options.replyFaults;
    EXPECT_TRUE(faults.bytewise);
    EXPECT_EQ(faults.cutMaxMs, 300);
    EXPECT_EQ(faults.join, 3);
    EXPECT_TRUE(faults.noise);
    EXPECT_EQ(faults.dropEvery, 4);
    EXPECT_EQ(faults.pattern, 4294967295u);
}

TEST(ArgsTest, HelpAndVersionTakeNoValue) {
    struct Case {
        std::vector<std::string> args;
        bool help;
        bool version;
    };
    const std::vector<Case> cases = {
        {{"--help"}, true, false},
        {{"-h"}, true, false},
        {{"--version"}, false, true},
        {{"--version", "--port", "5000"}, false, true},
        {{"--port", "5000", "--version"}, false, true},
        {{"--help", "--version"}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        auto parsed = parseSimulatorArguments(c.args);
        ASSERT_TRUE(std::holds_alternative<SimulatorCommandLine>(parsed));
        EXPECT_EQ(std::get<SimulatorCommandLine>(parsed).help, c.help);
        EXPECT_EQ(std::get<SimulatorCommandLine>(parsed).version, c.version);
    }
}

TEST(ArgsTest, RefusesBadValues) {
    const std::vector<std::vector<std::string>> bad = {
        {"--port"},
        {"--port", "65536"},
        {"--port", "-1"},
        {"--port", "80x"},
        {"--address", "1.2.3"},
        {"--drop-ack", "all"},
        {"--delay-ack", "clr"},
        {"--delay-ack", "clr=-5"},
        {"--close-after", "0"},
        {"--close-after", "many"},
        {"--reply-cut", "-1"},
        {"--reply-join", "1"},
        {"--reply-join", "11"},
        {"--drop-reply", "0"},
        {"--fault-pattern", "4294967296"},
        {"--log", ""},
        {"--verbose", "1"},
        {"--versions"},
        {"--port", "--version"},
    };
    for (const auto& args : bad) {
        SCOPED_TRACE(args.size() > 1 ? args[0] + " " + args[1] : args[0]);
        EXPECT_TRUE(std::holds_alternative<std::string>(parseSimulatorArguments(args)));
    }
}

// The message names what is wrong: an option it does not know is unknown, not short of a value.
TEST(ArgsTest, NamesTheUnknownOptionAndTheOneWithoutValue) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--bogus"}, "unknown option --bogus"},      {{"--port", "1", "--bogus"}, "unknown option --bogus"},
        {{"--bogus", "1"}, "unknown option --bogus"}, {{"--port"}, "--port needs a value"},
        {{"--panels"}, "--panels needs a value"},     {{"--close-after"}, "--close-after needs a value"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(message);
        auto parsed = parseSimulatorArguments(args);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed));
        EXPECT_EQ(std::get<std::string>(parsed), message);
    }
}

}  // namespace
}  // namespace velk::sim

namespace velk::sim {
namespace {

SimulatorCommandLine commandLine(const std::vector<std::string>& args) {
    auto parsed = parseSimulatorArguments(args);
    EXPECT_TRUE(std::holds_alternative<SimulatorCommandLine>(parsed))
        << (std::holds_alternative<std::string>(parsed) ? std::get<std::string>(parsed) : "");
    return std::holds_alternative<SimulatorCommandLine>(parsed) ? std::get<SimulatorCommandLine>(parsed)
                                                                : SimulatorCommandLine{};
}

TEST(ArgsTest, FaultsMayNameOnePanel) {
    const SimulatorCommandLine line =
        commandLine({"--panels", "5", "--port", "4800", "--log", "logs", "--drop-ack", "exit@4802",
                     "--close-after", "7@+3", "--delay-ack", "add=300", "--delay-ack", "add=900@4804"});
    EXPECT_EQ(line.panels, 5);
    const SimulatorOptions first = panelOptions(line, 4800, 0);
    EXPECT_EQ(first.port, 4800);
    EXPECT_TRUE(first.dropAcks.empty());
    EXPECT_EQ(first.closeAfter, 0);
    EXPECT_EQ(first.delayAcksMs, (std::map<WriteAck, int>{{ACK_ADDED, 300}}));
    EXPECT_EQ(first.logPath, "logs/4800.log");
    EXPECT_EQ(panelOptions(line, 4800, 2).dropAcks, std::set<WriteAck>{ACK_EXITED});
    EXPECT_EQ(panelOptions(line, 4800, 3).closeAfter, 7);
    EXPECT_TRUE(panelOptions(line, 4800, 3).dropAcks.empty());
    EXPECT_EQ(panelOptions(line, 4800, 4).delayAcksMs, (std::map<WriteAck, int>{{ACK_ADDED, 900}}));
    EXPECT_EQ(panelOptions(line, 4800, 4).logPath, "logs/4804.log");
}

TEST(ArgsTest, OnePanelKeepsItsLogFileAndTakesFaultsForItsPort) {
    const SimulatorCommandLine line =
        commandLine({"--port", "4801", "--log", "x.log", "--drop-ack", "clr@4801"});
    EXPECT_EQ(line.panels, 1);
    const SimulatorOptions options = panelOptions(line, 4801, 0);
    EXPECT_EQ(options.logPath, "x.log");
    EXPECT_EQ(options.dropAcks, std::set<WriteAck>{ACK_CLEARED});
    // With --port 0 the panel is named by its place.
    EXPECT_EQ(panelOptions(commandLine({"--port", "0", "--close-after", "3@+0"}), 0, 0).closeAfter, 3);
}

TEST(ArgsTest, AddressStepGivesEachPanelTheNextAddressAndOnePort) {
    const SimulatorCommandLine line = commandLine({"--panels", "300", "--address-step", "--address",
                                                   "127.0.0.2", "--log", "logs", "--drop-ack", "exit@+299"});
    EXPECT_TRUE(line.addressStep);
    const SimulatorOptions first = panelOptions(line, 4800, 0);
    const SimulatorOptions last = panelOptions(line, 4800, 299);
    EXPECT_EQ(first.address, 0x7F000002u);
    EXPECT_EQ(last.address, 0x7F00012Du);  // 127.0.1.45
    EXPECT_EQ(first.port, 4800);
    EXPECT_EQ(last.port, 4800);
    EXPECT_EQ(first.network.ip, first.address);
    EXPECT_EQ(last.network.ip, last.address);
    EXPECT_NE(first.network.mac, last.network.mac);
    EXPECT_NE(panelOptions(line, 4800, 255).network.mac, first.network.mac);
    EXPECT_EQ(first.logPath, "logs/127.0.0.2.log");
    EXPECT_EQ(last.logPath, "logs/127.0.1.45.log");
    EXPECT_TRUE(first.dropAcks.empty());
    EXPECT_EQ(last.dropAcks, std::set<WriteAck>{ACK_EXITED});
    // Without the step the panels keep the address and report the factory one.
    const SimulatorOptions plain = panelOptions(commandLine({"--panels", "2"}), 4800, 1);
    EXPECT_EQ(plain.address, kLoopbackAddress);
    EXPECT_EQ(plain.network.ip, PanelNetwork{}.ip);
}

TEST(ArgsTest, RefusesFaultsForPanelsNotServed) {
    const std::vector<std::vector<std::string>> bad = {
        {"--panels", "0"},
        {"--panels", "1001"},
        {"--panels", "many"},
        {"--panels", "10", "--port", "65530"},
        {"--drop-ack", "exit@"},
        {"--drop-ack", "exit@99999"},
        {"--drop-ack", "exit@4801"},
        {"--panels", "5", "--drop-ack", "exit@+5"},
        {"--panels", "5", "--port", "0", "--drop-ack", "exit@4800"},
        {"--panels", "5", "--port", "4800", "--close-after", "2@4805"},
        {"--panels", "5", "--close-after", "0@+1"},
        {"--delay-ack", "add@4800"},
        {"--delay-ack", "add=5@+x"},
        {"--panels", "3", "--address-step", "--address", "255.255.255.254"},
        {"--panels", "3", "--address-step", "--port", "4800", "--drop-ack", "exit@4800"},
    };
    for (const auto& args : bad) {
        std::string shown;
        for (const std::string& arg : args) {
            shown += arg + " ";
        }
        SCOPED_TRACE(shown);
        EXPECT_TRUE(std::holds_alternative<std::string>(parseSimulatorArguments(args)));
    }
}

}  // namespace
}  // namespace velk::sim
