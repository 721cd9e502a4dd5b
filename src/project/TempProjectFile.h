#pragma once

#include <memory>
#include <string>

#include "project/DbWorker.h"

namespace velk {

// A project file written under a temporary name in the target's folder and moved onto the target
// only when complete, so a failed or interrupted write never leaves a half-written project there.
class TempProjectFile {
public:
    // Creates the temporary file; check ok() and error() afterwards.
    explicit TempProjectFile(const std::string& targetPath);
    // Removes the temporary file unless commit() moved it into place.
    ~TempProjectFile();
    TempProjectFile(const TempProjectFile&) = delete;
    TempProjectFile& operator=(const TempProjectFile&) = delete;

    bool ok() const { return !m_path.empty(); }
    const std::string& error() const { return m_error; }
    const std::string& path() const { return m_path; }

    // A connection to the temporary file. Its statements skip the disk syncs: nothing counts until
    // commit(), which syncs the whole file once.
    std::shared_ptr<DbConnection> connect(std::string& reason);

    // Syncs the file, gives it the permissions a new file gets and renames it onto the target
    // (replacing a file there). Every connection to it must be closed.
    bool commit(std::string& reason);

private:
    std::string m_target;
    std::string m_path;
    std::string m_error;
    bool m_committed = false;
};

}  // namespace velk
