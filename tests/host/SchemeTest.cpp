// Scheme files: writing the board, reading it back with the tolerant rules,
// the failure messages and the window title.
#include "scheme/Scheme.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "BoardFixture.h"
#include "framework/FileStatus.h"
#include "framework/TextFile.h"

namespace {

constexpr int kIdle = static_cast<int>(board::PlayImage::Idle), kPaused = static_cast<int>(board::PlayImage::Paused);

std::string Join(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
    std::string text;
    for (const auto& line : lines) text += line + end;
    return text;
}

std::vector<std::string> EmptySlotLines() { return std::vector<std::string>(18, "||||"); }

class SchemeTest : public BoardFixture {
protected:
    // The place of a file as the board sees it. The folder is joined with a
    // backslash, an ordinary character in a Linux file name, so titles and
    // names come out as they do on Windows.
    std::string At(const std::string& file) const { return dir.Path("Shows\\" + file); }
    // Writes a scheme file and reads it into the board.
    bool LoadText(const std::string& text, const std::string& file = "Show.scheme") {
        return scheme::LoadScheme(board, dir.WriteBytes("Shows\\" + file, text));
    }
    // 18 slot lines, the first ones given, then whatever follows.
    static std::vector<std::string> Scheme(std::vector<std::string> slots, const std::vector<std::string>& after) {
        slots.resize(18, "||||");
        slots.insert(slots.end(), after.begin(), after.end());
        return slots;
    }
    std::string SavedText(const std::string& file = "Saved.scheme") {
        const std::string path = At(file);
        scheme::SaveScheme(board, path);
        return testfiles::TempDir::ReadBytes(path);
    }
    std::string Sound(const std::string& file, double seconds = 10.0) {
        return testfiles::WriteSound(dir, "Sounds\\" + file, seconds);
    }
};

// ---- Writing ----

TEST_F(SchemeTest, EmptyDefaultBoardIsEighteenEmptyLinesThenColoursAndLayout) {
    const std::string expected = Join(EmptySlotLines()) + "Colours=0,255,50,0,58,15\r\nCompact=0\r\n";
    EXPECT_EQ(expected, SavedText("Empty.scheme"));
    EXPECT_EQ("Empty - Clangster", view.title);
    EXPECT_EQ(At("Empty.scheme"), board.schemePath());
    EXPECT_TRUE(messages.pending().empty());
}

TEST_F(SchemeTest, SlotLineHoldsPathNamePositionVolumeAndSwitches) {
    const std::string path = Sound("bell.wav");
    board.LoadSlot(0, path, "Bell");
    board.slot(0).buffer->SetCurrentPosition(12345);
    view.at(0).volume = 5000;
    board.OnVolumeSliderMoved(0, 5000, false);
    board.SetCountDown(0, true);
    EXPECT_EQ(path + "|Bell|12345.000000|5000|1|0|", scheme::FormatSlotLine(board, 0));
    board.SetCountDown(0, false);
    board.SetLoop(0, true);
    board.slot(0).buffer->SetCurrentPosition(0);
    EXPECT_EQ(path + "|Bell|0.000000|5000|0|1|", scheme::FormatSlotLine(board, 0));
    EXPECT_EQ("||||", scheme::FormatSlotLine(board, 1));
}

TEST_F(SchemeTest, ColoursAndLayoutAreWrittenFromTheBoard) {
    board.SetLedColours(0x030201, 0xFFFEFD);
    board.SetLayout(true);
    const std::string text = SavedText();
    EXPECT_NE(std::string::npos, text.find("\r\nColours=1,2,3,253,254,255\r\nCompact=1\r\n"));
}

TEST_F(SchemeTest, SavingLeavesPlayingSoundsPlaying) {
    auto& b = Load(0, "A");
    board.OnPlayButton(0);
    Tick(5);
    const auto logged = view.log.size();
    SavedText();
    EXPECT_TRUE(b.playing);
    EXPECT_EQ((std::vector<std::string>{"SetWindowTitle Saved - Clangster"}), view.Since(logged));
}

// ---- Reading back ----

TEST_F(SchemeTest, RoundTripRestoresEverySlotAndTheLook) {
    const std::string bell = Sound("bell.wav"), horn = Sound("horn.wav");
    board.LoadSlot(0, bell, "Bell");
    board.slot(0).buffer->SetCurrentPosition(12000);
    view.at(0).volume = 3001;
    board.OnVolumeSliderMoved(0, 3001, true);
    board.SetCountDown(0, true);
    board.LoadSlot(5, horn, "");
    board.SetLoop(5, true);
    board.SetLedColours(0x112233, 0x445566);
    board.SetLayout(true);
    const std::string saved = SavedText("Round.scheme");

    fake::FakeView view2;
    board::Board board2(view2, messages, &device);
    ASSERT_TRUE(scheme::LoadScheme(board2, At("Round.scheme")));
    const auto& s0 = board2.slot(0);
    EXPECT_EQ(bell, s0.path);
    EXPECT_EQ("Bell", s0.name);
    EXPECT_EQ(12000u, device.buffers[device.buffers.size() - 2]->position);
    EXPECT_EQ(-1500, device.buffers[device.buffers.size() - 2]->volume);
    board2.OnTimer(board::kFadeTimerId);  // each slider was loaded and moved within one tick
    EXPECT_EQ(3001, view2.at(0).volume);
    EXPECT_TRUE(s0.countDown);
    EXPECT_FALSE(s0.loop);
    EXPECT_EQ("Play", view2.at(0).caption);
    EXPECT_EQ(kPaused, view2.at(0).image);
    EXPECT_EQ(150, view2.at(0).position);
    EXPECT_EQ("-00;08", view2.at(0).time);  // count-down form, written at once
    EXPECT_EQ(".5", view2.at(0).tenths);

    const auto& s5 = board2.slot(5);
    EXPECT_EQ("HORN", s5.name);
    EXPECT_TRUE(s5.loop);
    EXPECT_EQ("Loop", view2.at(5).caption);
    EXPECT_EQ(kIdle, view2.at(5).image);
    EXPECT_EQ(0u, device.last().position);
    EXPECT_EQ(0, view2.at(5).volume);

    EXPECT_EQ(0x112233u, board2.ledOnColour());
    EXPECT_EQ(0x445566u, view2.ledOff);
    EXPECT_TRUE(board2.compact());
    EXPECT_TRUE(view2.compact);
    EXPECT_EQ("Round - Clangster", view2.title);
    EXPECT_EQ(At("Round.scheme"), board2.schemePath());

    scheme::SaveScheme(board2, At("Again.scheme"));
    EXPECT_EQ(saved, testfiles::TempDir::ReadBytes(At("Again.scheme")));
}

TEST_F(SchemeTest, PlayingSlotComesBackPausedWhereItWas) {
    Load(3, "A");
    board.OnPlayButton(3);
    Tick(15);
    SavedText("Live.scheme");
    ASSERT_TRUE(scheme::LoadScheme(board, At("Live.scheme")));
    const auto& b = device.last();
    EXPECT_FALSE(b.playing);
    EXPECT_EQ(12000u, b.position);
    EXPECT_EQ(kPaused, view.at(3).image);
    EXPECT_EQ(" 00;01", view.at(3).time);
    EXPECT_EQ(".5", view.at(3).tenths);
    board.OnPlayButton(3);
    EXPECT_EQ(12000u, b.position);
    EXPECT_TRUE(b.playing);
}

TEST_F(SchemeTest, ReadsLfOnlyFiles) {
    const std::string path = Sound("a.wav");
    ASSERT_TRUE(LoadText(Join(Scheme({path + "|A|800|0|0|1|"}, {"Colours=1,2,3,4,5,6", "Compact=1"}), "\n")));
    EXPECT_EQ("A", board.slot(0).name);
    EXPECT_TRUE(board.slot(0).loop);
    EXPECT_EQ(800u, device.last().position);
    EXPECT_EQ(0x060504u, board.ledOffColour());
    EXPECT_TRUE(board.compact());
}

// ---- Tolerant reading ----

TEST_F(SchemeTest, EmptyFileEmptiesTheBoardAndKeepsTheLook) {
    Load(0, "A");
    board.SetLedColours(0x010203, 0x040506);
    board.SetLayout(true);
    const auto logged = view.log.size();
    EXPECT_TRUE(LoadText("", "Blank.scheme"));
    for (int i = 0; i < 18; ++i) EXPECT_FALSE(board.slot(i).loaded()) << i;
    EXPECT_EQ(0x010203u, board.ledOnColour());
    EXPECT_TRUE(board.compact());
    EXPECT_TRUE(view.Since(logged, "Apply").empty());
    EXPECT_EQ("Blank - Clangster", view.title);
    EXPECT_EQ(At("Blank.scheme"), board.schemePath());
}

TEST_F(SchemeTest, MissingColoursOrLayoutLinesKeepWhatTheBoardHad) {
    board.SetLayout(true);
    auto logged = view.log.size();
    EXPECT_TRUE(LoadText(Join(EmptySlotLines())));
    EXPECT_TRUE(view.Since(logged, "Apply").empty());

    logged = view.log.size();
    EXPECT_TRUE(LoadText(Join(Scheme({}, {"Colours=9,8,7,6,5,4"}))));
    EXPECT_EQ((std::vector<std::string>{"ApplyLedColours"}), view.Since(logged, "Apply"));
    EXPECT_EQ(0x070809u, board.ledOnColour());
    EXPECT_EQ(0x040506u, board.ledOffColour());
    EXPECT_TRUE(board.compact());

    // An empty line 19 leaves the colours too, while line 20 still applies.
    logged = view.log.size();
    EXPECT_TRUE(LoadText(Join(Scheme({}, {"", "Compact=0"}))));
    EXPECT_EQ((std::vector<std::string>{"ApplyLayout normal"}), view.Since(logged, "Apply"));
    EXPECT_EQ(0x070809u, board.ledOnColour());
}

struct ColoursCase {
    const char* line;
    std::uint32_t on, off;
};

TEST_F(SchemeTest, ColoursLineIsReadNumberByNumberAfterEightCharacters) {
    const ColoursCase cases[] = {
        {"Colours=0,255,50,0,58,15", 0x32FF00, 0x0F3A00},
        {"Colours=1,2,3", 0x030201, 0x030303},          // the last number repeats
        {"Colours=256,-1,0,0,0,0", 0x00FF00, 0x000000},  // low 8 bits only
        {"Xolours=9,9,9,9,9,9", 0x090909, 0x090909},     // the prefix is not compared
        {"Colours=", 0, 0},
        {"C", 0, 0},
        {"Colours=1,,x,4, 5,+6", 0x000001, 0x060504},
        {"Colours=99999999999999999999,2,3,4,5,6", 0x0302FF, 0x060504},  // saturates, no overflow
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ASSERT_TRUE(LoadText(Join(Scheme({}, {c.line}))));
        EXPECT_EQ(c.on, board.ledOnColour());
        EXPECT_EQ(c.off, board.ledOffColour());
        EXPECT_EQ(c.on, view.ledOn);
    }
}

TEST_F(SchemeTest, OnlyTheExactLineCompactEqualsOneIsCompact) {
    for (const char* line : {"compact=1", "Compact=1 ", "Compact=2", "Compact=0", "x"}) {
        SCOPED_TRACE(line);
        board.SetLayout(true);
        ASSERT_TRUE(LoadText(Join(Scheme({}, {"Colours=0,255,50,0,58,15", line}))));
        EXPECT_FALSE(board.compact());
        EXPECT_FALSE(view.compact);
    }
    ASSERT_TRUE(LoadText(Join(Scheme({}, {"Colours=0,255,50,0,58,15", "Compact=1"}))));
    EXPECT_TRUE(board.compact());
}

TEST_F(SchemeTest, LinesAfterTheTwentiethAreIgnored) {
    const std::string path = Sound("a.wav");
    ASSERT_TRUE(LoadText(Join(Scheme({}, {"Colours=1,1,1,1,1,1", "Compact=0", "Compact=1", path + "|A|0|0|0|0|"}))));
    EXPECT_FALSE(board.compact());
    for (int i = 0; i < 18; ++i) EXPECT_FALSE(board.slot(i).loaded()) << i;
}

TEST_F(SchemeTest, SwitchesAreOnOnlyForExactlyOne) {
    const std::string path = Sound("a.wav");
    ASSERT_TRUE(LoadText(Join(Scheme({path + "|A|0|0|1|1|", path + "|B|0|0|01| 1|", path + "|C|0|0|1.0|1 |",
                                      path + "|D|0|0|0|1"},
                                     {}))));
    EXPECT_TRUE(board.slot(0).countDown);
    EXPECT_TRUE(board.slot(0).loop);
    EXPECT_EQ("Loop", view.at(0).caption);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_FALSE(board.slot(i).countDown) << i;
        EXPECT_FALSE(board.slot(i).loop) << i;
        EXPECT_EQ("Play", view.at(i).caption) << i;
    }
}

TEST_F(SchemeTest, NumbersAreReadLikeAtofAndTruncated) {
    const std::string path = Sound("a.wav");
    ASSERT_TRUE(LoadText(Join(Scheme({path + "|A|123.9|5000.7|0|0|", path + "|B|abc|x|0|0|",
                                      path + "|C|1e30|-1e30|0|0|", path + "||0|0|0|0|"},
                                     {}))));
    FadeTick();  // each slider was loaded and moved within one tick
    const auto& buffers = device.buffers;
    const auto& a = *buffers[buffers.size() - 4];
    EXPECT_EQ(123u, a.position);
    EXPECT_EQ(-2500, a.volume);
    EXPECT_EQ(5000, view.at(0).volume);
    EXPECT_EQ(kPaused, view.at(0).image);

    EXPECT_EQ(0u, buffers[buffers.size() - 3]->position);
    EXPECT_EQ(0, view.at(1).volume);
    EXPECT_EQ(kIdle, view.at(1).image);

    // Absurd numbers are refused by the buffer, never undefined behaviour;
    // a refused position leaves the slot showing an unplayed sound, and a
    // volume past the slider's ends is held at the end.
    EXPECT_TRUE(board.slot(2).loaded());
    EXPECT_EQ(0u, buffers[buffers.size() - 2]->position);
    EXPECT_EQ(0, view.at(2).position);
    EXPECT_EQ(kIdle, view.at(2).image);
    EXPECT_EQ(0, view.at(2).volume);
    EXPECT_EQ(0, buffers[buffers.size() - 2]->volume);

    EXPECT_EQ(board::NameFromPath(path), board.slot(3).name);  // an empty name comes from the path
}

// A stored position between two frames starts on the frame it falls in; a
// line no scheme is written with ends the reading with the reason.
TEST_F(SchemeTest, PositionsAreWholeFramesAndAnOverlongLineIsNotAScheme) {
    testfiles::WavFields stereo;  // 16-bit stereo: 4-byte frames
    stereo.channels = 2;
    stereo.bitsPerSample = 16;
    stereo.blockAlign = 4;
    stereo.dataBytes = 32000;
    const std::string path = testfiles::WriteWav(dir, "Sounds\\frames.wav", stereo);
    ASSERT_TRUE(LoadText(Join(Scheme({path + "|A|1003.0|0|0|0|", path + "|B|3|0|0|0|"}, {}))));
    EXPECT_EQ(1000u, device.buffers[0]->position);
    // Inside the first frame the sound starts at 0, but the slot shows the stored place.
    EXPECT_EQ(0u, device.buffers[1]->position);
    EXPECT_EQ(kPaused, view.at(1).image);
    EXPECT_EQ(" 00;00", view.at(1).time);

    // Past 2 GB of samples (a slot paused past three hours at 48 kHz stereo):
    // the place comes back exactly, and is saved as it was read. The file is
    // sparse: the fake device reads only its header.
    stereo.dataBytes = 3000000000u;
    const std::string longer = testfiles::WriteWav(dir, "Sounds\\longer.wav", stereo, 0);
    std::filesystem::resize_file(longer, 44 + std::uintmax_t{stereo.dataBytes});
    const std::string line = longer + "|LONG|2684354560.000000|0|0|0|";
    ASSERT_TRUE(LoadText(Join(Scheme({line}, {}))));
    EXPECT_EQ(2684354560u, device.last().position);
    EXPECT_EQ(line, scheme::FormatSlotLine(board, 0));

    const std::string huge = path + "|" + std::string(70000, 'N') + "|0|0|0|1|";
    EXPECT_FALSE(LoadText(Join(Scheme({"||||", huge}, {})), "Huge.scheme"));
    ASSERT_EQ(1u, messages.pending().size());
    EXPECT_EQ("Error opening " + At("Huge.scheme") + ":\n\nLine 2 is longer than 65536 characters: this is "
              "not a scheme file.",
              messages.pending()[0]);
    EXPECT_FALSE(board.slot(1).loaded());
    EXPECT_EQ("New scheme - Clangster", view.title);
}

// Start-up reads the first scheme's sounds ahead of the board: the files it
// reads must be exactly those the board then asks the device for, in order.
TEST_F(SchemeTest, TheSoundsReadAheadAreTheOnesTheBoardLoads) {
    const std::string a = Sound("a.wav"), b = Sound("b.wav"), none = At("none.wav");
    const std::string cases[] = {
        Join(Scheme({a + "|A|0|0|0|0|", "||||", b + "|B|5|0|0|1|", a + "|A again|"},
                    {"Colours=0,255,50,0,58,15", "Compact=1", b + "|line 21|"})),
        Join({b + "|B|", a, "", none + "|missing|", dir.dir().string() + "|a folder|"}, "\n"),
        Join({a + "|A|", b + "|" + std::string(70000, 'N') + "|0|0|0|0|", b + "|after the cut|"}),
        "",
    };
    for (const std::string& text : cases) {
        const std::string path = dir.WriteBytes("Shows\\Ahead.scheme", text);
        std::vector<std::string> ahead;
        for (const std::string& sound : scheme::ReadSchemeSoundPaths(path))
            if (!sound.empty()) ahead.push_back(sound);
        device.asked.clear();
        scheme::LoadScheme(board, path);
        EXPECT_EQ(device.asked, ahead) << text.substr(0, 200);
    }
    EXPECT_TRUE(scheme::ReadSchemeSoundPaths(At("no such.scheme")).empty());
}

TEST_F(SchemeTest, MissingSoundLeavesItsSlotEmptyButKeepsItsLine) {
    board.SetLoop(2, true);
    board.SetCountDown(2, true);
    view.at(2).caption = "Loop";
    const std::string absent = dir.Path("absent.wav");
    ASSERT_TRUE(LoadText(Join(Scheme({"", "", absent + "|Gone|88|100|0|0|"}, {}))));
    EXPECT_FALSE(board.slot(2).loaded());
    EXPECT_TRUE(board.slot(2).loop);
    EXPECT_TRUE(board.slot(2).countDown);
    EXPECT_EQ("Loop", view.at(2).caption);
    EXPECT_TRUE(device.buffers.empty());
    EXPECT_TRUE(messages.pending().empty());
    EXPECT_EQ(absent + "|Gone|88|100|0|0|", scheme::FormatSlotLine(board, 2));
    EXPECT_EQ("Gone                --;--", view.at(2).title);
    EXPECT_EQ(100, view.at(2).volume);
}

// A slot kept for a missing sound plays nothing and answers no key or
// trigger; Clear, Browse, New scheme and a Reload that finds the file drop
// the kept line, a Reload that does not find it keeps it.
TEST_F(SchemeTest, AKeptLineLastsUntilTheSlotIsGivenAnotherSound) {
    const std::string absent = dir.Path("Sounds\\late.wav");
    const std::string line = absent + "|LATE ONE|4000|20000|1|1|";
    ASSERT_TRUE(LoadText(Join(Scheme({line, "C:\\gone.wav||0|0|0|1", absent + "|X|0|0|0|0|"}, {}))));
    EXPECT_EQ(10000, view.at(0).volume);  // the slider shows the line's volume, as far as it goes
    EXPECT_EQ("C:\\gone.wav||0|0|0|1", scheme::FormatSlotLine(board, 1));  // exactly as read
    EXPECT_EQ("GONE                --;--", view.at(1).title);
    board.Perform(board::NameAction("LATE ONE", 8));
    Key('1', false);
    EXPECT_TRUE(device.buffers.empty());
    board.OnControlKey(true);
    board.OnControlKey(false);
    EXPECT_EQ("LATE ONE            --;--", view.at(0).title);

    scheme::ReloadSlot(board, 0);  // still missing
    EXPECT_EQ(line, scheme::FormatSlotLine(board, 0));
    Sound("late.wav", 3.0);  // the stick is plugged in: back as the line has it
    scheme::ReloadSlot(board, 0);
    EXPECT_TRUE(board.slot(0).loaded());
    EXPECT_EQ("LATE ONE", board.slot(0).name);
    EXPECT_EQ("Loop", view.at(0).caption);
    EXPECT_EQ(kPaused, view.at(0).image);
    EXPECT_EQ(absent + "|LATE ONE|4000.000000|10000|1|1|", scheme::FormatSlotLine(board, 0));

    board.ClearSlot(1);
    EXPECT_EQ("||||", scheme::FormatSlotLine(board, 1));
    board.LoadSlot(2, absent, "");
    EXPECT_EQ("LATE", board.slot(2).name);
    board.NewScheme();
    for (int i = 0; i < 3; ++i) EXPECT_EQ("||||", scheme::FormatSlotLine(board, i));
}

// Without a device, a scheme read and a sound chosen are both saved whole.
TEST_F(SchemeTest, WithoutASoundDeviceEverySlotKeepsItsLine) {
    board::Board silent(view, messages, nullptr);
    const std::string bell = Sound("bell.wav"), horn = Sound("horn.wav");
    std::vector<std::string> lines = Scheme({bell + "|BELL|0|0|0|1|", "||||"}, {"Colours=0,255,50,0,58,15", "Compact=0"});
    ASSERT_TRUE(scheme::LoadScheme(silent, dir.WriteBytes("Shows\\Quiet.scheme", Join(lines))));
    EXPECT_FALSE(silent.slot(0).loaded());
    silent.SetLoop(1, true);
    silent.LoadSlot(1, horn, "");  // as Browse... does
    lines[1] = horn + "|" + board::NameFromPath(horn) + "|0.000000|0|0|1|";
    const std::string saved = At("Saved.scheme");
    ASSERT_TRUE(scheme::SaveScheme(silent, saved));
    EXPECT_EQ(Join(lines), testfiles::TempDir::ReadBytes(saved));
}

// Every line naming a sound that did not load comes back byte for byte,
// even one at the longest a scheme line may be.
TEST_F(SchemeTest, UnloadedSoundsKeepTheirLinesExactly) {
    const std::string refused = Sound("refused.wav"), locked = Sound("locked.wav"), absent = At("absent.wav");
    device.refused.insert(refused);
    device.unreadable.insert(locked);
    std::string longest = absent + "|L|1|2|3";
    longest += std::string(fw::kMaxLineBytes - longest.size(), 'x');
    const std::string text = Join(Scheme({refused + "|R|8|300|1|1|", locked + "|L|0|0|0|0|", longest}, {}));
    EXPECT_TRUE(LoadText(text));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(!board.slot(i).loaded() && board.slot(i).kept()) << i;
    EXPECT_EQ((std::vector<std::string>{"Error - DS - CreateSoundBuffer"}), messages.pending());
    EXPECT_EQ(text + "Colours=0,255,50,0,58,15\r\nCompact=0\r\n", SavedText());
    EXPECT_TRUE(LoadText(SavedText()));
}

// A name is kept whole as far as its line can hold it, so that a remote
// trigger still finds it after a save.
TEST_F(SchemeTest, LongNamesSurviveASave) {
    const std::string path = Sound("long.wav");
    const std::string name(5000, 'N');
    ASSERT_TRUE(LoadText(Join(Scheme({path + "|" + name + "|0|0|0|0|"}, {}))));
    ASSERT_TRUE(LoadText(SavedText()));
    EXPECT_EQ(name, board.slot(0).name);
    board.Perform(board::NameAction(name.data(), name.size()));
    EXPECT_TRUE(device.last().playing);
    board.RenameSlot(0, std::string(fw::kMaxLineBytes, 'M'));
    EXPECT_TRUE(LoadText(SavedText()));
    EXPECT_LT(60000u, board.slot(0).name.size());
}

// ---- Failures ----

TEST_F(SchemeTest, FileThatCannotBeOpenedLeavesAnEmptyNewScheme) {
    auto& b = Load(0, "A");
    board.OnPlayButton(0);
    SavedText("Old.scheme");
    const std::string path = At("absent.scheme");
    EXPECT_FALSE(scheme::LoadScheme(board, path));
    ASSERT_EQ(1u, messages.pending().size());
    EXPECT_EQ("Error opening " + path + ":\n\n" + std::strerror(ENOENT), messages.pending()[0]);
    EXPECT_FALSE(board.slot(0).loaded());
    EXPECT_FALSE(b.playing);
    EXPECT_TRUE(b.released);
    EXPECT_EQ("New scheme - Clangster", view.title);
    EXPECT_EQ("", board.schemePath());
}

TEST_F(SchemeTest, ReadErrorIsReportedAsAnOpeningError) {
    // A folder opens on Linux but fails at the first read.
    const std::string path = At("folder.scheme");
    std::filesystem::create_directory(path);
    EXPECT_FALSE(scheme::LoadScheme(board, path));
    ASSERT_EQ(1u, messages.pending().size());
    EXPECT_EQ(0u, messages.pending()[0].rfind("Error opening " + path + ":\n\n", 0));
    EXPECT_EQ("New scheme - Clangster", view.title);
    EXPECT_EQ("", board.schemePath());
}

TEST_F(SchemeTest, FailedSaveKeepsTitleAndPath) {
    SavedText("Good.scheme");
    const std::string bad = At("no folder/Bad.scheme");
    scheme::SaveScheme(board, bad);
    ASSERT_EQ(1u, messages.pending().size());
    EXPECT_EQ("Error saving " + bad + ":\n\n" + std::strerror(ENOENT), messages.pending()[0]);
    EXPECT_EQ("Good - Clangster", view.title);
    EXPECT_EQ(At("Good.scheme"), board.schemePath());

    scheme::SaveScheme(board, "/dev/full");  // opens, then cannot write
    ASSERT_EQ(2u, messages.pending().size());
    EXPECT_EQ("Error saving /dev/full:\n\n" + std::string(std::strerror(ENOSPC)), messages.pending()[1]);
    EXPECT_EQ(At("Good.scheme"), board.schemePath());
}

namespace fs = std::filesystem;

// Root passes every permission check: `body` runs as nobody in a child
// process, its result coming back as the exit code.
int AsOrdinaryUser(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) _exit(geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0) ? 99 : body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

// A save puts a whole new file in the old one's place or leaves the old one
// byte for byte. Only a folder that refuses new files for want of rights has
// its (writable) file written in place.
TEST_F(SchemeTest, ASaveReplacesTheOldFileWholeOrLeavesIt) {
    const std::string saved = SavedText(), old = "the old scheme\r\n";
    std::string deep = dir.Path("deep");  // leaves no room for the fresh file's longer name
    while (deep.size() < 3900) deep += "/" + std::string(100, 'd');
    deep += "/" + std::string(4078 - deep.size(), 'd');
    struct Case { std::string folder; int folderMode, fileMode, error; };  // fileMode -1: no old file
    const Case cases[] = {{dir.Path("closed"), 0555, 0644, 0}, {dir.Path("closed, empty"), 0555, -1, EACCES},
                          {dir.Path("read-only"), 0755, 0444, EACCES}, {deep, 0755, 0644, ENAMETOOLONG}};
    fs::permissions(dir.dir(), fs::perms(0755));
    for (const Case& c : cases) {
        const std::string path = c.folder + "/a.scheme", where = c.folder.substr(0, 80);
        fs::create_directories(c.folder);
        if (c.fileMode >= 0) std::ofstream(path, std::ios::binary) << old;
        for (const std::string& p : {c.folder, path}) {
            if (geteuid() == 0) (void)lchown(p.c_str(), 65534, 65534);
            chmod(p.c_str(), p == path ? c.fileMode : c.folderMode);
        }
        const std::string message = "Error saving " + path + ":\n\n" + std::strerror(c.error);
        const auto save = [&] { return scheme::SaveScheme(board, path) ? 0 : messages.pending().back() == message ? 1 : 2; };
        EXPECT_EQ(c.error ? 1 : 0, AsOrdinaryUser(save)) << where;
        EXPECT_EQ(c.error ? (c.fileMode < 0 ? "" : old) : saved, testfiles::TempDir::ReadBytes(path)) << where;
        const auto files = std::distance(fs::directory_iterator(c.folder), fs::directory_iterator());
        EXPECT_EQ(c.fileMode < 0 ? 0 : 1, files) << "a file left beside the old one in " << where;
        chmod(c.folder.c_str(), 0755);
    }
}

// ---- Title ----

TEST_F(SchemeTest, TitleIsTheFileNameLessItsSchemeExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Shows\\Friday.SCHEME", "Friday - Clangster"},
        {"C:\\Shows\\Friday.scheme.bak", "Friday.scheme.bak - Clangster"},
        {"C:/Shows/Friday.scheme", "C:/Shows/Friday - Clangster"},  // a forward slash is not a separator
        {"Friday.scheme", "Friday - Clangster"},
        {".scheme", " - Clangster"},
        {"scheme", "scheme - Clangster"},
        {"C:\\Shows\\", " - Clangster"},
        {"New scheme", "New scheme - Clangster"},
    };
    for (const auto& [path, title] : cases) {
        board.SetSchemeTitle(path);
        EXPECT_EQ(title, view.title) << path;
    }
}

TEST_F(SchemeTest, NewSchemeEmptiesEverySlotButKeepsTheRest) {
    Load(0, "A");
    Load(17, "B");
    board.SetLoop(17, true);
    view.at(17).volume = 800;
    board.OnVolumeSliderMoved(17, 800, false);
    board.SetLayout(true);
    board.SetSchemePath("C:\\x.scheme");
    board.NewScheme();
    EXPECT_FALSE(board.slot(0).loaded());
    EXPECT_FALSE(board.slot(17).loaded());
    EXPECT_TRUE(board.slot(17).loop);
    EXPECT_EQ(800, view.at(17).volume);
    EXPECT_TRUE(board.compact());
    EXPECT_EQ("", board.schemePath());
    EXPECT_EQ("New scheme - Clangster", view.title);
}

}  // namespace
