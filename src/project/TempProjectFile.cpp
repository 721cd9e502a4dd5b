#include "project/TempProjectFile.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace velk {

namespace {

std::string systemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool syncPath(const std::string& path, int flags) {
    int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// The permissions sqlite3 gives a file it creates, less the process's umask.
mode_t newFileMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0644 & ~mask);
}

}  // namespace

TempProjectFile::TempProjectFile(const std::string& targetPath) : m_target(targetPath) {
    std::filesystem::path target(targetPath);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    // Appended piece by piece: GCC 12 warns falsely about "." + string at -O3.
    std::string hidden(".");
    hidden += target.filename().string();
    hidden += ".import-XXXXXX";
    // A name near the 255-byte limit of a file name gets a short temporary one (its journal too).
    constexpr size_t kRoomForJournal = 255 - 8;  // "-journal"
    if (hidden.size() > kRoomForJournal) {
        hidden = ".velk-import-XXXXXX";
    }
    std::string pattern = (folder / hidden).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) {
        m_error = systemError("cannot create a file next to it");
        return;
    }
    ::close(fd);
    m_path = name.data();
}

TempProjectFile::~TempProjectFile() {
    if (!m_path.empty() && !m_committed) {
        ::unlink(m_path.c_str());
        ::unlink((m_path + "-journal").c_str());
    }
}

std::shared_ptr<DbConnection> TempProjectFile::connect(std::string& reason) {
    std::shared_ptr<DbConnection> connection = DbConnection::open(m_path, reason);
    if (connection) {
        // Pragmas change how statements reach the disk, never what the file holds.
        char* message = nullptr;
        if (sqlite3_exec(connection->handle(),
                         "PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY; PRAGMA locking_mode=EXCLUSIVE;",
                         nullptr, nullptr, &message) != SQLITE_OK) {
            reason = message != nullptr ? message : "cannot set up the file";
            sqlite3_free(message);
            return nullptr;
        }
    }
    return connection;
}

bool TempProjectFile::commit(std::string& reason) {
    if (!syncPath(m_path, O_RDONLY)) {
        reason = systemError("cannot write the file");
        return false;
    }
    if (::chmod(m_path.c_str(), newFileMode()) != 0 || ::rename(m_path.c_str(), m_target.c_str()) != 0) {
        reason = systemError("cannot put the file in place");
        return false;
    }
    m_committed = true;
    std::filesystem::path folder = std::filesystem::path(m_target).parent_path();
    syncPath(folder.empty() ? "." : folder.string(), O_RDONLY | O_DIRECTORY);
    return true;
}

}  // namespace velk
