#include <gtest/gtest.h>

#include <random>

#include "FakePanel.h"
#include "LinkHarness.h"
#include "device/ReplyApplier.h"
#include "device/WritePlan.h"

namespace velk::test {
namespace {

// Every record still sits under its own key with a sane shape: what any reply may leave behind.
void expectWellFormed(const ConfigModel& model) {
    EXPECT_EQ(model.enums.size(), static_cast<size_t>(kEnumCount));
    EXPECT_EQ(model.variables.size(), static_cast<size_t>(kVariableCount));
    EXPECT_EQ(model.netTargets.size(), static_cast<size_t>(kNetTargetCount));
    for (const auto& [key, variable] : model.enums) {
        EXPECT_EQ(variable.index, key + 1);
        EXPECT_LE(variable.data.size(), 10u);
        EXPECT_TRUE(variable.type == kAscii || variable.type == kHex);
    }
    for (const auto& [key, variable] : model.variables) {
        EXPECT_EQ(variable.index, key + 1);
        EXPECT_TRUE(variable.save == 0 || variable.save == 1);
    }
    for (const auto& [key, target] : model.netTargets) {
        EXPECT_EQ(target.index, key + 1);
    }
}

std::string mutate(std::mt19937& random, std::string text) {
    std::uniform_int_distribution<int> byte(0, 255);
    int edits = std::uniform_int_distribution<int>(1, 6)(random);
    for (int i = 0; i < edits && !text.empty(); ++i) {
        size_t pos = std::uniform_int_distribution<size_t>(0, text.size() - 1)(random);
        switch (std::uniform_int_distribution<int>(0, 3)(random)) {
            case 0:
                text[pos] = static_cast<char>(byte(random));
                break;
            case 1:
                text.erase(pos, 1);
                break;
            case 2:
                text.insert(pos, 1, "#-.0123456789"[std::uniform_int_distribution<int>(0, 12)(random)]);
                break;
            default:
                text.insert(pos, text.substr(0, pos));
                break;
        }
    }
    return text;
}

TEST(HostilePanel, MutatedRepliesNeverBreakTheModel) {
    const std::string genuineReplies[] = {
        "QM-PANEL-rtnenum-3-hex-01 02#0a#ff",
        "QM-PANEL-rtnenum-10-ascii-a#b#c#d#e#f#g#h#i#j",
        "QM-PANEL-rtnvar-16-1-2-3-save",
        "QM-PANEL-rtnser-UDP-3-1.2.3.4-65535",
        "QM-PANEL-rtnstate-add ok",
        "QM-PANEL-rtnip-1.2.3.4\r\nQM-PANEL-rtngate-1.2.3.4\r\nQM-PANEL-rtnsubm-1.2.3.4\r\nQM-PANEL-rtnmac-1."
        "2.3.4.5."
        "6\r\nQM-PANEL-rtntport-1\r\nQM-PANEL-rtnuport-2\r\n" +
            std::string(100, ' '),
    };
    std::mt19937 random(20261209);
    ConfigModel model;
    model.reset();
    ModelReplyApplier responses(model);
    for (int round = 0; round < 20000; ++round) {
        const std::string& original = genuineReplies[static_cast<size_t>(round) % std::size(genuineReplies)];
        ParseResponse(mutate(random, original), responses);
    }
    expectWellFormed(model);
}

TEST(HostilePanel, RandomBytesAndHugeBlocksOverTheLink) {
    FakePanel panel;
    LinkHarness ui;
    ui.model.reset();
    ASSERT_TRUE(ui.connectTo(panel.port()));
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    size_t total = 0;
    for (int i = 0; i < 200; ++i) {
        std::string block(std::uniform_int_distribution<size_t>(1, 4096)(random), '\0');
        for (char& c : block) {
            c = static_cast<char>(byte(random));
        }
        if (i % 3 == 0) {
            block.insert(0, i % 2 ? "QM-PANEL-rtnenum-" : "QM-PANEL-rtnser-");
        }
        ASSERT_TRUE(panel.sendRaw(block));
        total += block.size();
    }
    std::string huge(8 * 1048576 + 17, 'Q');
    ASSERT_TRUE(panel.sendRaw(huge));
    total += huge.size();
    size_t arrived = 0;
    size_t counted = 0;
    size_t largest = 0;
    ASSERT_TRUE(ui.pumpUntil(
        [&] {
            for (; counted < ui.data.size(); ++counted) {
                arrived += ui.data[counted].size();
                largest = std::max(largest, ui.data[counted].size());
            }
            return arrived == total;
        },
        60000));
    EXPECT_LE(largest, PanelLink::kReceiveBufferSize);
    expectWellFormed(ui.model);
    // The link still works after all that.
    ui.link.Send("QM-PANEL-getlan");
    EXPECT_TRUE(panel.waitForText(0, "QM-PANEL-getlan"));
}

TEST(HostilePanel, RepliesDuringAWriteChangeNeitherTheStreamNorTheOutcome) {
    FakePanel panel;
    panel.answerWrites();
    // Held while the hostile blocks go out: blocks carry no framing, so a reply that shares a block
    // with an awaited acknowledgement may legitimately hide it.
    panel.hold(kHeaderTrigger);
    LinkHarness ui;
    ui.model.reset();
    ASSERT_TRUE(ui.connectTo(panel.port()));

    ConfigModel source;
    source.reset();
    source.enums[0].data = {"a"};
    source.enums[1].data = {"b"};
    for (int slot = 0; slot < 30; slot += 4) {
        KeyAction ir;
        ir.irChannels = 1 + slot % 15;
        ir.irCode = slot;
        source.actions[static_cast<size_t>(slot)] = {ir, ir};
    }
    auto plan = buildWritePlan(source);
    FastClock clock(4);
    ASSERT_TRUE(ui.startSequence(plan, clock));
    ASSERT_TRUE(ui.pumpUntil([&] { return panel.received(0).find(kHeaderTrigger) != std::string::npos; }));
    std::mt19937 random(3);
    size_t before = ui.data.size();
    size_t sent = 0;
    for (int i = 0; i < 50; ++i) {
        std::string noise(64, '\0');
        for (char& c : noise) {
            c = static_cast<char>(random() % 256);
        }
        ASSERT_TRUE(panel.sendRaw(noise));
        // Wrong and unasked state replies: none is the one the writer waits for.
        std::string state = i % 2 ? kExitReply : kClearReply;
        ASSERT_TRUE(panel.sendRaw(state));
        sent += noise.size() + state.size();
    }
    // Everything taken in first, so the next reply starts a block of its own.
    ASSERT_TRUE(ui.pumpUntil([&] {
        size_t arrived = 0;
        for (size_t i = before; i < ui.data.size(); ++i) {
            arrived += ui.data[i].size();
        }
        return arrived == sent;
    }));
    ASSERT_TRUE(panel.sendRaw("QM-PANEL-rtnenum-1-ascii-x#y"));
    ASSERT_TRUE(ui.pumpUntil([&] { return ui.model.enumAt(0).data.size() == 2; }));
    EXPECT_FALSE(ui.outcome.has_value());
    panel.release(kHeaderTrigger);
    ASSERT_TRUE(ui.pumpUntil([&] { return ui.outcome.has_value(); }, 30000));
    EXPECT_EQ(*ui.outcome, kSequenceCompleted);
    ui.link.close();
    ASSERT_TRUE(panel.waitClosed(0));
    EXPECT_EQ(panel.received(0), joinedCommands(plan));
    EXPECT_EQ(ui.model.enumAt(0).data, (std::vector<std::string>{"x", "y"}));
    expectWellFormed(ui.model);
}

}  // namespace
}  // namespace velk::test
