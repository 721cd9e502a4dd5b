#include "project/ProjectReader.h"

#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <set>
#include <vector>

#include "project/RowPlacement.h"
#include "project/Statements.h"

namespace velk {

namespace {

constexpr int kBusyTimeoutMs = 5000;

using RowHandler = std::function<void(const rows::Row&)>;

int handleRow(void* context, int columns, char** values, char**) {
    rows::Row row;
    row.reserve(static_cast<size_t>(columns));
    for (int i = 0; i < columns; ++i) {
        row.emplace_back(values[i] != nullptr ? values[i] : "");
    }
    (*static_cast<RowHandler*>(context))(row);
    return 0;
}

class ReadOnlyFile {
public:
    ~ReadOnlyFile() { sqlite3_close(m_db); }

    bool open(const std::string& path, std::string& error, int busyTimeoutMs = kBusyTimeoutMs) {
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            error = m_db != nullptr ? sqlite3_errmsg(m_db) : "out of memory";
            return false;
        }
        sqlite3_busy_timeout(m_db, busyTimeoutMs);
        RowHandler collect = [this](const rows::Row& row) {
            if (!row.empty()) {
                m_tables.insert(row[0]);
            }
        };
        return exec("SELECT name FROM sqlite_master WHERE type='table'", collect, error);
    }

    bool has(const std::string& table) const { return m_tables.count(table) != 0; }
    bool hasTables() const { return !m_tables.empty(); }

    // Every row of a table the file has; a table it lacks has none.
    bool selectAll(const std::string& table, RowHandler handler, std::string& error) {
        return !has(table) || exec(sql::selectAll(table), handler, error);
    }

private:
    bool exec(const std::string& text, RowHandler& handler, std::string& error) {
        char* message = nullptr;
        int rc = sqlite3_exec(m_db, text.c_str(), handleRow, &handler, &message);
        if (rc != SQLITE_OK) {
            error = message != nullptr ? message : sqlite3_errstr(rc);
            sqlite3_free(message);
            return false;
        }
        return true;
    }

    sqlite3* m_db = nullptr;
    std::set<std::string> m_tables;
};

// The project's tables that the file does not hold, in the order Open creates them.
std::vector<std::string> missingTables(const ReadOnlyFile& file) {
    std::vector<std::string> names = {"variable", "net_table"};
    for (int slot = 0; slot < kSlotCount; ++slot) {
        names.push_back(sql::keyTableName(slot));
    }
    names.push_back("enum_table");
    names.push_back("keyOherData");
    std::vector<std::string> missing;
    for (const std::string& name : names) {
        if (!file.has(name)) {
            missing.push_back(name);
        }
    }
    return missing;
}

constexpr size_t kProjectTables = 2 + kSlotCount + 2;

}  // namespace

ProjectLoad loadProjectReadOnly(const std::string& utf8Path, MissingTables missing) {
    ProjectLoad load;
    std::error_code code;
    if (std::filesystem::is_directory(utf8Path, code)) {
        load.error = "is a directory";
        return load;
    }
    if (!std::filesystem::exists(utf8Path, code)) {
        load.error = "no such project file";
        return load;
    }
    // A pipe or a device would keep SQLite's first read waiting for bytes that may never come.
    if (!std::filesystem::is_regular_file(utf8Path, code)) {
        load.error = "not a regular file";
        return load;
    }
    ReadOnlyFile file;
    std::string error;
    if (!file.open(utf8Path, error)) {
        load.error = "not a project file (" + error + ")";
        return load;
    }
    const std::vector<std::string> absent = missingTables(file);
    if (absent.size() == kProjectTables) {
        load.error = "not a project file";
        return load;
    }
    if (missing == MissingTables::Refuse && !absent.empty()) {
        load.error = "not a project file: it lacks the table " + absent.front();
        if (absent.size() > 1) {
            load.error += " and " + std::to_string(absent.size() - 1) + " more";
        }
        return load;
    }

    // The order of Open's selects; each row replaces a default of the reset model.
    ConfigModel model;
    model.reset();
    bool ok = file.selectAll(
        "variable", [&](const rows::Row& row) { rows::placeVariable(model, row); }, error);
    ok = ok && file.selectAll(
                   "net_table", [&](const rows::Row& row) { rows::placeNetTarget(model, row); }, error);
    for (int slot = 0; ok && slot < kSlotCount; ++slot) {
        ok = file.selectAll(
            sql::keyTableName(slot), [&](const rows::Row& row) { rows::placeAction(model, slot, row); },
            error);
    }
    ok = ok && file.selectAll(
                   "enum_table", [&](const rows::Row& row) { rows::placeEnum(model, row); }, error);
    ok = ok && file.selectAll(
                   "keyOherData", [&](const rows::Row& row) { rows::placeEventSettings(model, row); }, error);
    if (!ok) {
        load.error = error;
        return load;
    }
    load.model = std::move(model);
    return load;
}

ProjectFileKind projectFileKind(const std::string& utf8Path, int busyTimeoutMs) {
    std::error_code code;
    if (!std::filesystem::exists(utf8Path, code)) {
        return ProjectFileKind::Missing;
    }
    if (!std::filesystem::is_regular_file(utf8Path, code)) {
        return ProjectFileKind::Unreadable;  // a folder, a pipe, a device: Open says why
    }
    if (std::filesystem::file_size(utf8Path, code) == 0) {
        return ProjectFileKind::Empty;
    }
    ReadOnlyFile file;
    std::string error;
    if (!file.open(utf8Path, error, busyTimeoutMs)) {
        return ProjectFileKind::Unreadable;
    }
    if (missingTables(file).size() < kProjectTables) {
        return ProjectFileKind::Project;
    }
    return file.hasTables() ? ProjectFileKind::Foreign : ProjectFileKind::Empty;
}

}  // namespace velk
