#pragma once

#include <memory>
#include <string>

namespace velk {

// The mark that a program is changing a project: an exclusive flock on a small file beside it,
// ".NAME.velk-lock" (a hidden name in the project's folder). flock never touches the POSIX
// record locks SQLite keeps on the project file itself, belongs to the open file, so a second
// session in the same process is refused too, and ends with the process however it ends. The
// holder removes the file as it lets go (a process that dies leaves it, unlocked).
class ProjectLock {
public:
    enum class Outcome {
        Taken,      // this program holds the project now
        Elsewhere,  // another window or program holds it
        NoLockFile  // the folder takes no lock file (read-only): nobody can change the project there
    };

    // Takes the lock of the project at utf8Path, which need not exist yet.
    static Outcome acquire(const std::string& utf8Path, std::unique_ptr<ProjectLock>& lock);
    // Whether another window or program holds the project (a probe that takes nothing).
    static bool heldElsewhere(const std::string& utf8Path);
    // The lock file of a project path: beside the file its real path names.
    static std::string lockFileOf(const std::string& utf8Path);

    ~ProjectLock();
    ProjectLock(const ProjectLock&) = delete;
    ProjectLock& operator=(const ProjectLock&) = delete;

    // Whether this lock is the one of utf8Path (the same project under another spelling too).
    bool covers(const std::string& utf8Path) const { return lockFileOf(utf8Path) == m_lockFile; }

private:
    ProjectLock(int fd, std::string lockFile) : m_fd(fd), m_lockFile(std::move(lockFile)) {}
    int m_fd;
    std::string m_lockFile;
};

}  // namespace velk
