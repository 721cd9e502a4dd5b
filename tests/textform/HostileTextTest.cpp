// Texts no writer of this program makes: the reader reports them and never crashes.
#include <gtest/gtest.h>

#include <random>

#include "textform/TextReader.h"

namespace velk::text {
namespace {

void expectRefused(const std::string& text) {
    TextRead read = readText(text);
    EXPECT_TRUE(read.hasErrors());
    for (const Problem& p : read.problems) {
        EXPECT_FALSE(p.message.empty());
    }
}

TEST(HostileText, RandomBytesAreRefused) {
    std::mt19937 random(13);
    for (int i = 0; i < 300; ++i) {
        std::string text(static_cast<size_t>(random() % 400 + 1), '\0');
        for (char& c : text) {
            c = static_cast<char>(random());
        }
        text[0] = '\x80';  // never valid UTF-8 at the start, so never a valid text by chance
        expectRefused(text);
    }
}

TEST(HostileText, HugeStringsAreRefusedWhereverTheyStand) {
    const std::string huge(10 << 20, 'x');
    expectRefused("[[event]]\nname = \"按键1 按下\"\naddString = \"" + huge + "\"\n");
    expectRefused("[[enum]]\nname = \"E1\"\nvalues = [\"" + huge + "\"]\n");
    expectRefused("[[enum]]\nname = \"" + huge + "\"\n");
    expectRefused(huge + " = 1\n");
    expectRefused(std::string(kMaxDocumentSize + 1, '#'));
}

TEST(HostileText, DeepNestingIsRefused) {
    expectRefused("a = " + std::string(100000, '[') + std::string(100000, ']') + "\n");
    std::string tables = "a = ";
    for (int i = 0; i < 5000; ++i) {
        tables += "{ b = ";
    }
    expectRefused(tables + "1" + std::string(5000, '}') + "\n");
    expectRefused(
        "[[event]]\nname = \"按键1 按下\"\n[[event.action]]\nfunction = \"网络\"\ndata = "
        "[[[[[[\"x\"]]]]]]\n");
}

TEST(HostileText, WrongTypesAnywhereAreRefused) {
    for (const char* text : {
             "enum = \"E1\"\n",
             "enum = [1, 2]\n",
             "[enum]\nname = \"E1\"\n",
             "[[enum]]\nname = 1\n",
             "[[enum]]\nname = \"E1\"\nvalues = \"a\"\n",
             "[[enum]]\nname = \"E1\"\nvalues = [1]\n",
             "[[enum]]\nname = \"E1\"\nvalues = [[\"a\"]]\n",
             "[[target]]\nname = \"TCP1\"\nip = 3232235941\n",
             "[[event]]\nname = [\"按键1 按下\"]\n",
             "[[event]]\nname = \"按键1 按下\"\naction = 5\n",
             "[[event]]\nname = \"按键1 按下\"\n[[event.action]]\nfunction = true\n",
             "[[event]]\nname = \"按键1 按下\"\n[[event.action]]\nfunction = \"红外\"\nirChannels = 5\n",
             "[[event]]\nname = \"按键1 按下\"\n[[event.action]]\nfunction = \"网络\"\ndata = \"x\"\n",
             "[[event]]\nname = \"按键1 按下\"\n[[event.action]]\nfunction = \"网络\"\ndata = [1]\n",
             "[[event]]\nname = \"按键1 按下\"\n[[event.action]]\nfunction = \"网络\"\ndata = [\"a\", "
             "1979-05-27, \"b\"]\n",
             "[[event]]\nname = \"按键1 按下\"\n[[event.action]]\nfunction = \"网络\"\n"
             "data = [\"a\", { source = 1, digits = 1 }, \"b\"]\n",
             "[[event]]\nname = \"按键1 按下\"\n[[event.action]]\nfunction = \"网络\"\n"
             "data = [\"a\", { source = \"E1\", digits = \"1\" }, \"b\"]\n",
             "[[event]]\nname = \"按键1 按下\"\n[[event.action]]\nid = \"0\"\nfunction = \"红外\"\n",
             "format = \"1\"\n",
         }) {
        SCOPED_TRACE(text);
        expectRefused(text);
    }
}

// Characters the parser's whitespace table does not cover, where it looks for whitespace.
TEST(HostileText, OddCharactersBetweenTokensAreRefused) {
    expectRefused("[[enum]]\nname = \"E1\"\nvalues = [\"a\"\u3001\"b\"]\n");
    expectRefused("[[variable]]\nname = \"V1\"\nmax = 1\u3002\n");
    expectRefused("\xcc\xaa");
    expectRefused("s = \"\"\"\\\n\u00a7\"\"\"\n");
    expectRefused("[[variable]]\nname = \"V1\"\nmax =\u00a7 1\n");
}

TEST(HostileText, DuplicateKeysAreRefused) {
    expectRefused("[[enum]]\nname = \"E1\"\nname = \"E2\"\n");
    expectRefused(
        "[[event]]\nname = \"按键1 按下\"\n[[event.action]]\nfunction = \"红外\"\nfunction = \"IO\"\n");
    expectRefused("[[target]]\nname = \"TCP1\"\nport = 1\n[[target]]\nname = \"TCP1\"\nport = 2\n");
}

}  // namespace
}  // namespace velk::text
