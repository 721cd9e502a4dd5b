#include "textform/TextReader.h"

#include <algorithm>

#include "model/StrPrintf.h"
#include "textform/Readers.h"
#include "textform/TextWriter.h"

namespace velk::text {
namespace {

bool anyError(const std::vector<Problem>& problems) {
    return std::any_of(problems.begin(), problems.end(),
                       [](const Problem& p) { return p.severity == Severity::Error; });
}

// The document as TOML with its format checked; nothing after an error (too large, not TOML).
std::optional<toml::table> parseDocument(ReadContext& context, std::string_view document, const char* what) {
    if (document.size() > kMaxDocumentSize) {
        context.problem(
            Severity::Error, 0, 0,
            strprintf("%zu bytes: %s holds at most %zu", document.size(), what, kMaxDocumentSize));
        return std::nullopt;
    }
    toml::table root;
    try {
        root = toml::parse(document);
    } catch (const toml::parse_error& error) {
        context.problem(Severity::Error, static_cast<int>(error.source().begin.line),
                        static_cast<int>(error.source().begin.column), std::string(error.description()));
        return std::nullopt;
    }
    if (const toml::node* format = root.get("format")) {
        std::optional<int32_t> version = context.int32(*format, "format");
        if (version && *version != kFormatVersion) {
            context.error(format->source(),
                          strprintf("format %d is not known here; this program reads format %d", *version,
                                    kFormatVersion));
        }
    }
    return root;
}

}  // namespace

bool TextRead::hasErrors() const {
    return anyError(problems);
}

bool ActionsRead::hasErrors() const {
    return anyError(problems);
}

TextRead readText(std::string_view document) {
    TextRead result;
    result.model.reset();
    ReadContext context(document);
    std::optional<toml::table> root = parseDocument(context, document, "a project text");
    if (root) {
        TableKeys keys(context, *root, "the project");
        keys.take("format");
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
    }
    result.problems = context.takeProblems();
    return result;
}

ActionsRead readActionsText(std::string_view fragment) {
    ActionsRead result;
    ReadContext context(fragment);
    std::optional<toml::table> root = parseDocument(context, fragment, "a text of actions");
    if (root) {
        TableKeys keys(context, *root, "the actions");
        keys.take("format");
        if (const toml::node* event = keys.take("event")) {
            context.string(*event, "event");
        }
        if (const toml::node* list = keys.take("action")) {
            readActionList(context, *list, result.actions);
        }
        keys.finish();
    }
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
