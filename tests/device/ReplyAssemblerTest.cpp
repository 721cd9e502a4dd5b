#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/ReplyAssembler.h"

namespace velk {
namespace {

std::string networkBlock() {
    std::string block =
        "QM-PANEL-rtnip-192.168.1.165\r\nQM-PANEL-rtngate-192.168.1.1\r\nQM-PANEL-rtnsubm-255.255.255.0\r\n"
        "QM-PANEL-rtnmac-00.1A.2B.3C.4D.5E\r\nQM-PANEL-rtntport-4800\r\nQM-PANEL-rtnuport-4801\r\n";
    return block + std::string(200 - block.size(), ' ');
}

// What a model and an applier hold after a sequence of blocks.
struct Applied {
    ConfigModel model;
    ModelReplyApplier applier{model};

    Applied() { model.reset(); }
    bool operator==(const Applied& other) const {
        return model.enums == other.model.enums && model.variables == other.model.variables &&
               model.netTargets == other.model.netTargets && applier.lastAck == other.applier.lastAck &&
               applier.panelNetwork == other.applier.panelNetwork;
    }
};

// Every reply split anywhere into two blocks, where the first part is no reply by itself, has the
// effect the whole reply has in one block.
TEST(ReplyAssembler, AReplySplitOverTwoBlocksIsRead) {
    const std::vector<std::string> replies = {
        "QM-PANEL-rtnstate-clr ok 16",
        "QM-PANEL-rtnstate-add ok",
        "QM-PANEL-rtnstate-edit exit",
        "QM-PANEL-rtnvar-2-5-0-10-save",
        "QM-PANEL-rtnser-UDP-1-192.168.1.30-6000",
        "QM-PANEL-rtnenum-3-hex-0a 01#ff",
        networkBlock(),
    };
    for (const std::string& reply : replies) {
        Applied whole;
        ReplyAssembler wholeAssembler;
        wholeAssembler.take(reply, whole.applier);
        ASSERT_FALSE(whole == Applied{}) << "the whole reply must do something: " << reply;
        size_t splits = 0;
        for (size_t cut = 1; cut < reply.size(); ++cut) {
            const std::string first = reply.substr(0, cut);
            if (!std::holds_alternative<std::monostate>(readReply(first))) {
                continue;  // a complete reply by itself: the panel's text cannot tell it apart
            }
            Applied split;
            ReplyAssembler assembler;
            assembler.take(first, split.applier);
            assembler.take(reply.substr(cut), split.applier);
            EXPECT_TRUE(split == whole) << "split at " << cut << ": " << reply.substr(0, 40);
            EXPECT_TRUE(assembler.tail().empty());
            ++splits;
        }
        EXPECT_GT(splits, 10u) << reply;
    }
}

TEST(ReplyAssembler, JunkInFrontOfAReplyIsLeftBehind) {
    struct Case {
        const char* first;
        const char* second;
        WriteAck ack;
    };
    const Case cases[] = {
        {"echo of something", "QM-PANEL-rtnstate-add ok", ACK_ADDED},         // a whole reply after junk
        {"junkQM-PANEL-rtnst", "ate-clr ok 16", ACK_CLEARED},                 // split after junk
        {"xxQM-PA", "NEL-rtnstate-edit exit", ACK_EXITED},                    // split inside the prefix
        {"QM-PANEL-rtnstate-a", "QM-PANEL-rtnstate-clr ok 16", ACK_CLEARED},  // a stub, then a reply
    };
    for (const Case& c : cases) {
        Applied applied;
        ReplyAssembler assembler;
        assembler.take(c.first, applied.applier);
        EXPECT_EQ(applied.applier.lastAck, ACK_NONE) << c.first;
        assembler.take(c.second, applied.applier);
        EXPECT_EQ(applied.applier.lastAck, c.ack) << c.first << " + " << c.second;
        EXPECT_TRUE(assembler.tail().empty());
    }

    // A read reply preceded by a kept stub is still read from its own start.
    Applied applied;
    ReplyAssembler assembler;
    assembler.take("QM-PANEL-rtnv", applied.applier);
    assembler.take("QM-PANEL-rtnvar-4-1-2-3-unsave", applied.applier);
    EXPECT_EQ(applied.model.variableAt(3), (Variable{4, 2, 1, 3, 1}));
}

TEST(ReplyAssembler, WhatCannotBecomeAReplyIsNotKept) {
    Applied applied;
    ReplyAssembler assembler;
    assembler.take("no prefix here at all", applied.applier);
    EXPECT_TRUE(assembler.tail().empty());
    assembler.take("ends in QM-PAN", applied.applier);
    EXPECT_EQ(assembler.tail(), "QM-PAN");
    assembler.take(std::string(1 << 20, 'z'), applied.applier);
    EXPECT_TRUE(assembler.tail().empty());
    // A reply that never ends is held to the bound.
    assembler.take("QM-PANEL-rtnip-" + std::string(1 << 20, '9'), applied.applier);
    EXPECT_LE(assembler.tail().size(), ReplyAssembler::kMaxTail);
    assembler.reset();
    EXPECT_TRUE(assembler.tail().empty());
    EXPECT_TRUE(applied == Applied{});
}

// A beginning over the bound is dropped, not cut: its first part followed by the next block would
// read as a reply whose middle the panel never sent (here the junk after the long address line).
TEST(ReplyAssembler, ABeginningOverTheBoundIsDroppedNotCut) {
    const std::string longFirstLine = "QM-PANEL-rtnip-10.0.0.1" + std::string(ReplyAssembler::kMaxTail, ' ');
    const std::string rest =
        "\r\nQM-PANEL-rtngate-10.0.0.254\r\nQM-PANEL-rtnsubm-255.0.0.0\r\nQM-PANEL-rtnmac-00.1A.2B.3C.4D.5E"
        "\r\nQM-PANEL-rtntport-4800\r\nQM-PANEL-rtnuport-4801\r\n";
    ASSERT_TRUE(std::holds_alternative<std::monostate>(readReply(longFirstLine + "JUNK" + rest)));

    Applied applied;
    ReplyAssembler assembler;
    assembler.take(longFirstLine + "JUNK", applied.applier);
    EXPECT_TRUE(assembler.tail().empty());
    assembler.take(rest, applied.applier);
    EXPECT_TRUE(applied == Applied{}) << "a reply was read from pieces the panel did not send together";

    // Just under the bound the same beginning is kept whole and completed by the next block.
    const std::string shortFirstLine = "QM-PANEL-rtnip-10.0.0.1" + std::string(200, ' ');
    Applied completed;
    ReplyAssembler kept;
    kept.take(shortFirstLine, completed.applier);
    EXPECT_EQ(kept.tail(), shortFirstLine);
    kept.take(rest, completed.applier);
    EXPECT_FALSE(completed == Applied{});
}

}  // namespace
}  // namespace velk
