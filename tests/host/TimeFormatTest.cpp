#include "board/TimeFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using board::DisplayKind;
using board::DisplayTextFor;
using board::FormatTime;

namespace {

TEST(FormatTime, SplitsIntoMinutesSecondsAndTenths) {
    const auto t = FormatTime(65.35f);
    EXPECT_EQ(1, t.minutes);
    EXPECT_EQ(5, t.seconds);
    EXPECT_EQ(3, t.tenths);
    EXPECT_EQ("01;05", t.minSec);
    EXPECT_EQ(".3", t.tenthsText);
}

TEST(FormatTime, TruncatesAndNeverRoundsUp) {
    EXPECT_EQ("00;00", FormatTime(0.95f).minSec);
    EXPECT_EQ(".9", FormatTime(0.95f).tenthsText);
    EXPECT_EQ("00;59", FormatTime(59.99f).minSec);
    EXPECT_EQ(".9", FormatTime(59.99f).tenthsText);
    EXPECT_EQ("00;00", FormatTime(0.0f).minSec);
    EXPECT_EQ(".0", FormatTime(0.0f).tenthsText);
}

TEST(FormatTime, HundredMinutesOrMoreTakeThreeDigits) {
    EXPECT_EQ("99;59", FormatTime(5999.5f).minSec);
    EXPECT_EQ("100;00", FormatTime(6000.0f).minSec);
    // With the sign in front, the time display's text is then 7 characters.
    EXPECT_EQ(7u, DisplayTextFor(DisplayKind::Time, " " + FormatTime(6000.0f).minSec).size());
}

TEST(FormatTime, OutOfRangeValuesClampInsteadOfOverflowing) {
    // A sound too long for 32 bits of seconds shows as the longest time.
    const auto huge = FormatTime(1e20f);
    EXPECT_EQ(std::numeric_limits<int>::max() / 60, huge.minutes);
    EXPECT_GE(huge.seconds, 0);
    EXPECT_LE(huge.seconds, 59);
    EXPECT_GE(huge.tenths, 0);
    EXPECT_LE(huge.tenths, 9);

    const auto inf = FormatTime(std::numeric_limits<float>::infinity());
    EXPECT_EQ(huge.minSec, inf.minSec);

    const auto nan = FormatTime(std::nanf(""));
    EXPECT_EQ("00;00", nan.minSec);
    EXPECT_EQ(".0", nan.tenthsText);

    const auto negative = FormatTime(-1e20f);
    EXPECT_LT(negative.minutes, 0);
}

TEST(DisplayText, TitleNameTakesNineteenColumnsThenASpace) {
    EXPECT_EQ("ABCDEFGHIJKLMNOPQRS 01;05", DisplayTextFor(DisplayKind::Title, "ABCDEFGHIJKLMNOPQRS|01;05"));
    EXPECT_EQ("ABCDEFGHIJKLMNOPQRS 01;05", DisplayTextFor(DisplayKind::Title, "ABCDEFGHIJKLMNOPQRST|01;05"));
    EXPECT_EQ("DOOR                00;02", DisplayTextFor(DisplayKind::Title, "DOOR|00;02"));
    // Only the first bar splits.
    EXPECT_EQ("A                   b|c", DisplayTextFor(DisplayKind::Title, "A|b|c"));
}

TEST(DisplayText, TitleWithoutBarHasAnEmptyName) {
    EXPECT_EQ(std::string(20, ' ') + "hello", DisplayTextFor(DisplayKind::Title, "hello"));
    EXPECT_EQ(std::string(25, ' '), DisplayTextFor(DisplayKind::Title, "|     "));
}

TEST(DisplayText, TimeAndTenthsArePaddedButNeverCut) {
    EXPECT_EQ("      ", DisplayTextFor(DisplayKind::Time, ""));
    EXPECT_EQ(" 01;05", DisplayTextFor(DisplayKind::Time, " 01;05"));
    EXPECT_EQ("1     ", DisplayTextFor(DisplayKind::Time, "1"));
    EXPECT_EQ(" 100;00", DisplayTextFor(DisplayKind::Time, " 100;00"));
    EXPECT_EQ("  ", DisplayTextFor(DisplayKind::Tenths, ""));
    EXPECT_EQ(".3", DisplayTextFor(DisplayKind::Tenths, ".3"));
    EXPECT_EQ(".  ", DisplayTextFor(DisplayKind::Tenths, ".  "));
}

}  // namespace
