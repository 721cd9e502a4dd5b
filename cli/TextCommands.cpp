// velkctl export, import, check and diff: a project as text (docs/project-text.md).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "cli/CliCommands.h"
#include "model/db/ProjectReader.h"
#include "session/ProjectImport.h"
#include "textform/ProjectDiff.h"
#include "textform/TextReader.h"
#include "textform/TextWriter.h"

namespace velk::cli {

namespace {

// diff: 0 the same, 1 different; a file it cannot compare is neither, so it gets 2, as diff(1)
// and cmp(1) answer trouble. No other velkctl meaning of 2 (panel unreachable) can arise here.
constexpr int kExitDiffTrouble = 2;

constexpr const char* kStandardStream = "-";

// Arguments split into positionals and the flags a command knows; an option that takes a value
// consumes the next argument.
struct Parsed {
    std::vector<std::string> positional;
    bool force = false;
    std::optional<std::string> output;
    bool ok = true;
};

Parsed parse(const Args& args, bool takesForce, bool takesOutput) {
    Parsed parsed;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (takesForce && arg == "--force") {
            parsed.force = true;
        } else if (takesOutput && (arg == "-o" || arg == "--output") && i + 1 < args.size()) {
            parsed.output = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "velkctl: unknown or incomplete option '%s'\n", arg.c_str());
            parsed.ok = false;
        } else {
            parsed.positional.push_back(arg);
        }
    }
    return parsed;
}

bool usage(const Parsed& parsed, size_t positionals, const char* text) {
    if (parsed.ok && parsed.positional.size() == positionals) {
        return true;
    }
    std::fprintf(stderr, "usage: velkctl %s\n", text);
    return false;
}

std::string displayName(const std::string& path) {
    return path == kStandardStream ? "<stdin>" : path;
}

// Everything left in a stream, or nothing when it cannot be read or grows beyond a project text.
std::optional<std::string> readAll(FILE* in) {
    std::string text;
    char buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        text.append(buffer, n);
        if (text.size() > text::kMaxDocumentSize) {
            return std::nullopt;
        }
    }
    if (std::ferror(in) != 0) {
        return std::nullopt;
    }
    return text;
}

// The whole text of a file, or of standard input for "-"; nothing after a message.
std::optional<std::string> readTextFile(const std::string& path) {
    std::error_code code;
    if (path != kStandardStream && std::filesystem::is_directory(path, code)) {
        std::fprintf(stderr, "velkctl: %s: is a directory\n", path.c_str());
        return std::nullopt;
    }
    FILE* in = path == kStandardStream ? stdin : std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        std::fprintf(stderr, "velkctl: %s: %s\n", path.c_str(), std::strerror(errno));
        return std::nullopt;
    }
    std::optional<std::string> text = readAll(in);
    if (in != stdin) {
        std::fclose(in);
    }
    if (!text) {
        // A text far beyond any project is refused before it is read whole.
        std::fprintf(stderr, "velkctl: %s: cannot be read, or more than a project text holds (%zu bytes)\n",
                     displayName(path).c_str(), text::kMaxDocumentSize);
    }
    return text;
}

// Prints the problems on stderr (the warnings too unless only errors matter); true when the text
// can be imported.
bool report(const std::string& path, const text::TextRead& read, bool warnings = true) {
    size_t errors = 0;
    for (const text::Problem& problem : read.problems) {
        const bool error = problem.severity == text::Severity::Error;
        if (error || warnings) {
            std::fprintf(stderr, "%s\n", text::formatProblem(displayName(path), problem).c_str());
        }
        errors += error ? 1 : 0;
    }
    if (errors > 0 || (warnings && !read.problems.empty())) {
        std::fprintf(stderr, "%s: %zu errors, %zu warnings\n", displayName(path).c_str(), errors,
                     read.problems.size() - errors);
    }
    return errors == 0;
}

std::optional<ConfigModel> loadProject(const std::string& path) {
    ProjectLoad load = loadProjectReadOnly(path);
    if (!load.model) {
        std::fprintf(stderr, "velkctl: %s: %s\n", path.c_str(), load.error.c_str());
    }
    return std::move(load.model);
}

// A project file begins with SQLite's header; a file named *.db is taken for one too, so an empty
// or damaged one is refused rather than read as an empty text.
bool isProjectFile(const std::string& path) {
    if (path == kStandardStream) {
        return false;
    }
    if (path.size() >= 3 && path.compare(path.size() - 3, 3, ".db") == 0) {
        return true;
    }
    FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        return false;
    }
    char header[16] = {};
    const size_t read = std::fread(header, 1, sizeof header, in);
    std::fclose(in);
    return read == sizeof header && std::memcmp(header, "SQLite format 3", 16) == 0;
}

std::optional<ConfigModel> loadEither(const std::string& path) {
    if (isProjectFile(path)) {
        return loadProject(path);
    }
    std::optional<std::string> document = readTextFile(path);
    if (!document) {
        return std::nullopt;
    }
    text::TextRead read = text::readText(*document);
    // Only what keeps the comparison from being made; check tells the rest.
    if (!report(path, read, false)) {
        return std::nullopt;
    }
    return std::move(read.model);
}

bool writeAll(FILE* out, const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
}

}  // namespace

int runExport(const Args& args) {
    Parsed parsed = parse(args, false, true);
    if (!usage(parsed, 1, "export PROJECT.db [-o FILE]")) {
        return kExitUsage;
    }
    std::optional<ConfigModel> model = loadProject(parsed.positional[0]);
    if (!model) {
        return kExitUsage;
    }
    const std::string document = text::exportText(*model);
    if (!parsed.output || *parsed.output == kStandardStream) {
        return writeAll(stdout, document) && std::fflush(stdout) == 0 ? kExitOk : kExitUsage;
    }
    FILE* out = std::fopen(parsed.output->c_str(), "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "velkctl: %s: %s\n", parsed.output->c_str(), std::strerror(errno));
        return kExitUsage;
    }
    bool written = writeAll(out, document);
    written = std::fclose(out) == 0 && written;
    if (!written) {
        std::fprintf(stderr, "velkctl: %s: cannot write the text\n", parsed.output->c_str());
        return kExitUsage;
    }
    return kExitOk;
}

int runImport(const Args& args) {
    Parsed parsed = parse(args, true, false);
    if (!usage(parsed, 2, "import FILE PROJECT.db [--force]")) {
        return kExitUsage;
    }
    const std::string& source = parsed.positional[0];
    const std::string& target = parsed.positional[1];
    if (std::optional<std::string> problem = importTargetProblem(target, parsed.force)) {
        std::fprintf(stderr, "velkctl: %s: %s\n", target.c_str(), problem->c_str());
        return kExitUsage;
    }
    std::optional<std::string> document = readTextFile(source);
    if (!document) {
        return kExitUsage;
    }
    text::TextRead read = text::readText(*document);
    if (!report(source, read)) {
        std::fprintf(stderr, "velkctl: %s: not imported\n", displayName(source).c_str());
        return kExitUsage;
    }
    ImportOutcome outcome = importProject(read.model, target, parsed.force);
    if (!outcome.ok) {
        std::fprintf(stderr, "velkctl: %s: %s\n", target.c_str(), outcome.error.c_str());
        return kExitUsage;
    }
    return kExitOk;
}

int runCheck(const Args& args) {
    Parsed parsed = parse(args, false, false);
    if (!usage(parsed, 1, "check FILE")) {
        return kExitUsage;
    }
    std::optional<std::string> document = readTextFile(parsed.positional[0]);
    if (!document) {
        return kExitUsage;
    }
    text::TextRead read = text::readText(*document);
    report(parsed.positional[0], read);
    return read.hasProblems() ? kExitUsage : kExitOk;
}

int runDiff(const Args& args) {
    Parsed parsed = parse(args, false, false);
    if (!usage(parsed, 2,
               "diff A B   (each a project file or a text; exit 0 same, 1 different, 2 trouble)")) {
        return kExitDiffTrouble;
    }
    std::optional<ConfigModel> a = loadEither(parsed.positional[0]);
    std::optional<ConfigModel> b = a ? loadEither(parsed.positional[1]) : std::nullopt;
    if (!a || !b) {
        return kExitDiffTrouble;
    }
    std::vector<std::string> lines = text::diffProjects(*a, *b);
    for (const std::string& line : lines) {
        std::printf("%s\n", line.c_str());
    }
    if (std::fflush(stdout) != 0) {
        return kExitDiffTrouble;
    }
    return lines.empty() ? kExitOk : kExitUsage;
}

}  // namespace velk::cli
