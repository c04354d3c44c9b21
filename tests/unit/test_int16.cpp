#include "controls/int16.h"
#include "controls/resume.h"

#include <QString>
#include <gtest/gtest.h>

TEST(Int16, AdditionWraps)
{
    EXPECT_EQ(add16(32767, 1), -32768);
    EXPECT_EQ(add16(-32768, -1), 32767);
    EXPECT_EQ(add16(16, 1), 17);
}

TEST(Int16, ConversionRoundsHalfToEvenAndFailsOutOfRange)
{
    EXPECT_EQ(cint16(1234.5), 1234);
    EXPECT_EQ(cint16(1235.5), 1236);
    EXPECT_EQ(cint16(-615.5), -616);
    EXPECT_EQ(cint16(6195.0 / 37), 167);
    EXPECT_EQ(cint16(32767.4), 32767);
    EXPECT_THROW(cint16(32767.5), OverflowError);
    EXPECT_THROW(cint16(-32768.6), OverflowError);
    EXPECT_THROW(cint16(40000), OverflowError);
}

TEST(Int16, TextConversion)
{
    EXPECT_EQ(textToInt16(QStringLiteral("80")), 80);
    EXPECT_EQ(textToInt16(QStringLiteral("-1")), -1);
    EXPECT_EQ(textToInt16(QStringLiteral(" 17 ")), 17);
    EXPECT_EQ(textToInt16(QStringLiteral("-32768")), -32768);
    for (const char *bad : {"", "abc", "1.5", "12a", "-", "0x10"})
        EXPECT_THROW(textToInt16(QLatin1String(bad)), std::invalid_argument) << bad;
    EXPECT_THROW(textToInt16(QStringLiteral("40000")), OverflowError);
    EXPECT_THROW(textToInt16(QStringLiteral("99999999999999999999")), OverflowError);
}

TEST(Resume, AFailingStepIsSkippedAndAFailingTestTakesTheBranch)
{
    int after = 0;
    step([] { throw std::runtime_error("x"); });
    step([&] { after = 1; });
    EXPECT_EQ(after, 1);
    EXPECT_TRUE(branch([]() -> bool { throw std::runtime_error("x"); }));
    EXPECT_FALSE(branch([] { return false; }));
    // The end of the process is never swallowed.
    EXPECT_THROW(step([] { throw ProcessEnded{}; }), ProcessEnded);
}
