// Display texts of numbers and times with the English table selected, and the
// random bright colours.
#include "app/Formatters.h"
#include "language/Language.h"
#include "core/Plim.h"
#include "util/Random.h"
#include "util/UColor.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>

namespace {

class FormattersTest : public ::testing::Test {
protected:
    void SetUp() override {
        new Plim(Plim::Bare{});
        PLIM->language = new Language();
        PLIM->language->setCurrentLanguage(0);
    }
    void TearDown() override {
        delete PLIM;
        PLIM = nullptr;
    }
};

TEST_F(FormattersTest, Percentages) {
    EXPECT_EQ(Formatters::formatPercent(0.5f), "50.0%");
    EXPECT_EQ(Formatters::formatPercent(0.0f), "0.0%");
    EXPECT_EQ(Formatters::formatPercent(1.0f), "100.0%");
    EXPECT_EQ(Formatters::formatPercent(0.2f), "20.0%");
    EXPECT_EQ(Formatters::formatPercent(0.12345f), "12.3%");
    EXPECT_EQ(Formatters::formatPercent(-0.25f), "-25.0%");
    EXPECT_EQ(Formatters::formatTenthsPercent(123), "12.3%");
    EXPECT_EQ(Formatters::formatTenthsPercent(5), "0.5%");
    EXPECT_EQ(Formatters::formatTenthsPercent(1000), "100.0%");
    EXPECT_EQ(Formatters::formatTenthsPercent(-5), "-0.5%");
    EXPECT_EQ(Formatters::formatTenthsPercent(-123), "-12.3%");
    EXPECT_EQ(Formatters::formatTenthsPercent(INT_MIN), "-214748364.8%");
}

TEST_F(FormattersTest, Times) {
    EXPECT_EQ(Formatters::formatTime(0.0), "00:00");
    EXPECT_EQ(Formatters::formatTime(59.9), "00:59");
    EXPECT_EQ(Formatters::formatTime(61.0), "01:01");
    EXPECT_EQ(Formatters::formatTime(6000.0), "100:00");
    EXPECT_EQ(Formatters::formatTime(-61.5), "-01:01");
    EXPECT_EQ(Formatters::formatTime(-0.5), "00:00");
    EXPECT_EQ(Formatters::formatTime(1e300), "16666666666666:40");
}

TEST_F(FormattersTest, GroupedIntegers) {
    EXPECT_EQ(Formatters::formatGroupedInteger(0), "0");
    EXPECT_EQ(Formatters::formatGroupedInteger(999), "999");
    EXPECT_EQ(Formatters::formatGroupedInteger(1000), "1,000");
    EXPECT_EQ(Formatters::formatGroupedInteger(12345), "12,345");
    EXPECT_EQ(Formatters::formatGroupedInteger(123456), "123,456");
    EXPECT_EQ(Formatters::formatGroupedInteger(1234567), "1,234,567");
    EXPECT_EQ(Formatters::formatGroupedInteger(1000000000), "1,000,000,000");
    EXPECT_EQ(Formatters::formatGroupedInteger(INT_MAX), "2,147,483,647");
    // One leading sign, never a separator right after it.
    EXPECT_EQ(Formatters::formatGroupedInteger(-999), "-999");
    EXPECT_EQ(Formatters::formatGroupedInteger(-1000), "-1,000");
    EXPECT_EQ(Formatters::formatGroupedInteger(-123456), "-123,456");
    EXPECT_EQ(Formatters::formatGroupedInteger(INT_MIN), "-2,147,483,648");
}

TEST_F(FormattersTest, RandomColoursAreBrightButNeverWhite) {
    Random::seed(99);
    std::set<uint32_t> seen;
    for (int i = 0; i < 2000; ++i) {
        UColor colour(Formatters::randomColour());
        EXPECT_EQ(colour.a, 255);
        int full = 0;
        for (uint8_t channel : {colour.r, colour.g, colour.b}) {
            if (channel == 255) ++full;
            else EXPECT_TRUE(channel % 32 == 0 && channel <= 128) << int(channel);
        }
        EXPECT_TRUE(full == 1 || full == 2) << std::hex << colour.toU32();
        seen.insert(colour.toU32());
    }
    // Every one of the six bright patterns shows up, with varied dim channels.
    EXPECT_GT(seen.size(), 50u);

    Random::seed(99);
    uint32_t first = Formatters::randomColour();
    Random::seed(99);
    EXPECT_EQ(Formatters::randomColour(), first);
}

} // namespace
