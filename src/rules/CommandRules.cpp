#include "rules/CommandRules.h"

#include "device/Commands.h"
#include "device/PanelLink.h"
#include "model/ConfigModel.h"
#include "rules/RuleMessages.h"

namespace velk::rules {

std::optional<Refusal> enumCommandProblem(const EnumVariable& variable) {
    const size_t length = MakeSetEnum(variable).size();
    if (length <= kMaxCommandLength) {
        return std::nullopt;
    }
    return Refusal{enumCommandTooLong(enumName(variable.index), length, kMaxCommandLength)};
}

std::optional<Refusal> dataCommandProblem(const SendData& data) {
    const size_t length = MakeSetCode(data).size();
    if (length <= kMaxCommandLength) {
        return std::nullopt;
    }
    return Refusal{dataCommandTooLong(length, kMaxCommandLength)};
}

std::optional<Refusal> appendCommandProblem(const EventSettings& settings) {
    const size_t length = MakeSetMode(settings).size();
    if (length <= kMaxCommandLength) {
        return std::nullopt;
    }
    return Refusal{appendCommandTooLong(length, kMaxCommandLength)};
}

}  // namespace velk::rules
