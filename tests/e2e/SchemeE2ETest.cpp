// Building a board from its own window on the real Clangster.exe under Wine:
// the slot menu with the mouse, the real file dialog, Rename, Save as with
// the overwrite question, Options, the Schemes menu, a second board with
// Shift, settings kept across a restart, and a save that fails.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

#include "BoardDriver.h"
#include "resource.h"

namespace e2e {
namespace {

constexpr int kOpen = ID_FILE_OPEN, kSaveAs = ID_FILE_SAVE_AS, kOptions = ID_TOOLS_OPTIONS, kFirstFavourite = ID_SCHEME_1,
              kSave = ID_FILE_SAVE;
constexpr int kIdOk = 1, kIdYes = 6, kIdNo = 7;
constexpr int kBrowse = 1, kLoop = 2, kReload = 4, kRename = 5;  // slot menu items

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SchemeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(InTestEnvironment()) << "run through scripts/with-test-env.sh";
        ASSERT_TRUE(ResetSettings());
        char pattern[] = "/tmp/clangster-e2e-scheme-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        WriteTone(dir_ + "/tone.wav", 2.0, 440);
    }
    void TearDown() override {
        for (auto& board : boards_) {
            if (HasFailure()) std::cerr << "board: " << board->endReport() << "\n";
            board->kill();
        }
        for (pid_t pid : BoardPids()) kill(pid, SIGKILL);  // a copy started by the board itself
        RunCommand({"rm", "-rf", dir_});
    }
    std::string Win(const std::string& file) const { return ToWindowsPath(dir_ + "/" + file); }

    void StartBoard(const std::vector<std::string>& args, const std::string& title) {
        boards_.push_back(StartWindows(ClangsterExe(), args));
        ASSERT_TRUE(boards_.back());
        ASSERT_TRUE(WaitForWindow("^" + title + "$", *boards_.back(), 30)) << boards_.back()->output();
    }
    void CloseBoard() {
        Probe({"close"});
        ASSERT_TRUE(boards_.back()->wait(30)) << "the board did not close";
    }
    static std::string Caption(int slot) { return ReadBoard().slots[slot].caption; }
    static std::string Title(int slot) { return ReadBoard().slots[slot].title; }

    std::string dir_;
    std::vector<std::unique_ptr<Process>> boards_;
};

TEST_F(SchemeTest, ABoardBuiltInTheWindowIsSavedAndComesBackAtTheNextStart) {
    ASSERT_NO_FATAL_FAILURE(StartBoard({}, "New scheme - Clangster"));

    // Fill slot 0 through the menu zone and the real file dialog, and hear it.
    ChooseSlotMenuItem(0, kBrowse);
    ChooseInFileDialog(Win("tone.wav"));
    ASSERT_TRUE(WaitUntil([] { return Title(0).rfind("TONE ", 0) == 0; })) << Title(0);
    SinkCapture capture;
    std::string error;
    ASSERT_TRUE(capture.start(&error)) << error;
    Probe({"key", "0x31"});
    ASSERT_TRUE(WaitUntil([] { return ReadBoard().slots[0].image == "idle"; }, 10));
    const Pcm pcm = capture.stop();
    const auto start = FirstTimeAbove(pcm, -30);
    ASSERT_TRUE(start) << "the browsed sound was not heard";
    EXPECT_NEAR(DominantFrequency(pcm, *start + 0.2, *start + 1.2), 440, 5);

    // Rename (a "|" cannot get into a name) and switch looping on.
    ChooseSlotMenuItem(0, kRename);
    SetDialogText("Rename Sound", 1104, "OPENING|CUE");
    PressDialogButton("Rename Sound", kIdOk);
    ASSERT_TRUE(WaitUntil([] { return Title(0).rfind("OPENINGCUE ", 0) == 0; })) << Title(0);
    ChooseSlotMenuItem(0, kLoop);
    ASSERT_TRUE(WaitUntil([] { return Caption(0) == "Loop"; })) << Caption(0);

    // Save as a new name: ".scheme" is added, and the file holds the board.
    Probe({"command", std::to_string(kSaveAs)});
    ChooseInFileDialog(Win("Show"));
    ASSERT_TRUE(WaitForTitle("Show - Clangster"));
    const auto lines = ReadLines(dir_ + "/Show.scheme");
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines[0], Win("tone.wav") + "|OPENINGCUE|0.000000|0|0|1|\r");
    for (int i = 1; i < 18; ++i) EXPECT_EQ(lines[i], "||||\r") << "line " << i + 1;
    EXPECT_EQ(lines[18], "Colours=0,255,50,0,58,15\r");
    EXPECT_EQ(lines[19], "Compact=0\r");

    // Onto an existing file: No keeps it and the title, Yes writes it.
    { std::ofstream(dir_ + "/Other.scheme") << "keep me"; }
    Probe({"command", std::to_string(kSaveAs)});
    ChooseInFileDialog(Win("Other.scheme"));
    EXPECT_EQ(ProbeText({"dialog", "Clangster", "get", "65535"}), "Do you want to overwrite the existing file?");
    PressDialogButton("Clangster", kIdNo);
    EXPECT_EQ(Slurp(dir_ + "/Other.scheme"), "keep me");
    EXPECT_EQ(ReadBoard().title, "Show - Clangster");
    Probe({"command", std::to_string(kSaveAs)});
    ChooseInFileDialog(Win("Other.scheme"));
    PressDialogButton("Clangster", kIdYes);
    ASSERT_TRUE(WaitForTitle("Other - Clangster"));
    EXPECT_EQ(ReadLines(dir_ + "/Other.scheme"), lines);

    // The on-play mode set in Options and the scheme come back after a restart.
    Probe({"command", std::to_string(kOptions)});
    Probe({"dialog", "Options", "select", "1149", "1"});
    PressDialogButton("Options", kIdOk);
    ASSERT_NO_FATAL_FAILURE(CloseBoard());
    ASSERT_NO_FATAL_FAILURE(StartBoard({}, "Other - Clangster"));
    EXPECT_EQ(Title(0).substr(0, 11), "OPENINGCUE ");
    EXPECT_EQ(Caption(0), "Loop");
    Probe({"command", std::to_string(kOptions)});
    EXPECT_EQ(ProbeText({"dialog", "Options", "get", "1149"}), "pause any other sounds playing");
    PressDialogButton("Options", 2);
}

TEST_F(SchemeTest, AFavouriteOpensFromTheSchemesMenuAndWithShiftInASecondBoard) {
    WriteTone(dir_ + "/bell.wav", 1.0, 880);
    ASSERT_EQ(0, RunCommand({"lame", "--quiet", dir_ + "/bell.wav", dir_ + "/bell.mp3"}).exitCode);
    { std::ofstream(dir_ + "/Friday night.scheme") << Win("bell.mp3") << "|BELL|0|0|0|0|\r\n"; }
    ASSERT_NO_FATAL_FAILURE(StartBoard({}, "New scheme - Clangster"));

    // Favourite 1 set through the Options dialog's Browse button and the file dialog.
    Probe({"command", std::to_string(kOptions)});
    PressDialogButton("Options", 1146, false);
    ChooseInFileDialog(Win("Friday night.scheme"));
    ASSERT_TRUE(WaitUntil([&] {
        return ProbeText({"dialog", "Options", "get", "1104"}) == Win("Friday night.scheme");
    }));
    PressDialogButton("Options", kIdOk);

    Probe({"command", std::to_string(kFirstFavourite)});
    ASSERT_TRUE(WaitForTitle("Friday night - Clangster"));
    EXPECT_EQ(Title(0), "BELL                00;01") << "decoded, with its length";

    Probe({"command", std::to_string(kFirstFavourite + 1)});  // an empty favourite does nothing
    Probe({"command", std::to_string(ID_FILE_NEW)});
    ASSERT_TRUE(WaitForTitle("New scheme - Clangster"));
    Probe({"keydown", "0x10"});
    Probe({"command", std::to_string(kFirstFavourite)});
    ASSERT_TRUE(WaitUntil([] { return ProbeText({"boards"}) == "2"; }, 30)) << "no second board started";
    Probe({"keyup", "0x10"});
    EXPECT_TRUE(WaitForWindow("^Friday night - Clangster$", 10));
    EXPECT_TRUE(WaitForWindow("^New scheme - Clangster$", 10)) << "the first board changed";
}

// A show opened before half its sounds are there: the missing ones keep
// their lines through a save, and play once they are back and reloaded.
// Missing sounds, and one another program holds open, keep their lines.
TEST_F(SchemeTest, MissingSoundsKeepTheirLinesAndPlayAfterAReload) {
    const int hz[] = {300, 400, 500, 600, 700, 800};
    std::string text;
    for (int i = 0; i < 6; ++i) {
        const std::string file = "s" + std::to_string(i) + ".wav";
        if (i != 2 && i != 4) WriteTone(dir_ + "/" + file, 1.0, hz[i]);
        text += Win(file) + "|SOUND " + std::to_string(i) + "|0.000000|" + std::to_string(1000 * i) + "|" +
                (i == 4 ? "1" : "0") + "|0|\r\n";
    }
    for (int i = 6; i < 18; ++i) text += "||||\r\n";
    text += "Colours=0,255,50,0,58,15\r\nCompact=0\r\n";
    { std::ofstream(dir_ + "/Tour.scheme", std::ios::binary) << text; }
    auto holder = Hold({"hold", Win("s3.wav")});
    ASSERT_TRUE(holder);

    ASSERT_NO_FATAL_FAILURE(StartBoard({Win("Tour.scheme")}, "Tour - Clangster"));
    ASSERT_TRUE(WaitForLoads(20));
    auto board = ReadBoard();
    EXPECT_EQ(board.slots[2].title, "SOUND 2             --;--");
    EXPECT_EQ(board.slots[3].title, "SOUND 3             --;--");
    EXPECT_EQ(board.slots[4].title, "SOUND 4             --;--");
    EXPECT_EQ(board.slots[4].volume, 4000);
    EXPECT_EQ(board.slots[1].title, "SOUND 1             00;01");
    // Saved under another name, the whole scheme comes out as it went in.
    Probe({"command", std::to_string(kSaveAs)});
    ChooseInFileDialog(Win("Tour copy"));
    ASSERT_TRUE(WaitForTitle("Tour copy - Clangster"));
    EXPECT_EQ(Slurp(dir_ + "/Tour copy.scheme"), text);
    holder->kill();

    WriteTone(dir_ + "/s2.wav", 1.0, hz[2]);  // the stick is plugged in
    ChooseSlotMenuItem(2, kReload);
    ASSERT_TRUE(WaitUntil([] { return Title(2) == "SOUND 2             00;01"; })) << Title(2);
    SinkCapture capture;
    std::string error;
    ASSERT_TRUE(capture.start(&error)) << error;
    Probe({"key", "0x33"});  // slot 2
    ASSERT_TRUE(WaitUntil([&] { return capture.capturedSeconds() > 1.5 && ReadBoard().slots[2].image == "idle"; }, 15));
    const Pcm pcm = capture.stop();
    const auto start = FirstTimeAbove(pcm, -30);
    ASSERT_TRUE(start) << "the reloaded sound was not heard";
    EXPECT_NEAR(DominantFrequency(pcm, *start + 0.2, *start + 0.8), hz[2], 5);
    EXPECT_EQ(ReadBoard().slots[4].title, "SOUND 4             --;--");
}

// A sound of every kind the system decodes, made by Debian's encoders, from
// a scheme opened with File > Open and from Browse...: each plays at its
// pitch for its length. A file no decoder reads is told once, named, and
// keeps its line.
TEST_F(SchemeTest, EveryKindOfSoundPlaysAndOneThatCannotBeDecodedKeepsItsLine) {
    ASSERT_EQ(0, RunCommand({SourceDir() + "/tests/common/make-test-sounds.sh", dir_}).exitCode);
    const std::pair<const char*, double> kinds[] = {{"tone-330.mp3", 330},       {"tone-392.ogg", 392},
                                                    {"tone-440.flac", 440},      {"tone-494-float.wav", 494},
                                                    {"tone-523-adpcm.wav", 523}, {"tone-587-ulaw.wav", 587}};
    std::string text;
    for (const auto& kind : kinds) text += Win(kind.first) + "||0.000000|0|0|0|\r\n";
    const std::string broken = Win("broken.mp3") + "|BROKEN|0.000000|2000|0|1|";
    text += broken + "\r\n";
    for (int i = 7; i < 18; ++i) text += "||||\r\n";
    text += "Colours=0,255,50,0,58,15\r\nCompact=0\r\n";
    { std::ofstream(dir_ + "/Kinds.scheme", std::ios::binary) << text; }

    ASSERT_NO_FATAL_FAILURE(StartBoard({}, "New scheme - Clangster"));
    Probe({"command", std::to_string(kOpen)});
    ChooseInFileDialog(Win("Kinds.scheme"));
    const std::string message = ProbeText({"dialog", "Clangster", "get", "65535"});
    EXPECT_EQ(message.rfind("Error decoding " + Win("broken.mp3") + ":\r\n\r\n", 0), 0u) << message;
    PressDialogButton("Clangster", kIdOk);
    ASSERT_TRUE(WaitForTitle("Kinds - Clangster"));
    EXPECT_EQ(0, Probe({"gone", "Clangster"}).exitCode) << "told more than once";
    EXPECT_EQ(Title(6), "BROKEN              --;--");

    // Browse... takes decoded kinds too.
    ChooseSlotMenuItem(7, kBrowse);
    ChooseInFileDialog(Win("tone-330.mp3"));
    ASSERT_TRUE(WaitUntil([] { return Title(7) == "TONE-330            00;02"; })) << Title(7);

    std::vector<std::pair<int, double>> plays;
    for (int i = 0; i < 6; ++i) plays.emplace_back(i, kinds[i].second);
    plays.emplace_back(7, 330);
    for (const auto& [slot, hz] : plays) {
        SinkCapture capture;
        std::string error;
        ASSERT_TRUE(capture.start(&error)) << error;
        Probe({"key", std::to_string(0x31 + slot)});  // keys 1 to 9
        ASSERT_TRUE(WaitUntil([&] { return capture.capturedSeconds() > 1 && ReadBoard().slots[slot].image == "idle"; }, 15));
        const Pcm pcm = WithoutGaps(capture.stop());
        const auto start = FirstTimeAbove(pcm, -30);
        ASSERT_TRUE(start) << "slot " << slot << " was not heard";
        EXPECT_NEAR(DominantFrequency(pcm, *start + 0.2, *start + 1.5), hz, 3) << "slot " << slot;
        EXPECT_NEAR(SecondsAbove(pcm, -30), 2.0, 0.1) << "slot " << slot;
    }

    Probe({"command", std::to_string(kSaveAs)});
    ChooseInFileDialog(Win("Kinds copy"));
    ASSERT_TRUE(WaitForTitle("Kinds copy - Clangster"));
    EXPECT_EQ(ReadLines(dir_ + "/Kinds copy.scheme")[6], broken + "\r") << "the line as it was read";
}

// A save onto a disk without a free file entry, then onto one without free
// space: each is reported and leaves the old file byte for byte. The old file
// holds what the board would write differently, so any rewrite would show.
TEST_F(SchemeTest, ASaveThatFailsOnAFullDiskLeavesTheOldFileAsItWas) {
    const std::string disk = dir_ + "/disk", file = disk + "/Full.scheme";
    RunCommand({"mkdir", "-p", disk});
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k,nr_inodes=16") != 0)
        GTEST_SKIP() << "cannot mount a small disk here (needs root): " << std::strerror(errno);
    struct Unmount {
        std::string dir;
        ~Unmount() { umount2(dir.c_str(), MNT_DETACH); }
    } unmount{disk};
    std::string scheme;
    for (int i = 0; i < 18; ++i) scheme += Win("tone.wav") + "|TONE " + std::to_string(i) + "|0|0|0|0|\r\n";
    scheme += "Colours=0,255,50,0,58,15\r\nCompact=0\r\nonly in the old file\r\n";
    { std::ofstream(file, std::ios::binary) << scheme; }
    auto entry = [&](int i) { return disk + "/entry" + std::to_string(i); };
    int entries = 0;
    for (int fd; (fd = open(entry(entries).c_str(), O_CREAT | O_WRONLY, 0644)) >= 0; ++entries) close(fd);
    ASSERT_EQ(errno, ENOSPC);

    ASSERT_NO_FATAL_FAILURE(StartBoard({ToWindowsPath(file)}, "Full - Clangster"));
    for (const bool entryFree : {false, true}) {
        if (entryFree) {  // one entry for the new file, one for what fills the space
            unlink(entry(0).c_str());
            unlink(entry(1).c_str());
            RunCommand({"dd", "if=/dev/zero", "of=" + disk + "/filler", "bs=1k", "count=100"});
        }
        Probe({"command", std::to_string(kSave)});
        EXPECT_EQ(ProbeText({"dialog", "Clangster", "get", "65535"}),  // printed in text mode: CR LF
                  "Error saving " + ToWindowsPath(file) + ":\r\n\r\nNo space left on device");
        PressDialogButton("Clangster", kIdOk);
        EXPECT_EQ(Slurp(file), scheme) << (entryFree ? "no free space" : "no free file entry");
    }
    EXPECT_TRUE(WaitForTitle("Full - Clangster"));
    ASSERT_NO_FATAL_FAILURE(CloseBoard());
}

}  // namespace
}  // namespace e2e
