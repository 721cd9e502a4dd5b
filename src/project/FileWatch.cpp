#include "project/FileWatch.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include "project/DbFailure.h"

namespace velk {

FileWatch::FileWatch(std::string utf8Path, sqlite3* db) : m_path(std::move(utf8Path)), m_db(db) {
    m_left = look();
}

FileWatch::Look FileWatch::look() const {
    Look seen;
    struct stat status {};
    if (::stat(m_path.c_str(), &status) != 0) {
        return seen;
    }
    seen.exists = true;
    seen.device = static_cast<uint64_t>(status.st_dev);
    seen.inode = static_cast<uint64_t>(status.st_ino);
    seen.size = static_cast<int64_t>(status.st_size);
    seen.mtimeSeconds = static_cast<int64_t>(status.st_mtim.tv_sec);
    seen.mtimeNanoseconds = static_cast<int64_t>(status.st_mtim.tv_nsec);
    // Read through SQLite's own descriptor: another descriptor of ours on the file, once closed,
    // would drop SQLite's POSIX locks.
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(m_db, "main", SQLITE_FCNTL_FILE_POINTER, &file) == SQLITE_OK &&
        file != nullptr && file->pMethods != nullptr) {
        unsigned char counter[4] = {};
        file->pMethods->xRead(file, counter, 4, 24);  // a short read of a fresh file leaves zeros
        seen.changeCounter = (uint32_t{counter[0]} << 24) | (uint32_t{counter[1]} << 16) |
                             (uint32_t{counter[2]} << 8) | uint32_t{counter[3]};
    }
    return seen;
}

const std::string& FileWatch::changedUnderneath() {
    if (!m_lost.empty()) {
        return m_lost;
    }
    const Look now = look();
    if (now == m_left) {
        return m_lost;
    }
    if (!now.exists) {
        m_lost = kFileMovedOrDeleted;
    } else if (now.device != m_left.device || now.inode != m_left.inode) {
        m_lost = kFileReplaced;
    } else {
        m_lost = kFileChangedElsewhere;
    }
    return m_lost;
}

void FileWatch::noteOwnWrite() {
    if (m_lost.empty()) {
        m_left = look();
    }
}

}  // namespace velk
