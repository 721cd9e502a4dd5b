#pragma once

#include <optional>
#include <string_view>

#include "device/ReplyReader.h"
#include "model/ConfigModel.h"
#include "model/Records.h"

namespace velk {

// Applies what a received block says, as ParseResponse hands it over. The session applies records
// to the model, its list rows and the project file; tests and the fuzzer apply them to a bare model.
class ReplyApplier {
public:
    virtual ~ReplyApplier() = default;
    virtual void applyEnum(const EnumVariable& variable) = 0;
    virtual void applyVariable(const Variable& variable) = 0;
    virtual void applyNetTarget(const NetTarget& target) = 0;
    // A state reply: the write sequence's acknowledgement.
    virtual void acknowledged(WriteAck ack) = 0;
    virtual void panelNetworkReceived(const PanelNetworkReply& reply) = 0;
};

// Handles one received block: the first reply rule that matches decides, a block matching none is
// dropped. Records whose number has no place in the lists (enumerated variables 1..10, variables
// 1..16, targets 1..7) are dropped too.
void ParseResponse(std::string_view block, ReplyApplier& applier);
// Applies one reply the reader has read.
void applyReply(const Reply& reply, ReplyApplier& applier);

// The record a read reply stands for, or nothing when its number is out of range.
std::optional<EnumVariable> enumFromReply(const EnumReply& reply);
std::optional<Variable> variableFromReply(const VariableReply& reply);
std::optional<NetTarget> netTargetFromReply(const NetTargetReply& reply);

}  // namespace velk

namespace velk {

// Applies replies straight to a model, keeping the last acknowledgement and network reply; for
// tools and tests that have no project open.
class ModelReplyApplier : public ReplyApplier {
public:
    explicit ModelReplyApplier(ConfigModel& model) : m_model(model) {}

    void applyEnum(const EnumVariable& variable) override { m_model.setEnum(variable.index - 1, variable); }
    void applyVariable(const Variable& variable) override {
        m_model.setVariable(variable.index - 1, variable);
    }
    void applyNetTarget(const NetTarget& target) override { m_model.setNetTarget(target.index - 1, target); }
    void acknowledged(WriteAck ack) override { lastAck = ack; }
    void panelNetworkReceived(const PanelNetworkReply& reply) override { panelNetwork = reply; }

    WriteAck lastAck = ACK_NONE;
    std::optional<PanelNetworkReply> panelNetwork;

private:
    ConfigModel& m_model;
};

}  // namespace velk
