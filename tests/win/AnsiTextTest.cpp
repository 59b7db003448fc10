// Double-byte code pages: with the C runtime on Japanese (932), a character
// whose second byte is a backslash, a bar or any other separator stays whole.
#include <gtest/gtest.h>
#include <mbctype.h>

#include "board/Board.h"
#include "board/TimeFormat.h"
#include "framework/AnsiText.h"
#include "framework/FileReplace.h"
#include "framework/FileStatus.h"
#include "remote/OscSocket.h"
#include "scheme/Preferences.h"
#include "scheme/SchemeFormat.h"

namespace {

class ShiftJisTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(_setmbcp(932), 0); }
    void TearDown() override { _setmbcp(_MB_CP_ANSI); }
};

// 0x95 0x5C is one kanji whose second byte is a backslash; 0x83 0x7C one
// whose second byte is a bar.
const std::string kBackslashKanji = "\x95\x5C";
const std::string kBarKanji = "\x83\x7C";

TEST_F(ShiftJisTest, SeparatorsAreNeverSecondBytes) {
    EXPECT_EQ(board::NameFromPath("C:\\Sounds\\" + kBackslashKanji + ".wav"), kBackslashKanji);
    EXPECT_EQ(scheme::FavouriteCaption("C:\\Shows\\" + kBackslashKanji + ".scheme"), kBackslashKanji);
    EXPECT_EQ(board::CleanSlotName(kBarKanji + "|A", "C:\\a.wav"), kBarKanji + "A");
    const auto fields = scheme::SplitSlotFields("C:\\" + kBarKanji + ".wav|" + kBarKanji + "|0|0|0|1|");
    EXPECT_EQ(fields[0], "C:\\" + kBarKanji + ".wav");
    EXPECT_EQ(fields[1], kBarKanji);
    EXPECT_EQ(fields[5], "1");
    EXPECT_EQ(fw::FolderOf("C:\\Shows\\" + kBackslashKanji + ".scheme"), "C:\\Shows\\");
    EXPECT_FALSE(fw::IsWindowsDeviceName("C:\\" + kBackslashKanji + "nul"));
}

TEST_F(ShiftJisTest, NamesAreCutToTheDisplayOnAWholeCharacter) {
    const std::string name = std::string(18, 'A') + kBackslashKanji;  // 20 bytes for 19 columns
    EXPECT_EQ(board::DisplayTextFor(board::DisplayKind::Title, name + "|00;05"), std::string(18, 'A') + "  00;05");
    EXPECT_EQ(fw::PrefixAnsi(kBarKanji + kBarKanji, 3), kBarKanji);
}

// Names from the network in the system's code page (1252 under the tests):
// exactly, or not at all, never as a look-alike that fires another slot.
TEST(OscTextTest, NamesConvertExactlyOrNotAtAll) {
    EXPECT_EQ(remote::Utf8ToAnsi("\xC3\x84\xC3\x96"), std::optional<std::string>("\xC4\xD6"));  // "ÄÖ"
    EXPECT_EQ(remote::Utf8ToAnsi("\xC5\x81" "ADA"), std::nullopt) << "best fit would make it LADA";
    EXPECT_EQ(remote::Utf8ToAnsi("\xE6\x97\xA5"), std::nullopt) << "best fit would make it ?";
    EXPECT_EQ(remote::Utf8ToAnsi("\xC4\xD6"), std::optional<std::string>("\xC4\xD6")) << "not UTF-8: as it came";
    EXPECT_EQ(remote::AnsiToUtf8("\xC4\xD6"), "\xC3\x84\xC3\x96");
}

}  // namespace
