#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "sim/CommandFramer.h"

namespace velk::sim {
namespace {

struct KindCase {
    const char* bytes;
    CommandKind kind;
};

// One example of every command the tool sends, as the builders write them.
const std::vector<KindCase>& everyCommand() {
    static const std::vector<KindCase> cases = {
        {"QM-PANEL-intoEdit", CommandKind::IntoEdit},
        {"QM-PANEL-clrkey-FF", CommandKind::ClearKeys},
        {"QM-PANEL-keyedit-3->addact-onkeyup->", CommandKind::EventHeader},
        {"QM-PANEL-keyedit-10->addact-onkeyhold->", CommandKind::EventHeader},
        {"bindir-1,2-12->", CommandKind::BindIr},
        {"bindio-1,2-0->", CommandKind::BindIo},
        {"bindio-4-turn->", CommandKind::BindIo},
        {"bindrelay-2-turn->", CommandKind::BindRelay},
        {"bindrelay-1,3-off->", CommandKind::BindRelay},
        {"setcode-hex-01 02 ** ** 03", CommandKind::SetCode},
        {"setvoid-01-input-count-3-cut", CommandKind::SetVoid},
        {"setvoid-01-input-click-fill", CommandKind::SetVoid},
        {"setvoid-02-enum3-1-add-loop-save", CommandKind::SetVoid},
        {"setvoid-03-enum1-2-sub-unsave", CommandKind::SetVoid},
        {"setvoid-04-var2--5-100-sub", CommandKind::SetVoid},
        {"setdest-TCP-192.168.1.20-5000", CommandKind::SetDest},
        {"setdest-UDP-2", CommandKind::SetDest},
        {"setdest-232-1-5-8-0-1", CommandKind::SetDest},
        {"setdest-485-9-5-4-2", CommandKind::SetDest},
        {"settime-3000", CommandKind::SetTime},
        {"setmode-add-5000-send-\xc4\xe3\xba\xc3\r\n", CommandKind::SetMode},
        {"QM-PANEL-setenum-2-ascii-ON#OFF", CommandKind::SetEnum},
        {"QM-PANEL-setvar-1-10-0-100-save", CommandKind::SetVar},
        {"QM-PANEL-setvar-3--7--20--1-unsave", CommandKind::SetVar},
        {"QM-PANEL-setser-UDP-1-192.168.1.30-6000", CommandKind::SetSer},
        {"QM-PANEL-exitedit", CommandKind::ExitEdit},
        {"QM-PANEL-getenum-4", CommandKind::GetEnum},
        {"QM-PANEL-getvar-7", CommandKind::GetVar},
        {"QM-PANEL-getser-TCP-3", CommandKind::GetSer},
        {"QM-PANEL-getlan", CommandKind::GetLan},
        {"QM-PANEL-setip-192.168.1.100", CommandKind::SetIp},
        {"QM-PANEL-setsubm-255.255.0.0", CommandKind::SetSubm},
        {"QM-PANEL-setgate-10.0.0.1", CommandKind::SetGate},
        {"QM-PANEL-setmac-0A.1B.2C.3D.4E.5F", CommandKind::SetMac},
        {"QM-PANEL-leairQM-PANEL-sndir-01-05", CommandKind::LearnIr},
    };
    return cases;
}

// Feeds the chunks one by one, taking what each decides, then lets the line go quiet.
std::vector<ParsedCommand> frame(const std::vector<std::string>& chunks) {
    CommandFramer framer;
    std::vector<ParsedCommand> commands;
    for (const std::string& chunk : chunks) {
        framer.feed(chunk);
        while (auto command = framer.next(false)) {
            commands.push_back(*command);
        }
    }
    while (auto command = framer.next(true)) {
        commands.push_back(*command);
    }
    EXPECT_TRUE(framer.empty());
    return commands;
}

std::vector<std::string> bytesOf(const std::vector<ParsedCommand>& commands) {
    std::vector<std::string> bytes;
    for (const auto& command : commands) {
        bytes.push_back(command.bytes);
    }
    return bytes;
}

std::vector<std::string> everyCommandBytes() {
    std::vector<std::string> bytes;
    for (const auto& c : everyCommand()) {
        bytes.emplace_back(c.bytes);
    }
    return bytes;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string all;
    for (const auto& part : parts) {
        all += part;
    }
    return all;
}

TEST(FramerTest, RecognisesEveryCommandOnItsOwn) {
    for (const auto& c : everyCommand()) {
        SCOPED_TRACE(c.bytes);
        std::vector<ParsedCommand> commands = frame({c.bytes});
        ASSERT_EQ(commands.size(), 1u);
        EXPECT_EQ(commands[0].kind, c.kind);
        EXPECT_EQ(commands[0].bytes, c.bytes);
        EXPECT_EQ(parseCommand(c.bytes).kind, c.kind);
    }
}

TEST(FramerTest, ReadsTheFieldsOfACommand) {
    ParsedCommand var = parseCommand("QM-PANEL-setvar-3--7--20--1-unsave");
    EXPECT_EQ(var.numbers, (std::vector<long long>{3, -7, -20, -1}));
    EXPECT_EQ(var.words, (std::vector<std::string>{"unsave"}));

    ParsedCommand ser = parseCommand("QM-PANEL-setser-UDP-1-192.168.1.30-6000");
    EXPECT_EQ(ser.words, (std::vector<std::string>{"UDP"}));
    EXPECT_EQ(ser.numbers, (std::vector<long long>{1, 192, 168, 1, 30, 6000}));

    ParsedCommand enumeration = parseCommand("QM-PANEL-setenum-4-ascii-#X");
    EXPECT_EQ(enumeration.text, "#X");

    ParsedCommand mode = parseCommand("setmode-add-5000-discard-");
    EXPECT_EQ(mode.kind, CommandKind::SetMode);
    EXPECT_EQ(mode.text, "");

    ParsedCommand mac = parseCommand("QM-PANEL-setmac-0A.1B.2C.3D.4E.FF");
    EXPECT_EQ(mac.numbers, (std::vector<long long>{0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0xFF}));
}

TEST(FramerTest, SplitsCommandsJoinedInOneReceive) {
    std::vector<std::string> expected = everyCommandBytes();
    EXPECT_EQ(bytesOf(frame({joined(expected)})), expected);
}

TEST(FramerTest, JoinsCommandsSplitAtEveryByte) {
    std::vector<std::string> expected = everyCommandBytes();
    std::string all = joined(expected);
    std::vector<std::string> bytes;
    for (char c : all) {
        bytes.emplace_back(1, c);
    }
    EXPECT_EQ(bytesOf(frame(bytes)), expected);
}

TEST(FramerTest, SplitAnywhereInTwoGivesTheSameCommands) {
    std::vector<std::string> expected = everyCommandBytes();
    std::string all = joined(expected);
    for (size_t cut = 1; cut < all.size(); ++cut) {
        ASSERT_EQ(bytesOf(frame({all.substr(0, cut), all.substr(cut)})), expected) << "cut at " << cut;
    }
}

TEST(FramerTest, NumberAtTheEndWaitsForMoreDigits) {
    CommandFramer framer;
    framer.feed("QM-PANEL-getenum-1");
    EXPECT_FALSE(framer.next(false));
    framer.feed("0");
    EXPECT_FALSE(framer.next(false));
    std::optional<ParsedCommand> command = framer.next(true);
    ASSERT_TRUE(command);
    EXPECT_EQ(command->bytes, "QM-PANEL-getenum-10");
    EXPECT_EQ(command->numbers, (std::vector<long long>{10}));
}

TEST(FramerTest, FreeTextRunsUpToTheNextCompleteCommand) {
    // "settime-" without digits and "bind" are no commands, so they stay in the text.
    std::vector<ParsedCommand> commands =
        frame({"setcode-ascii-set settime- bind$QM-PANEL-x", "setdest-UDP-3QM-PANEL-exitedit"});
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].text, "set settime- bind$QM-PANEL-x");
    EXPECT_EQ(commands[1].bytes, "setdest-UDP-3");
    EXPECT_EQ(commands[2].kind, CommandKind::ExitEdit);
}

TEST(FramerTest, FreeTextAtTheEndWaitsForTheLineToGoQuiet) {
    CommandFramer framer;
    framer.feed("setcode-ascii-AB***\r\n");
    EXPECT_FALSE(framer.next(false));
    framer.feed("CD");
    EXPECT_FALSE(framer.next(false));
    std::optional<ParsedCommand> command = framer.next(true);
    ASSERT_TRUE(command);
    EXPECT_EQ(command->text, "AB***\r\nCD");
}

TEST(FramerTest, KeyEditWaitsForItsEventPart) {
    CommandFramer framer;
    framer.feed("QM-PANEL-keyedit-2->");
    EXPECT_FALSE(framer.next(false));
    framer.feed("add");
    EXPECT_FALSE(framer.next(false));
    framer.feed("act-onkeydown->");
    std::optional<ParsedCommand> command = framer.next(false);
    ASSERT_TRUE(command);
    EXPECT_EQ(command->kind, CommandKind::EventHeader);
    EXPECT_EQ(command->numbers, (std::vector<long long>{2}));
    EXPECT_EQ(command->words, (std::vector<std::string>{"onkeydown"}));
}

TEST(FramerTest, GarbageBeforeACommandIsOneUnit) {
    std::vector<ParsedCommand> commands = frame({std::string("\x00\xff junk QM-PANEL-", 17), "getlan"});
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].kind, CommandKind::Unknown);
    EXPECT_EQ(commands[0].bytes, std::string("\x00\xff junk ", 8));
    EXPECT_EQ(commands[1].kind, CommandKind::GetLan);
}

TEST(FramerTest, MalformedCommandsAreUnknown) {
    for (const char* bytes : {"QM-PANEL-setvar-1-2-3-4-keep", "bindir-1,2-x->", "QM-PANEL-setmac-0A.1B",
                              "setvoid-01-input-slow-cut", "QM-PANEL-getenum-", "QM-PANEL-nothing",
                              "settime-123456789012345678901234567890"}) {
        SCOPED_TRACE(bytes);
        std::vector<ParsedCommand> commands = frame({bytes});
        ASSERT_FALSE(commands.empty());
        EXPECT_EQ(commands[0].kind, CommandKind::Unknown);
        std::string all;
        for (const auto& c : commands) {
            all += c.bytes;
        }
        EXPECT_EQ(all, bytes);
    }
}

TEST(FramerTest, UnitWithoutEndIsCutAtTheLimit) {
    CommandFramer framer;
    framer.feed(std::string(CommandFramer::kMaxUnit + 10, 'x'));
    std::optional<ParsedCommand> first = framer.next(false);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->bytes.size(), CommandFramer::kMaxUnit);
    EXPECT_FALSE(framer.next(false));
    EXPECT_EQ(framer.pending(), 10u);
}

// Whatever the bytes and however they are cut, every byte ends up in exactly one unit, in order.
TEST(FramerTest, RandomBytesAreAllAccountedFor) {
    static const char* const pieces[] = {"QM-PANEL-",
                                         "setcode-ascii-",
                                         "setcode-hex-",
                                         "bindir-",
                                         "1,2",
                                         "->",
                                         "-",
                                         "12",
                                         "#",
                                         "addact-",
                                         "keyedit-",
                                         "setvoid-01-",
                                         "set",
                                         "QM-PA",
                                         "getenum-",
                                         "leair",
                                         "QM-PANEL-sndir-",
                                         "."};
    std::mt19937 random(20261209);
    for (int round = 0; round < 300; ++round) {
        std::string stream;
        size_t length = random() % 400;
        while (stream.size() < length) {
            if (random() % 3 == 0) {
                stream += pieces[random() % std::size(pieces)];
            } else {
                stream += static_cast<char>(random() % 256);
            }
        }
        std::vector<std::string> chunks;
        for (size_t at = 0; at < stream.size();) {
            size_t size = 1 + random() % 40;
            chunks.push_back(stream.substr(at, size));
            at += size;
        }
        std::string all;
        for (const auto& command : frame(chunks)) {
            ASSERT_FALSE(command.bytes.empty());
            all += command.bytes;
        }
        ASSERT_EQ(all, stream) << "round " << round;
    }
}

}  // namespace
}  // namespace velk::sim
