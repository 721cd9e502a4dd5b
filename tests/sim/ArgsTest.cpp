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

}  // namespace
}  // namespace velk::sim
