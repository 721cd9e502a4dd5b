#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "device/ReplyApplier.h"
#include "device/ReplyFramer.h"

namespace velk {
namespace {

const std::string kNetworkLines =
    "QM-PANEL-rtnip-192.168.1.165\r\nQM-PANEL-rtngate-192.168.1.1\r\nQM-PANEL-rtnsubm-255.255.255.0\r\n"
    "QM-PANEL-rtnmac-00.1A.2B.3C.4D.5E\r\nQM-PANEL-rtntport-4800\r\nQM-PANEL-rtnuport-4801\r\n";
// The six lines alone are 168 characters: a panel adds its name to pass 180.
const std::string kNetworkBlock = kNetworkLines + "QM-PANEL-rtnname-velk-panel-sim\r\n";

// The stream's replies, each as "bytes" or "bytes -> problem".
std::vector<std::string> described(const std::vector<FramedReply>& replies) {
    std::vector<std::string> lines;
    for (const FramedReply& reply : replies) {
        lines.push_back(reply.dropped() ? reply.bytes + " -> " + reply.problem : reply.bytes);
    }
    return lines;
}

// Feeds the pieces in turn, then ends the stream as a read's grace period would.
std::vector<FramedReply> framed(const std::vector<std::string>& pieces) {
    ReplyFramer framer;
    std::vector<FramedReply> all;
    for (const std::string& piece : pieces) {
        for (FramedReply& reply : framer.feed(piece)) {
            all.push_back(std::move(reply));
        }
    }
    for (FramedReply& reply : framer.flush()) {
        all.push_back(std::move(reply));
    }
    return all;
}

// What a model holds after the whole replies are applied.
struct Applied {
    ConfigModel model;
    ModelReplyApplier applier{model};

    explicit Applied(const std::vector<FramedReply>& replies) {
        model.reset();
        for (const FramedReply& reply : replies) {
            if (!reply.dropped()) {
                applyReply(reply.reply, applier);
            }
        }
    }
};

const std::vector<std::string> kEveryKind = {
    "QM-PANEL-rtnstate-clr ok 16",
    "QM-PANEL-rtnstate-add ok",
    "QM-PANEL-rtnstate-edit exit",
    "QM-PANEL-rtnvar-2-5-0-10-save",
    "QM-PANEL-rtnvar-1-11--100-1007-UnSave",
    "QM-PANEL-rtnser-UDP-1-192.168.1.30-6000",
    "QM-PANEL-rtnser-TCP-4-10.0.0.1-80",
    "QM-PANEL-rtnenum-3-hex-0a 01#ff",
    "QM-PANEL-rtnenum-1-ascii-abc#def#\xb0\xb4\xbc\xfc",
    "QM-PANEL-rtnenum-4-ascii-",
    kNetworkBlock,
};

// Every reply, cut in two at every place, and one byte at a time, is the reply it is whole,
// and so is the last of several.
TEST(ReplyFramer, AnyCutOfAnyReplyIsReadWhole) {
    for (const std::string& reply : kEveryKind) {
        const auto whole = framed({reply});
        ASSERT_EQ(described(whole), std::vector<std::string>{reply});
        const std::string before = "QM-PANEL-rtnvar-7-1-2-3-save";
        for (size_t cut = 1; cut < reply.size(); ++cut) {
            EXPECT_EQ(described(framed({reply.substr(0, cut), reply.substr(cut)})), described(whole))
                << "cut at " << cut << ": " << reply;
            EXPECT_EQ(described(framed({before + reply.substr(0, cut), reply.substr(cut)})),
                      (std::vector<std::string>{before, reply}))
                << "cut at " << cut << " after another reply: " << reply;
        }
        std::vector<std::string> bytes;
        for (char c : reply) {
            bytes.emplace_back(1, c);
        }
        EXPECT_EQ(described(framed(bytes)), described(whole)) << reply;
    }
}

TEST(ReplyFramer, RepliesJoinedInOneBlockAreAllReadInOrder) {
    std::string stream;
    std::vector<std::string> expected;
    for (const std::string& reply : kEveryKind) {
        stream += reply;
        expected.push_back(reply);
    }
    EXPECT_EQ(described(framed({stream})), expected);
    // Three replies of one send: all three stored.
    Applied applied(
        framed({"QM-PANEL-rtnvar-3-1-2-3007-saveQM-PANEL-rtnvar-4-5-6-7-unsave"
                "QM-PANEL-rtnenum-2-ascii-x#y"}));
    EXPECT_EQ(applied.model.variableAt(2), (Variable{3, 2, 1, 3007, 0}));
    EXPECT_EQ(applied.model.variableAt(3), (Variable{4, 6, 5, 7, 1}));
    EXPECT_EQ(applied.model.enumAt(1).data, (std::vector<std::string>{"x", "y"}));
}

// The faults seen behind a network that re-chunks the panel's replies.
TEST(ReplyFramer, TheFaultsOfAReChunkingNetwork) {
    // A first piece that reads as a reply is not taken before the reply has ended.
    Applied save(framed({"QM-PANEL-rtnvar-1-11--100-1007-sa", "ve"}));
    EXPECT_EQ(save.model.variableAt(0), (Variable{1, -100, 11, 1007, 0}));
    // A value cut at its middle is joined.
    Applied values(framed({"QM-PANEL-rtnenum-1-ascii-abc#de", "f#ghi"}));
    EXPECT_EQ(values.model.enumAt(0).data, (std::vector<std::string>{"abc", "def", "ghi"}));
    // Noise holding control bytes in front of a reply is dropped; noise after one drops it.
    const auto noisy = framed({"\x15\xcaQM-PANEL-rtnenum-2-ascii-abc#def", "\x93\x0f#zz"});
    ASSERT_EQ(noisy.size(), 1u);
    EXPECT_EQ(noisy[0].problem, "holds a control byte");
    EXPECT_EQ(Applied(noisy).model.enumAt(1), Applied(std::vector<FramedReply>{}).model.enumAt(1));
}

TEST(ReplyFramer, NoiseIsNeverJoinedToAValue) {
    struct Case {
        std::vector<std::string> pieces;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        // Noise before: dropped, the reply read.
        {{"\x15\xca", "QM-PANEL-rtnvar-4-1-2-3-save"}, {"QM-PANEL-rtnvar-4-1-2-3-save"}},
        {{"echo\x01QM-PA", "NEL-rtnstate-add ok"}, {"QM-PANEL-rtnstate-add ok"}},
        // Noise glued to the end of a reply: the reply is dropped, the next one read.
        {{"QM-PANEL-rtnvar-4-1-2-3-save\x93\x0f", "QM-PANEL-rtnvar-5-1-2-3-save"},
         {"QM-PANEL-rtnvar-4-1-2-3-save\x93\x0f -> holds a control byte", "QM-PANEL-rtnvar-5-1-2-3-save"}},
        // Bytes that are no GBK text.
        {{"QM-PANEL-rtnenum-1-ascii-\xff\xfe"},
         {"QM-PANEL-rtnenum-1-ascii-\xff\xfe -> holds bytes that are not GBK text"}},
        // A NUL ends nothing: it is a control byte.
        {{std::string("QM-PANEL-rtnvar-4-1-2-3-save\0x", 30)},
         {std::string("QM-PANEL-rtnvar-4-1-2-3-save\0x", 30) + " -> holds a control byte"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(described(framed(c.pieces)), c.expected) << c.pieces.front();
    }
}

TEST(ReplyFramer, RepliesCutShortOrMalformedAreDroppedAndSaySo) {
    const std::pair<std::string, std::string> cases[] = {
        {"QM-PANEL-rtnvar-1-11--100-1007-sa", "save word \"sa\" is neither save nor unsave"},
        {"QM-PANEL-rtnvar-1-11--100-10", "does not match its format"},
        {"QM-PANEL-rtnvar-1-11--100-1007-save!", "does not match its format"},
        {"QM-PANEL-rtnser-UDP-1-192.168.1", "does not match its format"},
        {"QM-PANEL-rtnser-UDX-1-192.168.1.30-6000", "target word \"UDX\" is neither TCP nor UDP"},
        {"QM-PANEL-rtnser-TCP-1-192.168.1.30-6000 ", "does not match its format"},
        {"QM-PANEL-rtnenum-1-asc", "does not match its format"},
        {"QM-PANEL-rtnenum-1-asci-x", "type word \"asci\" is neither hex nor ascii"},
        {"QM-PANEL-rtnenum-1-ascii", "does not match its format"},
        {"QM-PANEL-rtnenum-1-ascii-a#b#c#d#e#f#g#h#i#j#k", "more than ten values"},
        {"QM-PANEL-rtnstate-add o", "no reply velk knows"},
        {kNetworkLines.substr(0, 120), "does not match its format"},
        {kNetworkLines, "network block of 180 characters or fewer"},
    };
    for (const auto& [bytes, problem] : cases) {
        const auto replies = framed({bytes});
        ASSERT_EQ(replies.size(), 1u) << bytes;
        EXPECT_EQ(replies[0].problem, problem) << bytes;
        EXPECT_TRUE(std::holds_alternative<std::monostate>(replies[0].reply));
    }
    // Words in any case, as the panel's own words are read.
    EXPECT_EQ(described(framed({"QM-PANEL-rtnenum-3-HEX-01"})),
              std::vector<std::string>{"QM-PANEL-rtnenum-3-HEX-01"});
    EXPECT_EQ(Applied(framed({"QM-PANEL-rtnenum-3-HEX-01"})).model.enumAt(2).type, kAscii);
}

TEST(ReplyFramer, StateRepliesAreTakenAtOnceReadRepliesWhenTheyEnd) {
    ReplyFramer framer;
    EXPECT_TRUE(framer.feed("QM-PANEL-rtnstate-add o").empty());
    EXPECT_EQ(described(framer.feed("k")), std::vector<std::string>{"QM-PANEL-rtnstate-add ok"});
    EXPECT_FALSE(framer.holdsReply());
    EXPECT_TRUE(framer.feed("QM-PANEL-rtnvar-2-5-0-10-save").empty());
    EXPECT_TRUE(framer.holdsReply());
    EXPECT_EQ(described(framer.feed("QM-PANEL-rtnstate-clr ok 16")),
              (std::vector<std::string>{"QM-PANEL-rtnvar-2-5-0-10-save", "QM-PANEL-rtnstate-clr ok 16"}));
    EXPECT_TRUE(framer.flush().empty());
}

TEST(ReplyFramer, TheNetworkBlockEndsWhenWhole) {
    ReplyFramer framer;
    const size_t whole = panelNetworkBlockEnd(kNetworkBlock);
    EXPECT_EQ(whole, kNetworkBlock.size());
    EXPECT_FALSE(panelNetworkBlockWhole(kNetworkLines));
    EXPECT_FALSE(panelNetworkBlockWhole(kNetworkBlock.substr(0, kNetworkBlock.size() - 1)));
    // A block of six long lines is whole after its sixth.
    const std::string longLines =
        "QM-PANEL-rtnip-192.168.1.165" + std::string(20, ' ') + kNetworkLines.substr(28);
    EXPECT_EQ(panelNetworkBlockEnd(longLines + "QM-PANEL-rtnname-x\r\n"), longLines.size());
    // A reply glued in front of the next line (no line break) ends the block.
    EXPECT_FALSE(panelNetworkBlockWhole(kNetworkLines.substr(0, kNetworkLines.size() - 2) +
                                        "QM-PANEL-rtnvar-1-1-1-1-save\r\n"));

    const auto read = framer.feed(kNetworkBlock.substr(0, 100));
    EXPECT_TRUE(read.empty());
    const auto rest = framer.feed(kNetworkBlock.substr(100));
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_FALSE(rest[0].dropped());
    const auto& network = std::get<PanelNetworkReply>(rest[0].reply);
    EXPECT_EQ(network.tcpPort, 4800);
    EXPECT_EQ(network.udpPort, 4801);
    EXPECT_FALSE(framer.holdsReply());
}

TEST(ReplyFramer, NoiseIsNotHeldAndAnEndlessReplyIsCutAtTheBound) {
    ReplyFramer framer;
    EXPECT_TRUE(framer.feed("no prefix here at all").empty());
    EXPECT_TRUE(framer.pendingBytes().empty());
    EXPECT_TRUE(framer.feed("ends in QM-PAN").empty());
    EXPECT_EQ(framer.pendingBytes(), "QM-PAN");
    EXPECT_FALSE(framer.holdsReply());
    EXPECT_TRUE(framer.flush().empty());

    const auto replies =
        framer.feed("QM-PANEL-rtnenum-1-ascii-" + std::string(ReplyFramer::kMaxReplyBytes * 2, 'a') +
                    "QM-PANEL-rtnvar-1-1-1-1-save");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].problem, "longer than any reply");
    EXPECT_EQ(replies[0].bytes.size(), ReplyFramer::kMaxReplyBytes);
    EXPECT_EQ(described(framer.flush()), std::vector<std::string>{"QM-PANEL-rtnvar-1-1-1-1-save"});
}

// However a stream of replies and noise is chunked, the framer cuts the same replies.
TEST(ReplyFramer, ChunkingNeverChangesTheReplies) {
    std::string stream = "\x15junk";
    for (const std::string& reply : kEveryKind) {
        stream += reply + (reply.size() % 3 == 0 ? "\x01" : "");
    }
    stream += std::string(2000, 'q') + "QM-PANEL-rtnvar-1-1-1-1-save";
    const auto whole = described(framed({stream}));
    std::mt19937 random(21);
    for (int round = 0; round < 60; ++round) {
        std::vector<std::string> pieces;
        for (size_t pos = 0; pos < stream.size();) {
            const size_t length = std::uniform_int_distribution<size_t>(1, round % 2 == 0 ? 4 : 4000)(random);
            pieces.push_back(stream.substr(pos, length));
            pos += length;
        }
        ASSERT_EQ(described(framed(pieces)), whole) << "round " << round;
    }
}

}  // namespace
}  // namespace velk
