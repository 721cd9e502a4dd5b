#include "device/ReplyAssembler.h"

#include <algorithm>
#include <variant>

namespace velk {
namespace {

constexpr std::string_view kReplyPrefix = "QM-PANEL-";

bool recognised(const Reply& reply) {
    return !std::holds_alternative<std::monostate>(reply);
}

// Where the last reply in text begins. The panel's network block is the one reply of several
// lines, each line beginning with the prefix after a line break: those lines are part of it.
size_t lastReplyStart(std::string_view text) {
    size_t start = text.rfind(kReplyPrefix);
    while (start != std::string_view::npos && start >= 2 && text.substr(start - 2, 2) == "\r\n") {
        size_t earlier = text.rfind(kReplyPrefix, start - 1);
        if (earlier == std::string_view::npos) {
            break;
        }
        start = earlier;
    }
    return start;
}

}  // namespace

void ReplyAssembler::take(std::string_view block, ReplyApplier& applier) {
    // A block that is a reply by itself is read as before: a kept tail in front could spoil it.
    if (Reply alone = readReply(block); recognised(alone)) {
        m_tail.clear();
        applyReply(alone, applier);
        return;
    }
    if (m_tail.empty()) {
        keep(block);
        return;
    }
    std::string joined = m_tail + std::string(block);
    if (Reply reply = readReply(joined); recognised(reply)) {
        m_tail.clear();
        applyReply(reply, applier);
        return;
    }
    keep(joined);
}

// Only bytes from the last place a reply begins can still become one; a text without such a place
// keeps the longest ending that could be the start of the prefix ("QM-PA"). A beginning already
// longer than the bound is dropped whole: keeping only its first part and reading the next block
// after it would join two pieces the panel never sent side by side.
void ReplyAssembler::keep(std::string_view unrecognised) {
    std::string_view text = unrecognised.substr(0, unrecognised.find('\0'));
    size_t start = lastReplyStart(text);
    if (start == std::string_view::npos) {
        start = text.size();
        for (size_t length = std::min(text.size(), kReplyPrefix.size() - 1); length > 0; --length) {
            if (text.substr(text.size() - length) == kReplyPrefix.substr(0, length)) {
                start = text.size() - length;
                break;
            }
        }
    }
    if (text.size() - start > kMaxTail) {
        m_tail.clear();
        return;
    }
    m_tail.assign(text.substr(start));
}

}  // namespace velk
