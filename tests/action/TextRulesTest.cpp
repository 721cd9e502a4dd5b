#include <gtest/gtest.h>

#include "action/TextRules.h"
#include "support/ActionMaker.h"

namespace velk {
namespace {

using test::enumBlank;

TEST(ParseHexText, NormalisesPieces) {
    const std::pair<const char*, const char*> cases[] = {
        {"1 2 AB 3f0", "01 02 ab ff"}, {"  0A   1 ", "0a 01"}, {"ff", "ff"}, {"123456", "ff"}, {"0", "00"},
    };
    for (auto [input, normal] : cases) {
        EXPECT_EQ(normalizeHexText(input), std::optional<std::string>(normal)) << input;
    }
}

TEST(ParseHexText, RefusesOtherCharactersAndBlankText) {
    for (const char* input : {"0x12", "", "   ", "g", "01\t02", "01,02", "\xC5\xBC"}) {
        EXPECT_FALSE(ParseHexText(input)) << input;
    }
}

TEST(ParseHexText, TakesMorePiecesThanTheOldTable) {
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        text += "a ";
    }
    auto bytes = ParseHexText(text);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 3000u);
}

TEST(CheckDollarEscapes, AcceptsOnlyCompleteEscapes) {
    for (const char* bad : {"100$", "$2", "$g1", "$$41", "$", "ab$0"}) {
        EXPECT_FALSE(CheckDollarEscapes(bad)) << bad;
    }
    for (const char* good : {"$24", "A$0d$0a", "", "plain", "$FF$00"}) {
        EXPECT_TRUE(CheckDollarEscapes(good)) << good;
    }
}

TEST(FormatDataText, WritesBlanksBetweenSegments) {
    SendData data;
    data.texts = {"AB", "CD"};
    data.placeholders = {enumBlank(2, 0, 0, 0, 2, 0)};
    data.varNum = 1;
    EXPECT_EQ(FormatDataText(data), "AB$(**,E3,1,add,loop,save)CD");
}

TEST(FormatDataText, EachKindAndItsFallbacks) {
    Placeholder count;
    count.kind = kKindInput;
    count.modeIndex = 2;
    count.countIndex = 2;
    count.overflowIndex = 1;
    count.digits = 1;
    EXPECT_EQ(placeholderText(count), "$(*,Input,count,3,cut)");

    Placeholder var;
    var.kind = kKindVar;
    var.varIndex = 1;
    var.step = 1;
    var.interval = 5;
    var.varDirection = 1;
    var.digits = 3;
    EXPECT_EQ(placeholderText(var), "$(***,V2,1,5,sub)");

    EXPECT_EQ(placeholderText(enumBlank(0, 0, 0, 0, 0, 0)), "$(,E1,1,add,loop,save)");

    Placeholder odd;
    odd.kind = kKindInput;
    odd.modeIndex = 7;
    odd.overflowIndex = -3;
    odd.digits = -5;
    EXPECT_EQ(placeholderText(odd), "$(,Input,full,discard)");

    Placeholder firstCount = count;
    firstCount.countIndex = 0;
    EXPECT_EQ(placeholderText(firstCount), "$(*,Input,count,1,cut)");
    firstCount.countIndex = 9;
    EXPECT_EQ(placeholderText(firstCount), "$(*,Input,count,1,cut)");

    Placeholder unknownKind = var;
    unknownKind.kind = 7;
    EXPECT_EQ(placeholderText(unknownKind), "$(***,V2,1,5,sub)");

    Placeholder flags = enumBlank(9, 19, 0, 0, 1, 0);
    flags.enumDirection = 1;
    flags.loopIndex = 1;
    flags.saveIndex = 1;
    EXPECT_EQ(placeholderText(flags), "$(*,E10,20,sub,unloop,unsave)");
}

TEST(FormatDataText, WithoutBlanksIsTheSingleSegment) {
    SendData data;
    data.texts = {"hello$0d"};
    EXPECT_EQ(FormatDataText(data), "hello$0d");
    EXPECT_EQ(FormatDataText(SendData{}), "");
}

TEST(FormatDataText, HostileFieldsStayBounded) {
    SendData data;
    data.texts = {"x"};  // fewer segments than blanks
    Placeholder wide = enumBlank(INT32_MAX, INT32_MAX, 0, 0, INT32_MAX, 0);
    data.placeholders = {wide, wide};
    std::string text = FormatDataText(data);
    EXPECT_EQ(text.substr(0, 3), "x$(");
    EXPECT_NE(text.find(",E2147483648,2147483648,"), std::string::npos);
    EXPECT_LT(text.size(), 2 * kMaxStarRun + 200);
}

TEST(DecodeDollarEscapes, IncompleteEscapesFromOldFiles) {
    const std::pair<const char*, std::string> cases[] = {
        {"$41$42", "AB"},
        {"$4", "\x04"},
        {"$", ""},
        {"x$zz", std::string("x\0", 2)},
        {"$g1", "\x01"},
        {"$$41",
         "\x04"
         "1"},
    };
    for (const auto& [input, bytes] : cases) {
        EXPECT_EQ(DecodeDollarEscapes(input), bytes) << input;
    }
}

}  // namespace
}  // namespace velk
