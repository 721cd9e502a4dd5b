#include "project/ProjectLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace velk {

namespace {

constexpr size_t kMaxNameBytes = 255;
constexpr const char* kSuffix = ".velk-lock";

// FNV-1a: the same in every process, unlike std::hash.
uint64_t stableHash(const std::string& text) {
    uint64_t hash = 14695981039346656037ULL;
    for (unsigned char c : text) {
        hash = (hash ^ c) * 1099511628211ULL;
    }
    return hash;
}

}  // namespace

std::string ProjectLock::lockFileOf(const std::string& utf8Path) {
    std::error_code error;
    std::filesystem::path real = std::filesystem::weakly_canonical(std::filesystem::path(utf8Path), error);
    if (error) {
        real = std::filesystem::absolute(std::filesystem::path(utf8Path), error);
    }
    const std::string name = real.filename().string();
    std::string lockName = ".";
    lockName += name;
    lockName += kSuffix;
    if (lockName.size() > kMaxNameBytes) {
        // A name near the limit gets a lock name of fixed length, still one per project name.
        char hashed[32];
        std::snprintf(hashed, sizeof hashed, "%016llx", static_cast<unsigned long long>(stableHash(name)));
        lockName = ".velk-lock-";
        lockName += hashed;
    }
    return (real.parent_path() / lockName).string();
}

ProjectLock::Outcome ProjectLock::acquire(const std::string& utf8Path, std::unique_ptr<ProjectLock>& lock) {
    std::string lockFile = lockFileOf(utf8Path);
    // The holder removes the file as it lets go; a lock taken on a file already removed is no
    // lock, so it is taken again on the file the name now gives.
    for (int attempt = 0; attempt < 8; ++attempt) {
        int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            return Outcome::NoLockFile;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return Outcome::Elsewhere;
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::stat(lockFile.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            lock.reset(new ProjectLock(fd, std::move(lockFile)));
            return Outcome::Taken;
        }
        ::close(fd);
    }
    return Outcome::Elsewhere;
}

bool ProjectLock::heldElsewhere(const std::string& utf8Path) {
    int fd = ::open(lockFileOf(utf8Path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;  // nobody ever locked it
    }
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);  // closing the probe's descriptor releases what it took
    return !free;
}

ProjectLock::~ProjectLock() {
    // Removed while still held, so no other program can lock it in between and lose it.
    ::unlink(m_lockFile.c_str());
    ::close(m_fd);
}

}  // namespace velk
