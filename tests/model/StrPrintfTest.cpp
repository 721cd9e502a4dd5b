#include <gtest/gtest.h>

#include "model/StrPrintf.h"

namespace velk {
namespace {

TEST(StrPrintf, FormatsTextsOfAnyLength) {
    EXPECT_EQ(strprintf("key_table%d", 59), "key_table59");
    EXPECT_EQ(strprintf("%s", ""), "");
    std::string big(100000, 'x');
    EXPECT_EQ(strprintf("'%s'", big.c_str()).size(), big.size() + 2);
}

}  // namespace
}  // namespace velk
