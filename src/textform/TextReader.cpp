#include "textform/TextReader.h"

#include <algorithm>

#include "model/StrPrintf.h"
#include "textform/Readers.h"
#include "textform/TextWriter.h"

namespace velk::text {

bool TextRead::hasErrors() const {
    return std::any_of(problems.begin(), problems.end(),
                       [](const Problem& p) { return p.severity == Severity::Error; });
}

TextRead readText(std::string_view document) {
    TextRead result;
    result.model.reset();
    ReadContext context(document);
    if (document.size() > kMaxDocumentSize) {
        context.problem(
            Severity::Error, 0, 0,
            strprintf("%zu bytes: a project text holds at most %zu", document.size(), kMaxDocumentSize));
        result.problems = context.takeProblems();
        return result;
    }
    toml::table root;
    try {
        root = toml::parse(document);
    } catch (const toml::parse_error& error) {
        context.problem(Severity::Error, static_cast<int>(error.source().begin.line),
                        static_cast<int>(error.source().begin.column), std::string(error.description()));
        result.problems = context.takeProblems();
        return result;
    }
    TableKeys keys(context, root, "the project");
    if (const toml::node* format = keys.take("format")) {
        std::optional<int32_t> version = context.int32(*format, "format");
        if (version && *version != kFormatVersion) {
            context.error(format->source(),
                          strprintf("format %d is not known here; this program reads format %d", *version,
                                    kFormatVersion));
        }
    }
    if (const toml::node* node = keys.take("enum")) {
        readEnums(context, *node, result.model);
    }
    if (const toml::node* node = keys.take("variable")) {
        readVariables(context, *node, result.model);
    }
    if (const toml::node* node = keys.take("target")) {
        readTargets(context, *node, result.model);
    }
    if (const toml::node* node = keys.take("event")) {
        readEvents(context, *node, result.model);
    }
    keys.finish();
    result.problems = context.takeProblems();
    return result;
}

std::string formatProblem(const std::string& file, const Problem& problem) {
    const char* severity = problem.severity == Severity::Error ? "error" : "warning";
    if (problem.line == 0) {
        return strprintf("%s: %s: %s", file.c_str(), severity, problem.message.c_str());
    }
    return strprintf("%s:%d:%d: %s: %s", file.c_str(), problem.line, problem.column, severity,
                     problem.message.c_str());
}

}  // namespace velk::text
