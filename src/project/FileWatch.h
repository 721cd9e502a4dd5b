#pragma once

#include <cstdint>
#include <string>

struct sqlite3;

namespace velk {

// What the project file looked like when velk's last statement ended: the file the path names,
// its size and modification time, and SQLite's change counter (header offset 24). Another program
// that replaces, moves, deletes or writes the file changes one of them; SQLite alone would not see
// a file copied over in place with the same counter and would write its cached pages into it.
// Used by the worker thread only.
class FileWatch {
public:
    FileWatch(std::string utf8Path, sqlite3* db);

    // Empty while the file is as velk left it; otherwise what happened, in the user's words, for
    // good: the cache no longer matches the file, so nothing may be written to it again.
    const std::string& changedUnderneath();
    // After one of velk's own statements: the file as it is now is velk's.
    void noteOwnWrite();

private:
    struct Look {
        bool exists = false;
        uint64_t device = 0;
        uint64_t inode = 0;
        int64_t size = 0;
        int64_t mtimeSeconds = 0;
        int64_t mtimeNanoseconds = 0;
        uint32_t changeCounter = 0;
        bool operator==(const Look&) const = default;
    };
    Look look() const;

    std::string m_path;
    sqlite3* m_db;
    Look m_left;
    std::string m_lost;
};

}  // namespace velk
