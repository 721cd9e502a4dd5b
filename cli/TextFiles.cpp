#include "cli/TextFiles.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "cli/TerminalText.h"
#include "project/ProjectReader.h"

namespace velk::cli {
namespace {

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

// A project file begins with SQLite's header; a file named *.db is taken for one too, so an empty
// or damaged one is refused rather than read as an empty text. Only a regular file is looked into:
// a pipe (such as the shell's <(...)) cannot be read twice, so it is taken for a text.
bool isProjectFile(const std::string& path) {
    if (path == kStandardStream) {
        return false;
    }
    const bool namedAsProject = path.size() >= 3 && path.compare(path.size() - 3, 3, ".db") == 0;
    return namedAsProject || hasProjectHeader(path);
}

// A message's lines (a dialog's message may have several) as one line, so that each problem is one.
std::string oneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c != '\n') {
            line += c;
        } else if (!line.empty() && line.back() != ' ') {
            line += ' ';
        }
    }
    return line;
}

}  // namespace

bool hasProjectHeader(const std::string& path) {
    std::error_code code;
    if (path == kStandardStream || !std::filesystem::is_regular_file(path, code)) {
        return false;
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

std::string displayName(const std::string& path) {
    return path == kStandardStream ? "<stdin>" : terminalText(path);
}

std::optional<std::string> readTextFile(const std::string& path) {
    if (hasProjectHeader(path)) {
        std::fprintf(stderr,
                     "velkctl: %s: is a project file, not a project text (velkctl export gives its text)\n",
                     displayName(path).c_str());
        return std::nullopt;
    }
    std::error_code code;
    if (path != kStandardStream && std::filesystem::is_directory(path, code)) {
        std::fprintf(stderr, "velkctl: %s: is a directory\n", displayName(path).c_str());
        return std::nullopt;
    }
    FILE* in = path == kStandardStream ? stdin : std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        std::fprintf(stderr, "velkctl: %s: %s\n", displayName(path).c_str(), std::strerror(errno));
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

bool reportProblems(const std::string& path, const text::TextRead& read, bool warnings) {
    size_t errors = 0;
    for (const text::Problem& problem : read.problems) {
        const bool error = problem.severity == text::Severity::Error;
        if (error || warnings) {
            // A problem may quote the text; its control bytes are escaped like every text shown.
            std::fprintf(stderr, "%s\n",
                         terminalText(oneLine(text::formatProblem(displayName(path), problem))).c_str());
        }
        errors += error ? 1 : 0;
    }
    if (errors > 0 || (warnings && !read.problems.empty())) {
        std::fprintf(stderr, "%s: %zu errors, %zu warnings\n", displayName(path).c_str(), errors,
                     read.problems.size() - errors);
    }
    return errors == 0;
}

std::optional<ConfigModel> loadProjectFile(const std::string& path, MissingTables missing,
                                           const std::string& where) {
    if (path == kStandardStream) {
        std::fprintf(stderr, "velkctl: %sa project file cannot come from standard input: name the file\n",
                     where.c_str());
        return std::nullopt;
    }
    ProjectLoad load = loadProjectReadOnly(path, missing);
    if (!load.model) {
        std::fprintf(stderr, "velkctl: %s%s: %s\n", where.c_str(), displayName(path).c_str(),
                     terminalMessage(load.error).c_str());
    }
    return std::move(load.model);
}

std::optional<ConfigModel> loadProjectOrText(const std::string& path) {
    if (isProjectFile(path)) {
        return loadProjectFile(path);
    }
    std::optional<std::string> document = readTextFile(path);
    if (!document) {
        return std::nullopt;
    }
    text::TextRead read = text::readText(*document);
    // Only what keeps the comparison from being made; check tells the rest.
    if (!reportProblems(path, read, false)) {
        return std::nullopt;
    }
    return std::move(read.model);
}

bool writeAll(FILE* out, const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
}

}  // namespace velk::cli
