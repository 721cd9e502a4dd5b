#include "support/FaultVfs.h"

#include <sqlite3.h>

#include <atomic>
#include <cstring>

namespace velk::test {
namespace {

std::atomic<int> g_operations{0};
std::atomic<int> g_allowed{-1};  // -1: not armed
sqlite3_vfs* g_base = nullptr;
sqlite3_vfs g_vfs;

// Our file, followed in the same allocation by the base layer's.
struct FaultFile {
    sqlite3_file base;
};

sqlite3_file* inner(sqlite3_file* file) {
    return reinterpret_cast<sqlite3_file*>(reinterpret_cast<FaultFile*>(file) + 1);
}

// Counts one write operation; true when it is to fail.
bool failsNow() {
    const int index = g_operations.fetch_add(1);
    const int allowed = g_allowed.load();
    return allowed >= 0 && index >= allowed;
}

int faultClose(sqlite3_file* f) {
    return inner(f)->pMethods->xClose(inner(f));
}
int faultRead(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    return inner(f)->pMethods->xRead(inner(f), buffer, amount, offset);
}
int faultWrite(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
    return failsNow() ? SQLITE_FULL : inner(f)->pMethods->xWrite(inner(f), buffer, amount, offset);
}
int faultTruncate(sqlite3_file* f, sqlite3_int64 size) {
    return failsNow() ? SQLITE_IOERR_TRUNCATE : inner(f)->pMethods->xTruncate(inner(f), size);
}
// A sync that works reaches no disk: the tests check what the file holds, not what a power cut
// leaves, and thousands of real syncs would make them slow.
int faultSync(sqlite3_file*, int) {
    return failsNow() ? SQLITE_IOERR_FSYNC : SQLITE_OK;
}
int faultFileSize(sqlite3_file* f, sqlite3_int64* size) {
    return inner(f)->pMethods->xFileSize(inner(f), size);
}
int faultLock(sqlite3_file* f, int level) {
    return inner(f)->pMethods->xLock(inner(f), level);
}
int faultUnlock(sqlite3_file* f, int level) {
    return inner(f)->pMethods->xUnlock(inner(f), level);
}
int faultCheckReserved(sqlite3_file* f, int* out) {
    return inner(f)->pMethods->xCheckReservedLock(inner(f), out);
}
int faultFileControl(sqlite3_file* f, int op, void* arg) {
    return inner(f)->pMethods->xFileControl(inner(f), op, arg);
}
int faultSectorSize(sqlite3_file* f) {
    return inner(f)->pMethods->xSectorSize(inner(f));
}
int faultDevice(sqlite3_file* f) {
    return inner(f)->pMethods->xDeviceCharacteristics(inner(f));
}

// Version 1: no shared memory and no memory mapping, which a rollback journal does without.
const sqlite3_io_methods kMethods = {1,
                                     faultClose,
                                     faultRead,
                                     faultWrite,
                                     faultTruncate,
                                     faultSync,
                                     faultFileSize,
                                     faultLock,
                                     faultUnlock,
                                     faultCheckReserved,
                                     faultFileControl,
                                     faultSectorSize,
                                     faultDevice,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr};

int faultOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    std::memset(file, 0, sizeof(FaultFile));
    int rc = g_base->xOpen(g_base, name, inner(file), flags, outFlags);
    if (inner(file)->pMethods != nullptr) {
        file->pMethods = &kMethods;
    }
    return rc;
}

int faultDelete(sqlite3_vfs*, const char* name, int syncDir) {
    return g_base->xDelete(g_base, name, syncDir);
}
int faultAccess(sqlite3_vfs*, const char* name, int flags, int* out) {
    return g_base->xAccess(g_base, name, flags, out);
}
int faultFullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    return g_base->xFullPathname(g_base, name, size, out);
}

}  // namespace

FaultVfs& FaultVfs::installed() {
    static FaultVfs vfs = [] {
        g_base = sqlite3_vfs_find(nullptr);
        g_vfs = *g_base;
        g_vfs.iVersion = 1;
        g_vfs.szOsFile = static_cast<int>(sizeof(FaultFile)) + g_base->szOsFile;
        g_vfs.zName = "velk-fault";
        g_vfs.pNext = nullptr;
        g_vfs.xOpen = faultOpen;
        g_vfs.xDelete = faultDelete;
        g_vfs.xAccess = faultAccess;
        g_vfs.xFullPathname = faultFullPathname;
        sqlite3_vfs_register(&g_vfs, 1);
        return FaultVfs{};
    }();
    return vfs;
}

void FaultVfs::failWritesAfter(int allowed) {
    g_operations.store(0);
    g_allowed.store(allowed);
}

void FaultVfs::lift() {
    g_allowed.store(-1);
}

int FaultVfs::writeOperations() const {
    return g_operations.load();
}

void FaultVfs::resetCount() {
    g_operations.store(0);
}

}  // namespace velk::test
