#include "cli/Subcommand.h"

#include <algorithm>

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

}  // namespace velk::cli
