// Any bytes as a project file, opened read-only and loaded as velkctl and the form load one; and
// any row texts through the row loading and placement, the way a damaged table hands them over.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "device/WritePlan.h"
#include "project/ProjectReader.h"
#include "project/RowPlacement.h"

namespace {

constexpr std::string_view kSqliteHeader{"SQLite format 3\0", 16};

// The file the bytes go into, one per process, in the fastest temporary folder there is.
const std::string& scratchFile() {
    static const std::string path = [] {
        const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(folder) + "/velk-fuzz-project-" + std::to_string(getpid()) + ".db";
    }();
    return path;
}

void loadAsFile(const uint8_t* data, size_t size) {
    const std::string& path = scratchFile();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    for (auto missing : {velk::MissingTables::CountAsEmpty, velk::MissingTables::Refuse}) {
        velk::ProjectLoad load = velk::loadProjectReadOnly(path, missing);
        if (load.model) {
            // What was loaded must also plan: the write walks every record and action.
            (void)velk::buildWritePlan(*load.model);
        } else if (load.error.empty()) {
            __builtin_trap();  // a refusal always says why
        }
    }
    std::remove(path.c_str());
}

// Columns separated by NUL bytes; the first byte picks the table the row comes from.
void loadAsRow(const uint8_t* data, size_t size) {
    if (size == 0) {
        return;
    }
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    velk::rows::Row row;
    for (size_t end = rest.find('\0'); !rest.empty(); end = rest.find('\0')) {
        row.emplace_back(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    velk::ConfigModel model;
    model.reset();
    switch (data[0] % 5) {
        case 0:
            (void)velk::rows::placeEnum(model, row);
            break;
        case 1:
            (void)velk::rows::placeVariable(model, row);
            break;
        case 2:
            (void)velk::rows::placeNetTarget(model, row);
            break;
        case 3:
            (void)velk::rows::placeEventSettings(model, row);
            break;
        default:
            (void)velk::rows::placeAction(model, data[0] % 60, row);
            break;
    }
    (void)velk::buildWritePlan(model);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.substr(0, kSqliteHeader.size()) == kSqliteHeader || size == 0) {
        loadAsFile(data, size);
    } else {
        loadAsRow(data, size);
    }
    return 0;
}
