#include "util/UString.h"

#include <gtest/gtest.h>

TEST(UString, HashIsTimesFivePlusSignedByte) {
    EXPECT_EQ(UString("").hash(), 0u);
    EXPECT_EQ(UString("a").hash(), 97u);
    EXPECT_EQ(UString("ab").hash(), 97u * 5u + 98u);
    // bytes above 127 count as negative values
    EXPECT_EQ(UString("\xff").hash(), static_cast<uint32_t>(-1));
}

TEST(UString, FormatTruncatesAtLimit) {
    std::string big(70000, 'x');
    UString u = UString::format("%s", big.c_str());
    EXPECT_EQ(u.length(), 65535u);
    EXPECT_EQ(UString::format("%d-%s", 7, "a"), "7-a");
}

TEST(UString, CopiesAreIndependentAndCompareBytes) {
    UString a("Abc");
    UString b(a);
    b += "d";
    EXPECT_EQ(a, "Abc");
    EXPECT_EQ(b, "Abcd");
    EXPECT_NE(a, UString("abc"));
    EXPECT_EQ(a.substr(5), "");
    EXPECT_EQ(a.toLower(), "abc");
}
