#include "device/ReadAnswers.h"

#include <algorithm>
#include <cctype>

#include "device/ReplyApplier.h"
#include "device/WritePlan.h"
#include "model/ConfigModel.h"
#include "model/StrPrintf.h"

namespace velk {
namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The decimal number at the start of text, or -1.
int leadingNumber(std::string_view text) {
    int number = 0;
    size_t digits = 0;
    while (digits < text.size() && digits < 6 && std::isdigit(static_cast<unsigned char>(text[digits]))) {
        number = number * 10 + (text[digits] - '0');
        ++digits;
    }
    return digits == 0 ? -1 : number;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string targetRow(std::string_view rest) {
    const size_t dash = rest.find('-');
    if (dash == std::string_view::npos) {
        return {};
    }
    const bool udp = equalsIgnoringCase(rest.substr(0, dash), "UDP");
    if (!udp && !equalsIgnoringCase(rest.substr(0, dash), "TCP")) {
        return {};
    }
    const int number = leadingNumber(rest.substr(dash + 1));
    if (number < 1 || number > (udp ? 3 : 4)) {
        return {};
    }
    return netTargetName(udp ? number + 4 : number);
}

}  // namespace

std::vector<std::string> readRequestRows() {
    // Each request names its row as its reply will: "QM-PANEL-getvar-7" is answered by
    // "QM-PANEL-rtnvar-7-...".
    std::vector<std::string> rows;
    for (std::string command : planCommands(buildReadPlan())) {
        if (startsWith(command, "QM-PANEL-get")) {
            command.replace(9, 3, "rtn");
            if (std::string row = replyRowName(command); !row.empty()) {
                rows.push_back(std::move(row));
            }
        }
    }
    return rows;
}

std::string replyRowName(std::string_view replyBytes) {
    if (startsWith(replyBytes, "QM-PANEL-rtnenum-")) {
        const int number = leadingNumber(replyBytes.substr(17));
        return number >= 1 && number <= kEnumCount ? strprintf("E%d", number) : std::string();
    }
    if (startsWith(replyBytes, "QM-PANEL-rtnvar-")) {
        const int number = leadingNumber(replyBytes.substr(16));
        return number >= 1 && number <= kVariableCount ? strprintf("V%d", number) : std::string();
    }
    if (startsWith(replyBytes, "QM-PANEL-rtnser-")) {
        return targetRow(replyBytes.substr(16));
    }
    return {};
}

ReadAnswers::ReadAnswers(std::vector<std::string> rows) : m_rows(std::move(rows)) {}

bool ReadAnswers::take(const FramedReply& reply) {
    if (std::holds_alternative<StateReply>(reply.reply) ||
        std::holds_alternative<PanelNetworkReply>(reply.reply)) {
        return false;
    }
    std::string row;
    if (const auto* enumReply = std::get_if<EnumReply>(&reply.reply)) {
        if (auto record = enumFromReply(*enumReply)) {
            row = strprintf("E%d", record->index);
        }
    } else if (const auto* variable = std::get_if<VariableReply>(&reply.reply)) {
        if (auto record = variableFromReply(*variable)) {
            row = strprintf("V%d", record->index);
        }
    } else if (const auto* target = std::get_if<NetTargetReply>(&reply.reply)) {
        if (auto record = netTargetFromReply(*target)) {
            row = netTargetName(record->index);
        }
    } else {
        row = replyRowName(reply.bytes);
    }
    if (row.empty()) {
        return false;  // no row of the lists: nothing to store, nothing to name
    }
    Answer& answer = m_answers[row];
    answer.order = ++m_taken;
    answer.reply = reply.dropped() ? Reply{} : reply.reply;
    answer.problem = reply.dropped() ? reply.problem : std::string();
    return true;
}

int ReadAnswers::answeredCount() const {
    int count = 0;
    for (const std::string& row : m_rows) {
        auto found = m_answers.find(row);
        if (found != m_answers.end() && found->second.problem.empty()) {
            ++count;
        }
    }
    return count;
}

bool ReadAnswers::complete() const {
    return answeredCount() == static_cast<int>(m_rows.size());
}

std::vector<std::string> ReadAnswers::problems() const {
    std::vector<std::string> lines;
    for (const std::string& row : m_rows) {
        auto found = m_answers.find(row);
        if (found == m_answers.end()) {
            lines.push_back(row + ": no answer");
        } else if (!found->second.problem.empty()) {
            lines.push_back(row + ": reply dropped: " + found->second.problem);
        }
    }
    return lines;
}

std::vector<Reply> ReadAnswers::wholeReplies() const {
    std::vector<const Answer*> whole;
    for (const auto& [row, answer] : m_answers) {
        if (answer.problem.empty()) {
            whole.push_back(&answer);
        }
    }
    std::sort(whole.begin(), whole.end(),
              [](const Answer* a, const Answer* b) { return a->order < b->order; });
    std::vector<Reply> replies;
    for (const Answer* answer : whole) {
        replies.push_back(answer->reply);
    }
    return replies;
}

}  // namespace velk
