#include <gtest/gtest.h>

#include "model/Gbk.h"

namespace velk {
namespace {

TEST(Gbk, RoundTripsChineseTexts) {
    const std::string utf8 = "偶校验 AB$24 按键1";
    auto gbk = utf8ToGbk(utf8);
    ASSERT_TRUE(gbk);
    // 偶 is 0xC5 0xBC in code page 936.
    EXPECT_EQ(gbk->substr(0, 2), "\xC5\xBC");
    EXPECT_EQ(gbkToUtf8(*gbk), utf8);
}

TEST(Gbk, RefusesWhatGbkCannotHold) {
    EXPECT_FALSE(utf8ToGbk("emoji \xF0\x9F\x98\x80"));
    EXPECT_FALSE(utf8ToGbk("\xFF broken utf8"));
    EXPECT_FALSE(gbkToUtf8("\x81"));  // a lead byte without its trail byte
}

TEST(Gbk, LossyConversionKeepsWhatItCanAndMarksTheRest) {
    EXPECT_EQ(gbkToUtf8Lossy("A\x81"), "A\xEF\xBF\xBD");
    EXPECT_EQ(gbkToUtf8Lossy("\xFF\xFF"
                             "B"),
              "\xEF\xBF\xBD\xEF\xBF\xBD"
              "B");
    EXPECT_EQ(gbkToUtf8Lossy(""), "");
    EXPECT_EQ(gbkToUtf8Lossy(std::string("a\0b", 3)), std::string("a\0b", 3));
}

}  // namespace
}  // namespace velk
