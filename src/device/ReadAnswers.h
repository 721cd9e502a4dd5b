#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "device/ReplyFramer.h"

namespace velk {

// The list rows a read asks for, in request order: E1..E10, V1..V10, TCP1..TCP4, UDP1, UDP2.
std::vector<std::string> readRequestRows();

// The list row a read reply's text names ("E3", "V7", "UDP1"), also for a reply that was dropped;
// empty when its text names no row of the lists.
std::string replyRowName(std::string_view replyBytes);

// What the panel answered to one read, row by row. The read stores its replies only once it knows
// every row was answered whole (or, when asked, the rows that were): a value the panel did not
// send is never stored, and a file is never left half-read.
class ReadAnswers {
public:
    explicit ReadAnswers(std::vector<std::string> rows);

    // A reply framed while the read runs. True when it was a read reply (whole or dropped) and is
    // kept here; state replies and the network block are not.
    bool take(const FramedReply& reply);

    // Every row asked for has been answered with a whole reply.
    bool complete() const;
    // How many of the rows asked for have been answered whole.
    int answeredCount() const;
    // One line per row asked for and not answered whole, in request order: "E4: no answer",
    // "V7: reply dropped: save word "sa" is neither save nor unsave".
    std::vector<std::string> problems() const;
    // The whole replies to store, in the order they came, the last one of each row (rows not asked
    // for too: the panel may report them).
    std::vector<Reply> wholeReplies() const;

private:
    struct Answer {
        size_t order = 0;
        Reply reply;          // a whole reply, or nothing when dropped
        std::string problem;  // why the last reply for the row was dropped
    };

    std::vector<std::string> m_rows;
    std::map<std::string, Answer> m_answers;
    size_t m_taken = 0;
};

}  // namespace velk
