#include "device/ReplyFramer.h"

#include <algorithm>
#include <array>

#include "model/Gbk.h"

namespace velk {
namespace {

constexpr std::string_view kReplyPrefix = "QM-PANEL-";
constexpr std::string_view kNetworkPrefix = "QM-PANEL-rtnip-";
constexpr std::string_view kLineBreak = "\r\n";
constexpr std::array<std::string_view, 3> kStateTexts = {
    "QM-PANEL-rtnstate-edit exit", "QM-PANEL-rtnstate-clr ok 16", "QM-PANEL-rtnstate-add ok"};
constexpr size_t kNetworkLines = 6;
constexpr size_t kNetworkMinLength = 181;

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Where the reply beginning text could end at the latest: the next reply's prefix, skipping those
// that continue the network block after a line break. npos when text holds none yet.
size_t nextReplyStart(std::string_view text) {
    const bool network = startsWith(text, kNetworkPrefix);
    size_t next = text.find(kReplyPrefix, 1);
    while (network && next != std::string_view::npos && next >= kLineBreak.size() &&
           text.substr(next - kLineBreak.size(), kLineBreak.size()) == kLineBreak) {
        next = text.find(kReplyPrefix, next + 1);
    }
    return next;
}

// Where the reply beginning text ends, or 0 when the bytes held cannot tell yet.
size_t replyEnd(std::string_view text) {
    if (startsWith(text, kNetworkPrefix)) {
        if (size_t whole = panelNetworkBlockEnd(text); whole != 0) {
            return whole;
        }
    }
    size_t next = nextReplyStart(text);
    return next == std::string_view::npos ? 0 : next;
}

// The longest end of text that may be the start of a prefix the next bytes complete.
size_t partialPrefixLength(std::string_view text) {
    for (size_t length = std::min(text.size(), kReplyPrefix.size() - 1); length > 0; --length) {
        if (text.substr(text.size() - length) == kReplyPrefix.substr(0, length)) {
            return length;
        }
    }
    return 0;
}

// The panel's values are text typed in a dialog: a control byte in a reply is noise, except the
// line breaks between the network block's lines.
bool holdsControlByte(std::string_view bytes) {
    const bool network = startsWith(bytes, kNetworkPrefix);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c != 0x7f) {
            continue;
        }
        if (network && bytes.substr(i, kLineBreak.size()) == kLineBreak) {
            ++i;
            continue;
        }
        return true;
    }
    return false;
}

}  // namespace

size_t panelNetworkBlockEnd(std::string_view text) {
    if (!startsWith(text, kNetworkPrefix)) {
        return 0;
    }
    size_t next = nextReplyStart(text);
    std::string_view block = text.substr(0, next);
    size_t lines = 0;
    for (size_t pos = block.find(kLineBreak); pos != std::string_view::npos;
         pos = block.find(kLineBreak, pos + kLineBreak.size())) {
        const size_t end = pos + kLineBreak.size();
        if (++lines >= kNetworkLines && end >= kNetworkMinLength) {
            return end;
        }
    }
    return 0;
}

FramedReply checkFramedReply(std::string bytes) {
    FramedReply framed;
    framed.bytes = std::move(bytes);
    if (framed.bytes.size() >= ReplyFramer::kMaxReplyBytes) {
        framed.problem = "longer than any reply";
    } else if (holdsControlByte(framed.bytes)) {
        framed.problem = "holds a control byte";
    } else if (!gbkToUtf8(framed.bytes)) {
        framed.problem = "holds bytes that are not GBK text";
    } else {
        framed.reply = readWholeReply(framed.bytes, framed.problem);
    }
    return framed;
}

std::vector<FramedReply> ReplyFramer::feed(std::string_view bytes) {
    m_pending.append(bytes);
    std::vector<FramedReply> out;
    while (cutNext(out)) {
    }
    return out;
}

std::vector<FramedReply> ReplyFramer::flush() {
    std::vector<FramedReply> out;
    if (holdsReply()) {
        out.push_back(checkFramedReply(std::move(m_pending)));
    }
    m_pending.clear();
    m_undecided = 0;
    return out;
}

bool ReplyFramer::holdsReply() const {
    return startsWith(m_pending, kReplyPrefix);
}

bool ReplyFramer::cutNext(std::vector<FramedReply>& out) {
    const size_t start = m_pending.find(kReplyPrefix);
    if (start == std::string::npos) {
        m_pending.erase(0, m_pending.size() - partialPrefixLength(m_pending));
        m_undecided = 0;
        return false;
    }
    if (start != 0) {
        m_pending.erase(0, start);
        m_undecided = 0;
    }
    for (std::string_view state : kStateTexts) {
        if (startsWith(m_pending, state)) {
            out.push_back(checkFramedReply(std::string(state)));
            m_pending.erase(0, state.size());
            m_undecided = 0;
            return true;
        }
    }
    for (std::string_view state : kStateTexts) {
        if (m_pending.size() < state.size() && startsWith(state, m_pending)) {
            return false;  // may still become a state reply
        }
    }
    // A reply arriving a byte at a time is not searched again from its start for every byte: only
    // a prefix or a line break among the new bytes can end it.
    if (m_undecided != 0 && m_pending.size() < kMaxReplyBytes + kReplyPrefix.size()) {
        const size_t from = m_undecided - std::min(m_undecided, kReplyPrefix.size());
        std::string_view fresh = std::string_view(m_pending).substr(from);
        if (fresh.find(kReplyPrefix) == std::string_view::npos &&
            fresh.find(kLineBreak) == std::string_view::npos) {
            m_undecided = m_pending.size();
            return false;
        }
    }
    size_t end = replyEnd(m_pending);
    if (end == 0 || end > kMaxReplyBytes) {
        // Cut an overlong reply where it passes the bound only once the bytes show that no reply
        // begins before it, whatever the chunks.
        if (m_pending.size() < kMaxReplyBytes + kReplyPrefix.size()) {
            m_undecided = m_pending.size();
            return false;
        }
        end = kMaxReplyBytes;
    }
    out.push_back(checkFramedReply(m_pending.substr(0, end)));
    m_pending.erase(0, end);
    m_undecided = 0;
    return true;
}

}  // namespace velk
