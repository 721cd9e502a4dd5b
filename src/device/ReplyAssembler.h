#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "device/ReplyApplier.h"

namespace velk {

// Replies split over received blocks. The panel's text carries no delimiters and a receive returns
// whatever has arrived, so one reply may come in two blocks. What a block leaves unrecognised is
// kept, from where a reply could begin and at most kMaxTail bytes, and read again in front of the
// next block when that block is no reply of its own.
class ReplyAssembler {
public:
    static constexpr size_t kMaxTail = 64 * 1024;

    // Applies the reply the block holds, alone or after the kept tail; keeps what stays unread.
    void take(std::string_view block, ReplyApplier& applier);
    // A new connection: nothing of the old one's bytes is kept.
    void reset() { m_tail.clear(); }
    const std::string& tail() const { return m_tail; }

private:
    void keep(std::string_view unrecognised);

    std::string m_tail;
};

}  // namespace velk
