#include "session/ProjectImport.h"

#include <algorithm>
#include <filesystem>

#include "model/StrPrintf.h"
#include "model/UiPoster.h"
#include "project/DbFailure.h"
#include "project/ProjectDb.h"
#include "project/ProjectLock.h"
#include "project/ProjectReader.h"
#include "project/Statements.h"
#include "project/TempProjectFile.h"
#include "session/MessagePump.h"

namespace velk {

namespace {

constexpr int kWriteTimeoutMs = 120000;

bool inList(int key, int count) {
    return key >= 0 && key < count;
}

template <typename Map>
std::string mapDifference(const Map& a, const Map& b, const char* what) {
    for (const auto& [key, record] : a) {
        auto other = b.find(key);
        if (other == b.end() || !(other->second == record)) {
            return strprintf("%s%d", what, key + 1);
        }
    }
    for (const auto& [key, record] : b) {
        if (a.find(key) == a.end()) {
            return strprintf("%s%d", what, key + 1);
        }
    }
    return {};
}

std::vector<KeyAction> inIdOrder(std::vector<KeyAction> actions) {
    std::stable_sort(actions.begin(), actions.end(),
                     [](const KeyAction& x, const KeyAction& y) { return x.id < y.id; });
    return actions;
}

// New's sequence on a fresh file, as the session runs it for 新建, then every record the model
// holds beyond the defaults.
void postProject(ProjectDb& db, const std::shared_ptr<DbConnection>& connection, const ConfigModel& model) {
    db.postNewDeletes();
    db.postCreates();
    db.postDefaultInserts();
    ConfigModel defaults;
    defaults.reset();
    auto insert = [&](std::string sql) {
        PostSql(db.worker(), connection, std::move(sql), ExpectedFailure::None, db.generation());
    };
    for (const auto& [key, variable] : model.enums) {
        if (!inList(key, kEnumCount)) {
            insert(sql::insertEnum(variable));
        } else if (!(variable == defaults.enumAt(key))) {
            db.updateEnum(variable);
        }
    }
    for (const auto& [key, variable] : model.variables) {
        if (!inList(key, kVariableCount)) {
            insert(sql::insertVariable(variable));
        } else if (!(variable == defaults.variableAt(key))) {
            db.updateVariable(variable);
        }
    }
    for (const auto& [key, target] : model.netTargets) {
        if (!inList(key, kNetTargetCount)) {
            insert(sql::insertNetTarget(target));
        } else if (!(target == defaults.netTargetAt(key))) {
            db.updateNetTarget(target);
        }
    }
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const EventSettings& settings = model.eventSettings[static_cast<size_t>(slot)];
        if (!(settings == EventSettings{})) {
            db.updateEventSettings(slot, settings);
        }
        for (const KeyAction& action : inIdOrder(model.actions[static_cast<size_t>(slot)])) {
            db.insertAction(slot, action);
        }
    }
}

}  // namespace

std::string firstProjectDifference(const ConfigModel& a, const ConfigModel& b) {
    for (std::string difference :
         {mapDifference(a.enums, b.enums, "enum E"), mapDifference(a.variables, b.variables, "variable V"),
          mapDifference(a.netTargets, b.netTargets, "network target index ")}) {
        if (!difference.empty()) {
            return difference;
        }
    }
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const auto s = static_cast<size_t>(slot);
        if (!(a.eventSettings[s] == b.eventSettings[s]) ||
            inIdOrder(a.actions[s]) != inIdOrder(b.actions[s])) {
            return strprintf("event slot %d", slot);
        }
    }
    return {};
}

std::optional<std::string> importTargetProblem(const std::string& utf8Path, bool replaceExisting) {
    std::error_code code;
    if (std::filesystem::is_directory(utf8Path, code)) {
        return "is a directory";
    }
    if (std::filesystem::exists(utf8Path, code) && !replaceExisting) {
        return "exists already (--force replaces it)";
    }
    return std::nullopt;
}

ImportOutcome importProject(const ConfigModel& model, const std::string& utf8Path, bool replaceExisting,
                            bool callerHoldsLock) {
    ImportOutcome outcome;
    if (std::optional<std::string> problem = importTargetProblem(utf8Path, replaceExisting)) {
        outcome.error = *problem;
        return outcome;
    }
    std::unique_ptr<ProjectLock> lock;
    if (!callerHoldsLock && ProjectLock::acquire(utf8Path, lock) == ProjectLock::Outcome::Elsewhere) {
        outcome.error = kHeldElsewhere;
        return outcome;
    }
    TempProjectFile file(utf8Path);
    if (!file.ok()) {
        outcome.error = file.error();
        return outcome;
    }
    std::string reason;
    {
        std::shared_ptr<DbConnection> connection = file.connect(reason);
        if (!connection) {
            outcome.error = reason;
            return outcome;
        }
        MessageQueue queue;
        ProjectDb db(queue);
        db.attach(connection);
        postProject(db, connection, model);
        const int64_t done = nextBarrierToken();
        db.postBarrier(done);
        MessagePump pump(queue, [&outcome](const ViewMessage& message) {
            if ((message.id == WM_DB_ERROR || message.id == WM_DB_HELD) && outcome.error.empty()) {
                outcome.error = message.text;
            }
        });
        if (!pump.untilBarrier(done, kWriteTimeoutMs)) {
            outcome.error = "the project was not written in time";
            return outcome;
        }
        db.quit(kWriteTimeoutMs);
        if (!outcome.error.empty()) {
            return outcome;
        }
    }
    // Read back as Open would: the file must hold exactly the model.
    ProjectLoad load = loadProjectReadOnly(file.path());
    if (!load.model) {
        outcome.error = "the written file does not read back: " + load.error;
        return outcome;
    }
    if (std::string difference = firstProjectDifference(model, *load.model); !difference.empty()) {
        outcome.error = "the written file reads back different at " + difference;
        return outcome;
    }
    if (!file.commit(reason)) {
        outcome.error = reason;
        return outcome;
    }
    outcome.ok = true;
    return outcome;
}

}  // namespace velk
