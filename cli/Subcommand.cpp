#include "cli/Subcommand.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace velk::cli {
namespace {

// Filled while static objects are constructed, before main() runs.
std::vector<SubcommandDefinition>& registry() {
    static std::vector<SubcommandDefinition> definitions;
    return definitions;
}

}  // namespace

SubcommandRegistration::SubcommandRegistration(const SubcommandDefinition& definition) {
    registry().push_back(definition);
}

std::vector<SubcommandDefinition> registeredSubcommands() {
    std::vector<SubcommandDefinition> definitions = registry();
    std::stable_sort(
        definitions.begin(), definitions.end(),
        [](const SubcommandDefinition& a, const SubcommandDefinition& b) { return a.order < b.order; });
    return definitions;
}

bool isSubcommandName(const std::string& word) {
    const std::vector<SubcommandDefinition>& all = registry();
    return std::any_of(all.begin(), all.end(),
                       [&](const SubcommandDefinition& definition) { return word == definition.name; });
}

namespace {

// Edits (insert, delete, replace, swap two neighbours) from a to b.
size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) {
        d[i][0] = i;
    }
    for (size_t j = 0; j <= b.size(); ++j) {
        d[0][j] = j;
    }
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t replace = d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, replace});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

}  // namespace

std::string closestSubcommand(const std::string& word) {
    std::string closest;
    size_t best = 0;
    for (const SubcommandDefinition& definition : registeredSubcommands()) {
        const std::string name = definition.name;
        const size_t distance = editDistance(word, name);
        // Close: at most a third of the name's letters wrong.
        if (distance * 3 <= name.size() && (closest.empty() || distance < best)) {
            closest = name;
            best = distance;
        }
    }
    return closest;
}

bool standardOutputWritten(int failedWith) {
    static bool told = false;
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int error = failedWith != 0 ? failedWith : errno;
    if (flushed && std::ferror(stdout) == 0) {
        return true;
    }
    if (!told) {
        told = true;
        std::fprintf(stderr, "velkctl: cannot write to standard output%s%s\n", error != 0 ? ": " : "",
                     error != 0 ? std::strerror(error) : "");
    }
    return false;
}

}  // namespace velk::cli
