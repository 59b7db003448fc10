// The File menu, the slot menu, the favourites, the stored settings and
// what arrives while a dialog is up, driven through the program's own front
// door with scripted dialogs and an in-memory settings store.
#include <gtest/gtest.h>

#include <algorithm>

#include "BoardFixture.h"
#include "remote/Osc.h"
#include "scheme/HotkeyPreferences.h"
#include "scheme/Preferences.h"
#include "scheme/RemoteSettings.h"
#include "scheme/Scheme.h"
#include "scheme/SchemeFiles.h"
#include "scheme/SlotEditing.h"

namespace {

using app::MenuCommand;

class CommandsTest : public ProgramFixture {
protected:
    std::string At(const std::string& file) const { return dir.Path("Shows\\" + file); }
    std::string Sound(const std::string& file, double seconds = 10.0) {
        return testfiles::WriteSound(dir, "Sounds\\" + file, seconds);
    }
    std::string Saved(const std::string& path) { return testfiles::TempDir::ReadBytes(path); }
    void SlotCommand(int slot, scheme::SlotCommand command) {
        dialogs.menuChoices.push_back(command);
        controller.PlayClicked(slot, true);
    }
    // A controller's datagram from this computer.
    void Osc(const std::string& address) {
        const std::string bytes = remote::WriteOsc({address, {}});
        controller.Datagram(bytes.data(), bytes.size(), {0x7F000001, 50000}, now);
    }
    // Favourite 1 is a scheme of one sound, HORN; favourite 2 one of TRUMPET.
    void TwoFavourites() {
        settings.Write({{"MRU0", dir.WriteBytes("Shows\\Horn.scheme", Sound("horn.wav") + "|HORN|0|0|0|0|\r\n")},
                        {"MRU1", dir.WriteBytes("Shows\\Trumpet.scheme", Sound("trumpet.wav") + "|TRUMPET|0|0|0|0|\r\n")}});
        Restart();
    }
    bool EverRead(const std::string& file) {
        return std::any_of(device.buffers.begin(), device.buffers.end(),
                           [&](const auto& b) { return b->path == dir.Path("Sounds\\" + file); });
    }
    // Starts with a USB output chosen in Options (`missing`: not there) and the
    // system's default on `other`; the chosen output's text.
    std::string StartOnChosenOutput(fake::FakeDevice& other, bool missing = false) {
        const std::string usb = "{12345678-9ABC-DEF0-1234-56789ABCDEF0}";
        system.devicesFor[""] = &other;
        settings.exists = true;
        settings.values["SoundOutput"] = usb;
        if (missing) system.absent.insert(usb);
        Restart();
        return usb;
    }
    // Every slot is what it says it is: a loaded one has a playable buffer, no other has any.
    void ExpectWhole() {
        for (int i = 0; i < board::kSlotCount; ++i) {
            const board::SoundSlot& s = board.slot(i);
            EXPECT_EQ(s.loaded(), s.buffer && s.buffer->IsLoaded()) << "slot " << i;
        }
    }
};

// ---- File menu ----

TEST_F(CommandsTest, SaveAsCompletesTheExtensionAndNamesTheBoard) {
    const std::pair<const char*, const char*> cases[] = {
        {"Friday", "Friday.scheme"},
        {"Friday.Scheme", "Friday.Scheme"},
        {"Friday.wav", "Friday.wav.scheme"},
    };
    for (const auto& c : cases) {
        dialogs.files.push_back(At(c.first));
        controller.Menu(MenuCommand::SaveAs);
        EXPECT_EQ(At(c.second), board.schemePath()) << c.first;
        EXPECT_FALSE(Saved(At(c.second)).empty()) << c.first;
    }
    EXPECT_EQ("Friday.wav - Clangster", view.title);
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_EQ(scheme::FileKind::Scheme, dialogs.chosenKinds.at(0));
}

TEST_F(CommandsTest, SaveOnANewSchemeAsksForANameAndSaveAfterThatDoesNot) {
    Load(0, "Bell");
    dialogs.files.push_back(At("Show"));
    controller.Menu(MenuCommand::Save);
    ASSERT_EQ(1u, dialogs.chosenKinds.size());
    EXPECT_EQ(At("Show.scheme"), board.schemePath());

    board.RenameSlot(0, "DING");
    controller.Menu(MenuCommand::Save);  // no dialog, no question: the same file again
    EXPECT_EQ(1u, dialogs.chosenKinds.size());
    EXPECT_NE(std::string::npos, Saved(At("Show.scheme")).find("|DING|"));
}

TEST_F(CommandsTest, OverwriteIsAskedOnceAndNoKeepsFileTitleAndPath) {
    const std::string old = dir.WriteBytes("Shows\\Old.scheme", "old content\r\n");
    dialogs.files.push_back(At("Mine"));
    controller.Menu(MenuCommand::SaveAs);
    const std::string title = view.title;

    dialogs.files.push_back(old);
    dialogs.answers.push_back(false);
    controller.Menu(MenuCommand::SaveAs);
    EXPECT_EQ(std::vector<std::string>{"Do you want to overwrite the existing file?"}, dialogs.questions);
    EXPECT_EQ("old content\r\n", Saved(old));
    EXPECT_EQ(title, view.title);
    EXPECT_EQ(At("Mine.scheme"), board.schemePath());

    dialogs.files.push_back(old);
    dialogs.answers.push_back(true);
    controller.Menu(MenuCommand::SaveAs);
    EXPECT_EQ(2u, dialogs.questions.size());
    EXPECT_EQ(0u, Saved(old).find("||||\r\n"));
    EXPECT_EQ(old, board.schemePath());
}

TEST_F(CommandsTest, CancelledDialogsChangeNothing) {
    Load(0, "Bell");
    board.SetSchemePath(At("Kept.scheme"));
    controller.Menu(MenuCommand::Open);
    controller.Menu(MenuCommand::SaveAs);
    dialogs.menuChoices.push_back(scheme::SlotCommand::Browse);
    controller.PlayClicked(0, true);
    EXPECT_EQ(3u, dialogs.chosenKinds.size());
    EXPECT_TRUE(board.slot(0).loaded());
    EXPECT_EQ(At("Kept.scheme"), board.schemePath());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(CommandsTest, OpenReadsTheChosenSchemeAndAFailureLeavesANewScheme) {
    const std::string bell = Sound("bell.wav");
    const std::string path = dir.WriteBytes("Shows\\Gig.scheme", bell + "|BELL|0|0|0|1|\r\n");
    dialogs.files.push_back(path);
    controller.Menu(MenuCommand::Open);
    EXPECT_TRUE(board.slot(0).loaded());
    EXPECT_EQ("Gig - Clangster", view.title);

    dialogs.files.push_back(At("Gone.scheme"));
    controller.Menu(MenuCommand::Open);
    EXPECT_FALSE(board.slot(0).loaded());
    EXPECT_EQ("New scheme - Clangster", view.title);
    EXPECT_EQ(1u, dialogs.shown.size());
}

// ---- What arrives while a box or dialog is up ----

TEST_F(CommandsTest, AFavouriteAskedForDuringAMessageWaitsForItAndOnlyTheLastOneOpens) {
    TwoFavourites();
    const std::string bad = Sound("bad.mp3"), bell = Sound("bell.wav");
    device.failing[bad] = audio::SoundError::Undecodable;
    const std::string gig = dir.WriteBytes("Shows\\Gig.scheme", bad + "|BAD|0|0|0|0|\r\n" + bell + "|BELL|0|0|0|0|\r\n");
    settings.Write({{"MRU2", gig}});
    Restart();
    std::string titleDuring;
    dialogs.duringModal = [&] {
        // The box comes once the whole scheme is read, its failed slot already kept.
        titleDuring = view.title;
        ExpectWhole();
        EXPECT_TRUE(board.slot(0).kept());
        Osc("/clangster/favourite/2");
        Osc("/clangster/favourite/1");
        Osc("/clangster/slot/2/play");  // playing is never held back
        EXPECT_TRUE(board.IsSlotPlaying(1));
        EXPECT_EQ("Gig - Clangster", view.title);
    };
    Osc("/clangster/favourite/3");
    EXPECT_EQ("Gig - Clangster", titleDuring);
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ(0u, dialogs.shown[0].find("Error decoding " + bad));
    EXPECT_EQ("Horn - Clangster", view.title) << "the last favourite asked for, after the box";
    EXPECT_EQ("HORN", board.slot(0).name);
    EXPECT_FALSE(EverRead("trumpet.wav"));
    ExpectWhole();
}

TEST_F(CommandsTest, SaveAsAndRenameActOnTheBoardTheyWereOpenedOn) {
    TwoFavourites();
    Load(0, "Bell");
    dialogs.duringModal = [&] {
        Osc("/clangster/favourite/1");
        Osc("/clangster/stopall");
    };
    dialogs.files.push_back(At("Mine"));
    controller.Menu(MenuCommand::SaveAs);
    EXPECT_NE(std::string::npos, Saved(At("Mine.scheme")).find("|Bell|"));
    EXPECT_EQ("Horn - Clangster", view.title) << "the favourite opened once the chooser closed";

    dialogs.duringModal = [&] { Osc("/clangster/favourite/2"); };
    dialogs.names.push_back(std::string("LOUD HORN"));
    SlotCommand(0, scheme::SlotCommand::Rename);
    EXPECT_EQ("TRUMPET", board.slot(0).name) << "the rename went to the horn, which the favourite then replaced";
    dialogs.files.push_back(At("Horn.scheme"));
    dialogs.answers.push_back(true);
    dialogs.duringModal = [&] { Osc("/clangster/favourite/1"); };  // while asked whether to overwrite
    controller.Menu(MenuCommand::SaveAs);
    EXPECT_NE(std::string::npos, Saved(At("Horn.scheme")).find("|TRUMPET|"));
    EXPECT_EQ("Horn - Clangster", view.title);
    ExpectWhole();
}

TEST_F(CommandsTest, WhatIsToldDuringOneInputIsShownInOneBoxAfterIt) {
    const std::string a = Sound("a.mp3"), b = Sound("b.mp3");
    device.failing[a] = device.failing[b] = audio::SoundError::DecodeFailed;
    controller.Drop(0, {a, b});
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_NE(std::string::npos, dialogs.shown[0].find("Error decoding " + a));
    EXPECT_NE(std::string::npos, dialogs.shown[0].find("\n\nError decoding " + b));
    dialogs.duringModal = [&] { controller.Drop(5, {Sound("c.wav")}); };  // no drop while a box is up
    controller.Drop(2, {a});
    EXPECT_EQ(2u, dialogs.shown.size());
    EXPECT_FALSE(board.slot(5).loaded());
}

// ---- Slot menu ----

TEST_F(CommandsTest, BrowseNamesTheSoundAfterItsFileAndKeepsTheSwitches) {
    auto& old = Load(4, "Old");
    board.SetLoop(4, true);
    board.OnPlayButton(4);
    dialogs.menuChoices.push_back(scheme::SlotCommand::Browse);
    dialogs.files.push_back(Sound("door bell.wav"));
    controller.PlayClicked(4, true);
    EXPECT_FALSE(old.playing);
    EXPECT_EQ("DOOR BELL", board.slot(4).name);
    EXPECT_TRUE(board.slot(4).loop);
    EXPECT_EQ(scheme::FileKind::Sound, dialogs.chosenKinds.at(0));
    EXPECT_EQ("", dialogs.initialNames.at(0));
}

TEST_F(CommandsTest, LoopIsCheckedWhenOnAndSwitchesTheCaptionEvenOnAnEmptySlot) {
    for (bool expected : {false, true, false}) {
        dialogs.menuChoices.push_back(scheme::SlotCommand::Loop);
        controller.PlayClicked(9, true);
        EXPECT_EQ(expected, dialogs.loopChecks.back());
        EXPECT_EQ(expected ? "Play" : "Loop", view.at(9).caption);
    }
    dialogs.menuChoices.push_back(scheme::SlotCommand::None);  // dismissed
    controller.PlayClicked(9, true);
    EXPECT_TRUE(board.slot(9).loop);  // three switches
}

TEST_F(CommandsTest, ReloadReadsTheFileAgainUnderItsNameAtFullVolume) {
    const std::string path = Sound("horn.wav", 4.0);
    board.LoadSlot(2, path, "HOOTER");
    board.OnVolumeSliderMoved(2, 6000, true);
    Sound("horn.wav", 8.0);  // changed on disk
    SlotCommand(2, scheme::SlotCommand::Reload);
    EXPECT_EQ("HOOTER", board.slot(2).name);
    EXPECT_NEAR(8.0, board.slot(2).duration, 0.1);
    EXPECT_EQ(0, view.at(2).volume);
    EXPECT_EQ(0, board.slot(2).volume);

    std::remove(path.c_str());
    SlotCommand(2, scheme::SlotCommand::Reload);
    EXPECT_FALSE(board.slot(2).loaded());
}

TEST_F(CommandsTest, RenameShowsTheNameDropsBarsAndCancelKeepsIt) {
    Load(1, "Bell", 65.0);
    dialogs.names.push_back(std::string("DING|DONG"));
    SlotCommand(1, scheme::SlotCommand::Rename);
    EXPECT_EQ("Bell", dialogs.shownName);
    EXPECT_EQ("DINGDONG", board.slot(1).name);
    EXPECT_EQ(0u, view.at(1).title.find("DINGDONG"));
    EXPECT_NE(std::string::npos, view.at(1).title.find("01;05"));  // the length stays shown

    dialogs.names.push_back(std::nullopt);
    SlotCommand(1, scheme::SlotCommand::Rename);
    EXPECT_EQ("DINGDONG", board.slot(1).name);

    dialogs.names.push_back(std::string());
    SlotCommand(1, scheme::SlotCommand::Rename);
    EXPECT_EQ("", board.slot(1).name);

    dialogs.shownName = "not asked";
    SlotCommand(5, scheme::SlotCommand::Rename);  // empty slot: nothing happens
    EXPECT_EQ("not asked", dialogs.shownName);
}

// ---- Favourites and Options ----

TEST_F(CommandsTest, FavouriteCaptionsAreFileNamesLessTheirExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Shows\\Friday.scheme", "Friday"},  {"C:\\Shows\\Friday.late.scheme", "Friday.late"},
        {"C:\\Shows\\Friday", " < none > "},     {"Friday.scheme", "Friday"},
        {"", " < none > "},                      {"C:\\Shows.d\\Friday", " < none > "},
    };
    for (const auto& c : cases) EXPECT_EQ(c.second, scheme::FavouriteCaption(c.first)) << c.first;
}

TEST_F(CommandsTest, OptionsOkKeepsFavouritesAtOnceAndTheModeUntilClose) {
    EXPECT_EQ(" < none > ", dialogs.captions[11]) << "read at start";
    scheme::Favourites chosen;
    chosen[0] = "C:\\Shows\\Friday.scheme";
    chosen[11] = "C:\\Shows\\Last.scheme";
    dialogs.options = std::make_pair(chosen, 1);
    controller.Menu(MenuCommand::Options);
    EXPECT_EQ(board::FadeOthers, dialogs.shownMode);
    EXPECT_EQ(board::PauseOthers, board.onPlayMode());
    EXPECT_EQ("Friday", dialogs.captions[0]);
    EXPECT_EQ("Last", dialogs.captions[11]);
    EXPECT_EQ("C:\\Shows\\Friday.scheme", settings.values["MRU0"]);
    EXPECT_EQ("", settings.values["MRU5"]);
    EXPECT_EQ("C:\\Shows\\Last.scheme", settings.values["MRU11"]);
    EXPECT_EQ(0u, settings.values.count("onplay"));

    dialogs.options.reset();  // Cancel
    controller.Menu(MenuCommand::Options);
    EXPECT_EQ("Last", dialogs.captions[11]);
    EXPECT_EQ(1, settings.writes);
}

TEST_F(CommandsTest, AFavouriteThatCannotBeOpenedIsRemovedAndTheRestMoveUp) {
    settings.exists = true;
    for (int i = 0; i < 5; ++i) settings.values["MRU" + std::to_string(i)] = At("S" + std::to_string(i) + ".scheme");
    dir.WriteBytes("Shows\\S3.scheme", "");
    Restart();
    controller.Menu(MenuCommand::Favourite, 2);  // S2 is gone
    EXPECT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ("New scheme - Clangster", view.title);
    EXPECT_EQ(At("S3.scheme"), settings.values["MRU2"]);
    EXPECT_EQ(At("S4.scheme"), settings.values["MRU3"]);
    EXPECT_EQ("", settings.values["MRU4"]);
    EXPECT_EQ("", settings.values["MRU11"]);
    EXPECT_EQ("S3", dialogs.captions[2]);

    controller.Menu(MenuCommand::New);
    system.shift = true;  // asked from outside the window, it opens here whatever the keys
    controller.Perform({board::Action::OpenFavourite, 2});
    EXPECT_EQ(At("S3.scheme"), board.schemePath());
    EXPECT_TRUE(system.copies.empty());
    for (int index : {7, 12, -1}) controller.Perform({board::Action::OpenFavourite, index});  // empty or none
    EXPECT_EQ(At("S3.scheme"), board.schemePath());
}

TEST_F(CommandsTest, ShiftStartsASecondCopyWithTheQuotedPathAndLeavesTheBoard) {
    settings.exists = true;
    settings.values["MRU6"] = "C:\\My Shows\\Friday.scheme";
    Restart();
    Load(0, "Bell");
    system.shift = true;
    controller.Menu(MenuCommand::Favourite, 6);
    controller.Menu(MenuCommand::Favourite, 5);  // empty: no copy
    EXPECT_EQ(std::vector<std::string>{"\"C:\\My Shows\\Friday.scheme\""}, system.copies);
    EXPECT_TRUE(board.slot(0).loaded());
}

TEST_F(CommandsTest, ProgramPathComesFromTheCommandLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"C:\\Program Files\\Clangster.exe\" x.scheme", "C:\\Program Files\\Clangster.exe"},
        {"\"C:\\Clangster.exe", "C:\\Clangster.exe"},
        {"C:\\Clangster.exe x.scheme", "C:\\Clangster.exe"},
        {"C:\\Clangster.exe", "C:\\Clangster.exe"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.second, scheme::GetProgramPath(c.first)) << c.first;
}

// ---- Settings at start-up and close ----

TEST_F(CommandsTest, CloseStoresTheSchemeAndModeAndANewSchemeKeepsTheOldLastFile) {
    Load(0, "Bell");
    board.OnPlayButton(0);
    board.SetSchemePath(At("Gig.scheme"));
    board.SetOnPlayMode(board::PauseOthers);
    controller.Close();
    EXPECT_EQ(At("Gig.scheme"), settings.values["LastFile"]);
    EXPECT_EQ("1", settings.values["onplay"]);
    EXPECT_FALSE(device.last().playing);
    EXPECT_TRUE(dialogs.ended);

    board.SetOnPlayMode(board::FadeOthers);
    controller.Close();  // after a new scheme
    EXPECT_EQ(At("Gig.scheme"), settings.values["LastFile"]);
    EXPECT_EQ("2", settings.values["onplay"]);
}

TEST_F(CommandsTest, StartUpOpensTheCommandLineOrElseTheLastSchemeAndMode) {
    const std::string gig = dir.WriteBytes("Shows\\Gig.scheme", "");
    const std::string other = dir.WriteBytes("Shows\\Other.scheme", "");
    settings.exists = true;
    settings.values = {{"LastFile", other}, {"onplay", "0"}};
    Restart("\"" + gig + "\"");
    EXPECT_EQ(gig, board.schemePath());
    EXPECT_EQ(board::FadeOthers, board.onPlayMode());

    const std::pair<const char*, int> modes[] = {{"1", 1}, {"7", 7}, {"x", 0}, {"12abc", 12}};
    for (const auto& m : modes) {
        settings.values["onplay"] = m.first;
        Restart();
        EXPECT_EQ(other, board.schemePath());
        EXPECT_EQ(m.second, board.onPlayMode()) << m.first;
    }
    // What start-up reads ahead before the window exists is the same scheme.
    EXPECT_EQ(gig, scheme::FirstSchemePath(settings, "\"" + gig + "\""));
    EXPECT_EQ(other, scheme::FirstSchemePath(settings, ""));
    settings.values.clear();
    EXPECT_EQ("", scheme::FirstSchemePath(settings, ""));
}

// ---- Files dropped onto the board ----

TEST_F(CommandsTest, DroppedSoundsFillTheSlotThenTheEmptySlotsAfterIt) {
    Load(15, "PLAYING");
    board.SetLoop(15, true);
    board.OnPlayButton(15);
    auto& old = device.last();
    Load(16, "KEPT");
    const std::string note = dir.WriteBytes("Sounds\\notes.txt", "not a sound");
    controller.Drop(15, {Sound("Door bell.mp3"), note, Sound("b.WAV"), Sound("c.ogg"), Sound("d.wav")});

    EXPECT_FALSE(old.playing);
    EXPECT_EQ("DOOR BELL", board.slot(15).name);
    EXPECT_TRUE(board.slot(15).loop) << "the slot's switches stay, as with Browse...";
    EXPECT_EQ("KEPT", board.slot(16).name) << "a full slot after the first is passed over";
    EXPECT_EQ("B", board.slot(17).name);
    EXPECT_EQ(std::vector<std::string>{"2 sounds were left out: there were no empty slots left for them."},
              dialogs.shown);
}

// ---- The sound output ----

TEST_F(CommandsTest, AnotherSoundOutputIsStoredOnceItIsInUse) {
    const std::string second = "{12345678-9ABC-DEF0-1234-56789ABCDEF0}";
    EXPECT_EQ(std::vector<std::string>{""}, system.openedOutputs) << "no settings: the default device";
    dialogs.options = std::make_pair(scheme::Favourites{}, 2);
    controller.Menu(MenuCommand::Options);  // the same output
    EXPECT_EQ(0u, settings.values.count("SoundOutput"));
    EXPECT_EQ(1u, system.openedOutputs.size());

    dialogs.chosenOutput = second;
    system.outputWorks = false;  // the device cannot be opened
    controller.Menu(MenuCommand::Options);
    EXPECT_EQ(0u, settings.values.count("SoundOutput"));
    EXPECT_EQ(1u, dialogs.shown.size()) << "told";
    controller.Menu(MenuCommand::Options);
    EXPECT_EQ("", dialogs.shownOutput) << "Options shows the output in use";
    system.openedOutputs.clear();
    system.outputWorks = true;
    controller.Menu(MenuCommand::Options);
    EXPECT_EQ(second, settings.values["SoundOutput"]);
    EXPECT_EQ(std::vector<std::string>{second}, system.openedOutputs);
    controller.Menu(MenuCommand::Options);
    EXPECT_EQ(second, dialogs.shownOutput);
    EXPECT_EQ(1u, system.openedOutputs.size());

    dialogs.options.reset();  // Cancel
    dialogs.chosenOutput = "";
    controller.Menu(MenuCommand::Options);
    EXPECT_EQ(second, settings.values["SoundOutput"]);
    Restart();
    EXPECT_EQ(second, system.openedOutputs.back()) << "and used at the next start";
}

TEST_F(CommandsTest, ALostOutputFallsBackAndComesBackWithEverySoundWhereItWas) {
    fake::FakeDevice other;  // the system's default
    const std::string usb = StartOnChosenOutput(other);
    const auto& tone = Load(0, "TONE");
    board.SetLoop(0, true);
    Load(1, "IDLE");
    board.PositionSlot(1, 8000);
    const std::string line1 = scheme::FormatSlotLine(board, 1);
    controller.PlayClicked(0, false);
    Tick(3);

    // Lost: within two looks the sounds play on the default, from where they were.
    device.lost = true;
    system.absent.insert(usb);
    Tick(5);
    ASSERT_TRUE(board.slot(0).loaded() && board.slot(1).loaded());
    EXPECT_EQ(2u, other.buffers.size()) << "copied from memory, no file read";
    EXPECT_EQ(8000u, other.buffers[1]->position);
    EXPECT_FALSE(other.buffers[1]->playing);
    EXPECT_TRUE(tone.released);
    EXPECT_EQ(tone.position, other.buffers[0]->position);
    EXPECT_LT(0u, tone.position);
    EXPECT_TRUE(other.buffers[0]->playing && other.buffers[0]->looping);
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_NE(std::string::npos, dialogs.shown[0].find("The sound output has gone. The sounds play on"));
    Tick(20);
    EXPECT_EQ(1u, dialogs.shown.size()) << "told once";

    // Back: within a look they move back, and the user is told once.
    device.lost = false;
    system.absent.clear();
    const std::size_t before = device.buffers.size();
    Tick(5);
    ASSERT_EQ(before + 2, device.buffers.size());
    EXPECT_TRUE(device.buffers[before]->playing);
    EXPECT_TRUE(other.buffers[0]->released && other.buffers[1]->released);
    ASSERT_EQ(2u, dialogs.shown.size());
    EXPECT_EQ("The sound output is back: the sounds play there again.", dialogs.shown[1]);

    // No output at all: the sounds wait, unchanged, and go on from their files once one is there.
    device.lost = true;
    system.absent = {usb, ""};
    Tick(5);
    const std::uint32_t at = device.buffers[before]->position;
    ASSERT_EQ(3u, dialogs.shown.size());
    EXPECT_NE(std::string::npos, dialogs.shown[2].find("there is no other. The sounds wait"));
    EXPECT_TRUE(board.slot(0).loading() && board.slot(1).loading());
    EXPECT_EQ("TONE", board.slot(0).name);
    EXPECT_EQ(line1, scheme::FormatSlotLine(board, 1)) << "the scheme's lines are the same";
    Tick(20);
    system.absent = {usb};  // the default comes first
    device.lost = false;
    Tick(5);
    ASSERT_TRUE(board.slot(0).loaded() && board.slot(1).loaded());
    EXPECT_EQ(8000u, other.buffers.back()->position);
    EXPECT_FALSE(other.buffers.back()->playing) << "the idle one stays idle";
    EXPECT_TRUE(other.buffers[other.buffers.size() - 2]->playing);
    EXPECT_LE(at, other.buffers[other.buffers.size() - 2]->position);
    system.absent.clear();
    Tick(5);
    EXPECT_EQ(4u, dialogs.shown.size()) << "back on the chosen output";
    EXPECT_EQ(usb, settings.values["SoundOutput"]) << "the choice never changed";
    EXPECT_EQ(line1, scheme::FormatSlotLine(board, 1));
    EXPECT_EQ("TONE", board.slot(0).name);
}

// A chosen output missing at start: the default plays, without a word, and
// the sounds move to the chosen output as soon as it is there.
TEST_F(CommandsTest, AChosenOutputMissingAtStartIsMovedToOnceItIsThere) {
    fake::FakeDevice other;  // the system's default
    const std::string usb = StartOnChosenOutput(other, true);
    board.LoadSlot(0, testfiles::WriteSound(dir, "TONE.wav", 10.0, 8000), "TONE");
    ASSERT_EQ(1u, other.buffers.size());
    const std::size_t onChosen = device.buffers.size();
    controller.PlayClicked(0, false);
    Tick(5);
    EXPECT_EQ(onChosen, device.buffers.size());
    system.absent.clear();
    Tick(5);
    ASSERT_EQ(onChosen + 1, device.buffers.size());
    EXPECT_TRUE(device.buffers.back()->playing);
    EXPECT_TRUE(other.buffers[0]->released);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(usb, settings.values["SoundOutput"]);
}

TEST_F(CommandsTest, TheSlotMenuPrelistensOnTheStoredMonitorAndIsGreyedWithoutOne) {
    const std::string phones = "{0000AAAA-9ABC-DEF0-1234-56789ABCDEF0}";
    fake::FakeDevice monitor;
    system.devicesFor[phones] = &monitor;
    settings.exists = true;
    settings.values["MonitorOutput"] = phones;
    system.absent.insert(phones);  // gone at start: no monitor, without a word
    Restart();
    Load(0, "BELL");
    SlotCommand(0, scheme::SlotCommand::Prelisten);
    EXPECT_EQ((std::pair<bool, bool>{false, false}), dialogs.prelistenShown.back()) << "greyed";
    EXPECT_TRUE(monitor.buffers.empty());
    EXPECT_TRUE(dialogs.shown.empty());

    system.absent.clear();
    Restart();
    Load(0, "BELL");
    SlotCommand(0, scheme::SlotCommand::Prelisten);
    EXPECT_EQ((std::pair<bool, bool>{false, true}), dialogs.prelistenShown.back());
    ASSERT_EQ(1u, monitor.buffers.size());
    EXPECT_TRUE(monitor.last().playing);
    EXPECT_FALSE(device.last().playing) << "never on the main output";
    SlotCommand(0, scheme::SlotCommand::Prelisten);
    EXPECT_EQ((std::pair<bool, bool>{true, true}), dialogs.prelistenShown.back()) << "checked while it plays";
    EXPECT_TRUE(monitor.last().released);
}

TEST_F(CommandsTest, TheMonitorChosenInOptionsIsStoredPutInForceAndComesBackWhenLost) {
    const std::string phones = "{0000AAAA-9ABC-DEF0-1234-56789ABCDEF0}";
    fake::FakeDevice monitor;
    system.devicesFor[phones] = &monitor;
    dialogs.options = std::make_pair(scheme::Favourites{}, 2);
    dialogs.chosenMonitor = scheme::MonitorChoice{phones, true};
    controller.Menu(MenuCommand::Options);
    EXPECT_EQ(scheme::MonitorChoice{}, dialogs.shownMonitor) << "none at first";
    EXPECT_EQ(phones, settings.values["MonitorOutput"]);
    EXPECT_EQ("1", settings.values["MonitorAll"]);
    Load(0, "BELL");
    controller.PlayClicked(0, false);
    ASSERT_EQ(1u, monitor.buffers.size());
    EXPECT_TRUE(monitor.last().playing);

    monitor.lost = true;
    system.absent.insert(phones);
    Tick(10);
    EXPECT_FALSE(board.hasMonitor());
    EXPECT_TRUE(monitor.buffers[0]->released);
    EXPECT_TRUE(device.last().playing) << "the main output plays on";
    monitor.lost = false;
    system.absent.clear();
    Tick(4);
    EXPECT_TRUE(board.hasMonitor() && board.monitorHearsAll());
    ASSERT_EQ(2u, monitor.buffers.size());
    EXPECT_TRUE(monitor.last().playing) << "heard again from where the main output is";
    EXPECT_EQ((std::vector<std::string>{"The monitor output has gone. It comes back by itself once it is there again.",
                                        "The monitor output is back."}),
              dialogs.shown);

    controller.Menu(MenuCommand::Options);
    EXPECT_EQ((scheme::MonitorChoice{phones, true}), dialogs.shownMonitor);
    dialogs.chosenMonitor = scheme::MonitorChoice{};  // "(none)"
    controller.Menu(MenuCommand::Options);
    EXPECT_FALSE(board.hasMonitor());
    EXPECT_TRUE(monitor.last().released) << "released when the monitor is turned off";
    EXPECT_EQ("", settings.values["MonitorOutput"]);
    EXPECT_EQ("0", settings.values["MonitorAll"]);
}

// ---- Hotkeys ----

TEST_F(CommandsTest, HotkeysAreRegisteredAtStartAndAfterTheDialogAndTheRefusedAreTold) {
    settings.exists = true;
    settings.values = {{"Hotkey1", "628"}, {"Hotkey3", "629"}, {"HotkeyFadeAll", "2595"}, {"HotkeyFavourite12", "1603"},
                       {"Hotkey4", "81"}};  // a bare Q, stored by an older board
    system.heldElsewhere = 628;              // Ctrl+F5
    system.registered.clear();
    Restart();
    board::Hotkeys stored{};
    stored[0] = 628, stored[2] = 629, stored[19] = 2595, stored[31] = 1603;
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_NE(std::string::npos, dialogs.shown[0].find("refuses them.\n\nSlot 1: Ctrl+F5\nSlot 4: Q (without Ctrl or Alt"));
    EXPECT_EQ(std::vector<board::Hotkeys>{stored}, system.registered) << "the bare Q never registered";
    Load(0, "Bell");
    controller.ControlKey(true);
    EXPECT_EQ("Bell" + std::string(18, ' ') + "1  ", view.at(0).title) << "a refused hotkey is not shown";
    EXPECT_EQ(std::string(12, ' ') + "Ctrl+F6   3  ", view.at(2).title);

    // While the dialog is open none is registered; Cancel keeps them, OK keeps what was chosen.
    controller.Menu(MenuCommand::Hotkeys);
    EXPECT_EQ("Slot 1 (Bell)", dialogs.hotkeyOwners[0]);
    EXPECT_EQ("Favourite 12", dialogs.hotkeyOwners[31]);
    EXPECT_EQ((std::vector<board::Hotkeys>{stored, {}, stored}), system.registered);
    EXPECT_EQ(0, settings.writes);
    dialogs.chosenHotkeys = board::Hotkeys{};
    (*dialogs.chosenHotkeys)[17] = 1105;
    controller.Menu(MenuCommand::Hotkeys);
    EXPECT_EQ(*dialogs.chosenHotkeys, system.registered.back());
    EXPECT_EQ(board::kHotkeyCount + 0u, settings.values.size()) << "every hotkey written";
    EXPECT_EQ("1105", settings.values["Hotkey18"]);
    EXPECT_EQ("0", settings.values["HotkeyFavourite1"]);
    EXPECT_EQ(2u, dialogs.shown.size()) << "the refused ones told again after Cancel, none after OK";
}

TEST_F(CommandsTest, AHeldHotkeyFiresOnceAndAFavouritesHotkeyOpensItHere) {
    Load(0, "Bell");
    controller.Hotkey(0);
    controller.Hotkey(0);  // the system repeats a held key
    EXPECT_TRUE(device.last().playing);
    EXPECT_TRUE(controller.HotkeyHeld(0));
    controller.HotkeyReleased(0);
    controller.Hotkey(0);
    EXPECT_FALSE(device.last().playing) << "pressed again: paused";

    settings.Write({{"MRU0", dir.WriteBytes("Shows\\Bank.scheme", "")}});
    Restart();
    system.shift = true;
    controller.Hotkey(board::kHotkeyFirstFavourite);
    EXPECT_EQ("Bank - Clangster", view.title);
    EXPECT_TRUE(system.copies.empty());
}

// ---- Remote control ----

TEST_F(CommandsTest, RemoteControlIsStoredOnOkAndAPortThatCannotBeOpenedIsToldOnce) {
    EXPECT_EQ(scheme::RemoteSettings{}, scheme::StoredRemoteSettings(settings)) << "off, 9000, this computer only";
    settings.Write({{"RemoteControl", "1"}, {"RemotePort", "9x"}, {"RemoteFromNetwork", "0"}});
    system.remoteFailure = "Another program is using this port.";
    system.usedRemote.clear();
    Restart();
    ASSERT_EQ(1u, system.usedRemote.size());
    EXPECT_EQ((scheme::RemoteSettings{true, 9000, false, ""}), system.usedRemote[0]) << "a port that is no number";
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_NE(std::string::npos, dialogs.shown[0].find("UDP port 9000 of this computer (127.0.0.1):\n\nAnother"));

    const int writes = settings.writes;
    controller.Menu(MenuCommand::RemoteControl);  // cancelled
    EXPECT_EQ(writes, settings.writes);
    system.remoteFailure.clear();
    dialogs.remoteChoice = scheme::RemoteSettings{true, 9100, true, "192.168.1.0/24 10.0.0.7"};
    controller.Menu(MenuCommand::RemoteControl);
    EXPECT_EQ("1", settings.values["RemoteControl"]);
    EXPECT_EQ("9100", settings.values["RemotePort"]);
    EXPECT_EQ("1", settings.values["RemoteFromNetwork"]);
    EXPECT_EQ("192.168.1.0/24 10.0.0.7", settings.values["RemoteAllow"]);
    EXPECT_EQ(*dialogs.remoteChoice, scheme::StoredRemoteSettings(settings));
    controller.Menu(MenuCommand::RemoteControl);  // the same again while listening: the socket and its subscribers are left alone
    EXPECT_EQ(2u, system.usedRemote.size());
    EXPECT_EQ(1u, dialogs.shown.size());
}

TEST_F(CommandsTest, ASecondBoardLeavesTheHotkeysAndThePortToTheFirstWithoutAWord) {
    settings.Write({{"RemoteControl", "1"}, {"Hotkey1", "628"}});
    system.heldElsewhere = 628;
    system.remoteFailure = "Another program is using this port.";
    system.second = true;
    system.registered.clear();
    system.usedRemote.clear();
    Restart();
    EXPECT_TRUE(system.registered.empty());
    EXPECT_TRUE(system.usedRemote.empty());
    EXPECT_TRUE(dialogs.shown.empty());
}

}  // namespace
