#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velk {

// Messages the worker threads post to the user-interface thread, under their historic names and
// values.
enum ViewMessageId : unsigned {
    WM_LINK_CONNECTED = 0x401,
    WM_LINK_CLOSED = 0x402,
    WM_LINK_DATA = 0x403,
    WM_WRITE_TIMEOUT = 0x404,
    WM_WRITE_PROGRESS = 0x405,
    WM_ROW_NET = 0x465,
    WM_ROW_ENUM = 0x466,
    WM_ROW_VARIABLE = 0x467,
    WM_ROW_ACTION = 0x468,
    WM_ROW_KEYOTHER = 0x469,
    // A statement failed for a reason other than the expected ones; text holds SQLite's reason.
    WM_DB_ERROR = 0x46A,
    // Every statement queued before the barrier has run; wParam is the caller's token.
    WM_DB_BARRIER = 0x46B,
    // The write thread has ended (after either outcome), so it can be joined.
    WM_WRITE_DONE = 0x406,
    // A connection attempt failed or timed out; text holds the reason, lParam its kind.
    WM_LINK_FAILED = 0x407,
    // No byte has come for the link's quiet time since the last WM_LINK_DATA: the reply the
    // panel sent last has ended.
    WM_LINK_QUIET = 0x408,
};

// wParam of the table row messages other than WM_ROW_ACTION.
constexpr int64_t kRowTableParam = 100;

struct ViewMessage {
    ViewMessageId id{};
    int64_t wParam = 0;            // slot, progress position, link generation
    std::vector<std::string> row;  // column texts of a row message, NULL as the empty text
    std::string text;              // received block, or error text
    int64_t lParam = 0;            // WM_LINK_FAILED: the kind of failure (device/TcpSocket.h ConnectFailure)
};

}  // namespace velk
