#pragma once

namespace velk::test {

// A SQLite file layer over the default one that fails writes on command, so tests meet a full disk
// or a failing device without mounting anything. Installed as the process's default layer on first
// use; until a failure is armed it only counts. Writes, truncations and syncs count as write
// operations; once armed, the operations after the first allowed ones fail (writes as a full disk,
// truncations and syncs as I/O errors) until lifted.
class FaultVfs {
public:
    static FaultVfs& installed();

    void failWritesAfter(int allowed);
    void lift();
    // Write operations since the last reset (counted whether armed or not).
    int writeOperations() const;
    void resetCount();
};

}  // namespace velk::test
