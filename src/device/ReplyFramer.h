#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "device/ReplyReader.h"

namespace velk {

// One reply as the framer cut it from the stream.
struct FramedReply {
    std::string bytes;    // as received, from its "QM-PANEL-"
    Reply reply;          // what it says; nothing when dropped
    std::string problem;  // why it was dropped; empty for a whole reply

    bool dropped() const { return !problem.empty(); }
};

// Cuts the panel's replies out of the byte stream. TCP keeps the bytes and their order but not the
// boundaries between the panel's sends, and replies carry no terminator, so a reply is framed by
// what the stream holds, never by how it was received:
// - every reply begins with "QM-PANEL-"; bytes before that are noise and are dropped;
// - a state reply ("QM-PANEL-rtnstate-add ok" and the other two) is taken the moment its text is
//   complete, so the writer waits no longer than it did;
// - any other reply ends where the next one begins, except that the network block's lines after a
//   line break belong to it; the network block also ends as soon as it is whole by its own format
//   (see panelNetworkBlockWhole);
// - the last reply ends when its owner calls flush(): the read's grace period is over, or no byte
//   has followed for the link's quiet time.
// A framed reply is checked whole: a control byte (other than the network block's line breaks),
// bytes that are not GBK text, or a text that does not match its format to the last byte drop it
// with the problem said; nothing of it is ever applied.
//
// The replies depend only on the bytes and on where flush() is called, never on how the bytes were
// chunked: feeding a stream in any pieces gives the replies feeding it at once gives.
class ReplyFramer {
public:
    // Longer than any reply the panel sends; a reply that runs on past it is dropped there.
    static constexpr size_t kMaxReplyBytes = 64 * 1024;

    // Takes the next bytes of the stream; returns the replies they complete, in order.
    std::vector<FramedReply> feed(std::string_view bytes);
    // Ends the reply in progress (none or one), dropping any noise held.
    std::vector<FramedReply> flush();
    // Whether a reply has begun and not ended: flush() would return it.
    bool holdsReply() const;
    // The bytes held: the reply in progress, or the start of a prefix after noise.
    const std::string& pendingBytes() const { return m_pending; }
    // A new connection: nothing of the old stream is kept.
    void reset() {
        m_pending.clear();
        m_undecided = 0;
    }

private:
    // Cuts every reply the held bytes decide; false when more bytes are needed.
    bool cutNext(std::vector<FramedReply>& out);

    std::string m_pending;
    // How much of the reply held was seen without finding its end; 0 when nothing was.
    size_t m_undecided = 0;
};

// A reply cut from the stream, checked whole (the framer's check, for callers holding one text).
FramedReply checkFramedReply(std::string bytes);

// Where the network block beginning text ends when it is whole: after the first line break at
// which it holds its six lines and is longer than 180 characters (a panel sends further lines,
// such as its name, to pass that length). 0 when text holds no whole block yet.
size_t panelNetworkBlockEnd(std::string_view text);
// Whether text begins with a whole network block.
inline bool panelNetworkBlockWhole(std::string_view text) {
    return panelNetworkBlockEnd(text) != 0;
}

}  // namespace velk
