#include "cli/CliRuntime.h"

#include <cstdio>
#include <filesystem>

namespace velk {

CliRuntime::CliRuntime() : session(observer, queue, clock), pump(queue, session) {
    observer.onMessage = [](MessageTitle title, const std::string& text) {
        std::fprintf(stderr, "%s: %s\n", titleText(title), text.c_str());
    };
}

CliRuntime::~CliRuntime() {
    session.shutdown();
}

bool CliRuntime::openAndLoad(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        std::fprintf(stderr, "velkctl: %s: no such project file\n", path.c_str());
        return false;
    }
    if (!session.project().openProject(path)) {
        return false;
    }
    if (!flushDatabase()) {
        std::fprintf(stderr, "velkctl: %s: the project did not load in time\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace velk
