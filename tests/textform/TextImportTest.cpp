// A text that passes check always imports, and the file holds exactly the text.
#include <gtest/gtest.h>

#include <random>

#include "project/ProjectReader.h"
#include "session/ProjectImport.h"
#include "support/RichProject.h"
#include "support/TempDir.h"
#include "textform/ModelMaker.h"
#include "textform/TextReader.h"
#include "textform/TextWriter.h"

namespace velk::text {
namespace {

void expectImports(const std::string& text, const std::string& path) {
    TextRead read = readText(text);
    ASSERT_FALSE(read.hasErrors());
    ImportOutcome outcome = importProject(read.model, path, true);
    ASSERT_TRUE(outcome.ok) << outcome.error << "\n" << text;
    ProjectLoad load = loadProjectReadOnly(path);
    ASSERT_TRUE(load.model) << load.error;
    EXPECT_EQ(firstProjectDifference(read.model, *load.model), "");
}

TEST(TextImport, RandomProjectsImportAsTheirText) {
    test::TempDir dir;
    for (uint32_t variant = 1000; variant < 1030; ++variant) {
        SCOPED_TRACE(variant);
        ModelMaker maker(variant);
        expectImports(exportText(maker.make()), dir.file("p.db"));
        if (HasFatalFailure()) {
            return;
        }
    }
}

// Lines of a rich text dropped, doubled or swapped at random: every result without errors imports.
TEST(TextImport, EditedTextsThatPassCheckImport) {
    test::TempDir dir;
    ASSERT_TRUE(test::makeRichProject(dir.file("rich.db")));
    ProjectLoad load = loadProjectReadOnly(dir.file("rich.db"));
    ASSERT_TRUE(load.model);
    std::vector<std::string> lines;
    const std::string text = exportText(*load.model);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start + 1));
        start = end + 1;
    }
    std::mt19937 random(7);
    int imported = 0;
    for (int round = 0; round < 2000 && imported < 40; ++round) {
        std::vector<std::string> edited = lines;
        for (int edit = 0; edit <= static_cast<int>(random() % 2); ++edit) {
            const size_t i = random() % edited.size();
            const size_t j = random() % edited.size();
            switch (random() % 3) {
                case 0:
                    edited.erase(edited.begin() + static_cast<long>(i));
                    break;
                case 1:
                    edited.insert(edited.begin() + static_cast<long>(i), edited[j]);
                    break;
                default:
                    std::swap(edited[i], edited[j]);
                    break;
            }
        }
        std::string candidate;
        for (const std::string& line : edited) {
            candidate += line;
        }
        if (readText(candidate).hasErrors()) {
            continue;
        }
        ++imported;
        SCOPED_TRACE(round);
        expectImports(candidate, dir.file("p.db"));
        if (HasFatalFailure()) {
            return;
        }
    }
    EXPECT_GE(imported, 20);
}

// The example of the format's documentation is what it says: clean, and written back as it stands.
TEST(TextImport, TheDocumentedExampleImportsAndExportsAsItStands) {
    const std::string doc = test::readFileBytes(VELK_PROJECT_TEXT_DOC);
    const size_t start = doc.find("```toml\n");
    ASSERT_NE(start, std::string::npos);
    const size_t end = doc.find("```", start + 8);
    const std::string example = doc.substr(start + 8, end - start - 8);
    TextRead read = readText(example);
    EXPECT_FALSE(read.hasProblems());
    test::TempDir dir;
    expectImports(example, dir.file("example.db"));
    ProjectLoad load = loadProjectReadOnly(dir.file("example.db"));
    ASSERT_TRUE(load.model);
    EXPECT_EQ(exportText(*load.model), example);
}

}  // namespace
}  // namespace velk::text
