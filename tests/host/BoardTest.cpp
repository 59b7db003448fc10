// The board's slot logic through the fake sound device and the recording view.
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "BoardFixture.h"

namespace {

using board::FadeOthers;
using board::LeaveOthers;
using board::PauseOthers;
using Calls = std::vector<std::string>;

const std::string kBlankTitle(25, ' ');
const std::string kBlankTime(6, ' ');
const std::string kBlankTenths(2, ' ');
constexpr int kIdle = static_cast<int>(board::PlayImage::Idle),
              kPlaying = static_cast<int>(board::PlayImage::Playing),
              kPaused = static_cast<int>(board::PlayImage::Paused);

std::string Title(const std::string& name, const std::string& rest) {
    return board::DisplayTextFor(board::DisplayKind::Title, name + "|" + rest);
}

// ---- Loading and clearing ----

using LoadSlotTest = BoardFixture;

TEST_F(LoadSlotTest, ShowsNameAndLengthOfTheWholeFile) {
    // 3 s of data less 20 bytes: only the 44-byte header takes the length past 3 s.
    testfiles::WavFields wav;
    wav.samplesPerSec = 8000;
    wav.dataBytes = 3 * 8000 - 20;
    const std::string path = testfiles::WriteWav(dir, "bell.wav", wav);
    board.LoadSlot(4, path, "Bell");

    const auto& s = board.slot(4);
    EXPECT_TRUE(s.loaded());
    EXPECT_EQ(path, s.path);
    EXPECT_EQ("Bell", s.name);
    EXPECT_EQ(8000u, s.bytesPerSec);
    EXPECT_FLOAT_EQ(24024.0f / 8000.0f, s.duration);
    EXPECT_EQ("Bell                00;03", view.at(4).title);
    EXPECT_EQ(0u, view.at(4).captionColour);
    EXPECT_EQ(0, view.at(4).positionMin);
    EXPECT_EQ(1000, view.at(4).positionMax);
    EXPECT_EQ(audio::kBufferFlags, device.last().flags);
    EXPECT_FALSE(device.last().playing);
}

TEST_F(LoadSlotTest, EmptyNameComesFromTheFileNameInUpperCase) {
    // A backslash is an ordinary character in a Linux file name, so this is one file.
    const std::string path = testfiles::WriteSound(dir, "sounds\\Door bell.wav", 2.0);
    board.LoadSlot(0, path, "");
    EXPECT_EQ("DOOR BELL", board.slot(0).name);
    EXPECT_EQ(Title("DOOR BELL", "00;02"), view.at(0).title);
}

TEST(NameFromPath, DropsTheFoldersAndTheExtensionWhateverItsLength) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\sounds\\Door bell.wav", "DOOR BELL"},
        {"a.wav", "A"},
        {"C:\\Sounds\\beep.aiff", "BEEP"},
        {"C:\\Sounds\\Theme.tune.flac", "THEME.TUNE"},  // only the last dot
        {"C:\\dir.x\\noext", "NOEXT"},                 // a dot in a folder is no extension
        {"C:/x/y.wav", "C:/X/Y"},                        // a forward slash is not a separator
        {"C:\\Sounds\\.mp3", ""},
        {"ab", "AB"},
        {"", ""},
    };
    for (const auto& [path, name] : cases) EXPECT_EQ(name, board::NameFromPath(path)) << path;
}

TEST_F(LoadSlotTest, ARelativePathWithoutExtensionIsNamedWhole) {
    char* previous = getcwd(nullptr, 0);
    ASSERT_EQ(0, chdir(dir.dir().c_str()));
    testfiles::WriteSound(dir, "ab", 1.0);
    board.LoadSlot(1, "ab", "");
    ASSERT_EQ(0, chdir(previous));
    std::free(previous);
    EXPECT_TRUE(board.slot(1).loaded());
    EXPECT_EQ("AB", board.slot(1).name);
    EXPECT_EQ(Title("AB", "00;01"), view.at(1).title);
}

// The file is looked for off the board's thread, where a dead share cannot
// hold the window up: one that is not there gives a kept sound, silently.
TEST_F(LoadSlotTest, AnEmptyPathChangesNothingAndAMissingFileIsKeptWithoutAWord) {
    Load(2, "Horn");
    const auto logged = view.log.size();
    board.LoadSlot(2, "", "Other");
    EXPECT_EQ(logged, view.log.size());
    EXPECT_TRUE(board.slot(2).loaded());
    board.LoadSlot(2, dir.Path("absent.wav"), "Other");
    EXPECT_TRUE(board.slot(2).kept());
    EXPECT_EQ("Other", board.slot(2).name);
    EXPECT_EQ(Title("Other", "--;--"), view.at(2).title);
    EXPECT_TRUE(messages.pending().empty());
}

TEST_F(LoadSlotTest, ALoadingSlotShowsItIsNotYetThereAndAFireWaitsForIt) {
    Load(0, "Other");  // playing while the next one loads
    device.holdLoads = true;
    board.LoadSlot(1, testfiles::WriteSound(dir, "slow.wav", 4.0), "Slow");
    EXPECT_TRUE(board.slot(1).loading());
    EXPECT_EQ(Title("Slow", "..;.."), view.at(1).title) << "dots where a missing sound shows dashes";
    board.OnPlayButton(0);
    board.Perform({board::Action::Fire, 1});
    board.Perform({board::Action::Fire, 1});  // still one wish to play, not a pause
    board.Perform({board::Action::SetVolume, 1, 0.5});
    EXPECT_EQ(1u, device.buffers.size()) << "nothing of it read yet";
    EXPECT_FALSE(board.IsSlotPlaying(1));
    device.FinishLoads();
    board.TakeLoadedSounds();
    auto& slow = *device.buffers.back();
    EXPECT_TRUE(slow.playing) << "it starts the moment it can";
    EXPECT_EQ(-2500, slow.volume) << "with the volume set meanwhile";
    EXPECT_TRUE(board.fading(0)) << "and the on-play mode";
    EXPECT_EQ(Title("Slow", "00;04"), view.at(1).title);

    // Stop cancels the wish to play, and a new sound the load.
    board.LoadSlot(2, testfiles::WriteSound(dir, "later.wav", 2.0), "Later");
    board.Perform({board::Action::Fire, 2});
    board.Perform({board::Action::StopAll});
    board.LoadSlot(3, testfiles::WriteSound(dir, "gone.wav", 2.0), "Gone");
    board.ClearSlot(3);
    EXPECT_EQ(1, device.cancelled);
    device.FinishLoads();
    board.TakeLoadedSounds();
    EXPECT_TRUE(board.slot(2).loaded());
    EXPECT_FALSE(board.IsSlotPlaying(2));
    EXPECT_EQ(board::SlotState::Empty, board.slot(3).state);
}

TEST_F(LoadSlotTest, VolumeSliderReturnsToFullOnLoadButNotOnClear) {
    Load(0, "A");
    view.at(0).volume = 7000;
    board.OnVolumeSliderMoved(0, 7000, false);
    board.ClearSlot(0);
    EXPECT_EQ(7000, view.at(0).volume);
    Load(0, "B");
    FadeTick();  // cleared and loaded within one tick
    EXPECT_EQ(0, view.at(0).volume);
}

TEST_F(LoadSlotTest, LoadingOverAPlayingSoundStopsItAndKeepsTheSwitches) {
    auto& old = Load(0, "Old");
    board.SetLoop(0, true);
    board.SetCountDown(0, true);
    board.OnPlayButton(0);
    ASSERT_TRUE(old.playing);

    auto& fresh = Load(0, "New");
    EXPECT_TRUE(old.released);
    EXPECT_FALSE(old.playing);
    EXPECT_EQ((Calls{"Stop", "Release"}), Calls(old.calls.end() - 2, old.calls.end()));
    EXPECT_FALSE(fresh.playing);
    EXPECT_TRUE(board.slot(0).loop);
    EXPECT_TRUE(board.slot(0).countDown);
    EXPECT_EQ(kIdle, view.at(0).image);
}

TEST_F(LoadSlotTest, ClearEmptiesTheSlotAndKeepsSwitchesVolumeAndTimer) {
    auto& buffer = Load(3, "Gong");
    board.SetLoop(3, true);
    board.SetCountDown(3, true);
    view.at(3).volume = 4000;
    board.OnVolumeSliderMoved(3, 4000, false);
    board.OnPlayButton(3);
    Tick(5);
    ASSERT_NE(0, view.at(3).position);

    board.ClearSlot(3);
    const auto& s = board.slot(3);
    EXPECT_FALSE(s.loaded());
    EXPECT_EQ(nullptr, s.buffer);
    EXPECT_EQ("", s.path);
    EXPECT_EQ("", s.name);
    EXPECT_TRUE(buffer.released);
    EXPECT_FALSE(buffer.playing);
    EXPECT_EQ(kBlankTitle, view.at(3).title);
    EXPECT_EQ(kBlankTime, view.at(3).time);
    EXPECT_EQ(kBlankTenths, view.at(3).tenths);
    EXPECT_EQ(board::kCaptionGrey, view.at(3).captionColour);
    EXPECT_EQ(kIdle, view.at(3).image);
    EXPECT_EQ(0, view.at(3).position);
    EXPECT_TRUE(s.loop);
    EXPECT_TRUE(s.countDown);
    EXPECT_EQ(4000, view.at(3).volume);
    EXPECT_TRUE(view.at(3).timerRunning);

    // Its ticks now do nothing.
    const auto logged = view.log.size();
    Tick(3);
    EXPECT_EQ(logged, view.log.size());
}

// A sound that is there but does not load is kept: silent, shown without a
// length, with its path and name for the next save.
TEST_F(LoadSlotTest, UnreadableSoundIsKeptWithPathAndName) {
    const std::string refused = testfiles::WriteSound(dir, "refused.wav", 1.0);
    device.refused.insert(refused);
    view.at(0).volume = 4000;
    board.LoadSlot(0, refused, "");
    EXPECT_FALSE(board.slot(0).loaded());
    EXPECT_TRUE(board.slot(0).kept());
    EXPECT_EQ(nullptr, board.slot(0).buffer);
    EXPECT_EQ(refused, board.slot(0).path);
    EXPECT_EQ(board::NameFromPath(refused), board.slot(0).name);
    EXPECT_EQ("--;--", view.at(0).title.substr(20));
    EXPECT_EQ(0, view.at(0).volume);
    EXPECT_TRUE(device.last().released);
    EXPECT_EQ((Calls{"Error - DS - CreateSoundBuffer"}), messages.pending());

    // A recording that stopped short plays what it holds.
    testfiles::WavFields claimsTooMuch;
    claimsTooMuch.dataBytes = 1000;
    board.LoadSlot(1, testfiles::WriteWav(dir, "short.wav", claimsTooMuch, 10), "Short");
    EXPECT_TRUE(board.slot(1).loaded());
    EXPECT_EQ(10u, device.last().size);

    // A file shorter than the header, or one another program holds, fails without a message.
    board.LoadSlot(2, dir.WriteBytes("tiny.wav", "RIFF"), "Tiny");
    const std::string locked = testfiles::WriteSound(dir, "locked.wav", 1.0);
    device.unreadable.insert(locked);
    board.LoadSlot(3, locked, "Locked");
    for (int i : {2, 3}) EXPECT_TRUE(!board.slot(i).loaded() && board.slot(i).kept()) << i;
    EXPECT_EQ(1u, messages.pending().size());

    // A file the system cannot decode, or refused before its decoding, is
    // named in its message, with why.
    const std::string broken = dir.WriteBytes("broken.mp3", "not an mp3");
    for (const auto error : {audio::SoundError::DecodeFailed, audio::SoundError::TooLong,
                             audio::SoundError::SpoolNoRoom, audio::SoundError::UnplayableFormat}) {
        device.failing[broken] = error;
        board.LoadSlot(4, broken, "");
        EXPECT_TRUE(!board.slot(4).loaded() && board.slot(4).kept());
        EXPECT_EQ("Error decoding " + broken + ":\n\n" + audio::SoundErrorText(error), messages.pending().back());
    }
    EXPECT_EQ(5u, messages.pending().size());

    const auto made = device.buffers.size();
    board.OnPlayButton(0);
    board.OnPlayButton(2);
    EXPECT_EQ(made, device.buffers.size());
    EXPECT_EQ("Tiny                --;--", view.at(2).title);
}

// Without a device a chosen sound is kept, so that a scheme can be made on a
// machine without sound, and nothing plays.
TEST(BoardWithoutDevice, KeepsSoundsAndStaysSilent) {
    testfiles::TempDir dir;
    fake::FakeView view;
    board::Messages messages;
    board::Board board(view, messages, nullptr);
    EXPECT_FALSE(board.hasDevice());
    board.LoadSlot(0, testfiles::WriteSound(dir, "a.wav", 1.0), "A");
    EXPECT_FALSE(board.slot(0).loaded());
    EXPECT_TRUE(board.slot(0).kept());
    EXPECT_EQ("A                   --;--", view.at(0).title);
    EXPECT_TRUE(messages.pending().empty());
    board.OnPlayButton(0);
    board.Perform({board::Action::Fire, 0});
    board.OnPositionReleased(0, 500);
    board.OnVolumeSliderMoved(0, 500, true);
    board.OnTimer(board::kFirstSlotTimerId);
    board.OnTimer(board::kFadeTimerId);
    EXPECT_FALSE(view.at(0).timerRunning);
    EXPECT_NE(kPlaying, view.at(0).image);
}

// ---- Play, pause, stop and the on-play modes ----

using PlayTest = BoardFixture;

TEST_F(PlayTest, PlayPausesResumesAndStopRewinds) {
    auto& b = Load(0, "A");
    board.OnPlayButton(0);
    EXPECT_TRUE(b.playing);
    EXPECT_FALSE(b.looping);
    EXPECT_EQ(kPlaying, view.at(0).image);
    EXPECT_TRUE(view.at(0).timerRunning);

    Tick(10);
    board.OnPlayButton(0);
    EXPECT_FALSE(b.playing);
    EXPECT_EQ(8000u, b.position);
    EXPECT_EQ(kPaused, view.at(0).image);
    EXPECT_TRUE(view.at(0).timerRunning);  // keeps showing the paused time

    board.OnPlayButton(0);
    EXPECT_TRUE(b.playing);
    EXPECT_EQ(8000u, b.position);  // resumes where it stopped
    EXPECT_EQ(kPlaying, view.at(0).image);

    Tick(5);
    board.OnStopButton(0);
    EXPECT_FALSE(b.playing);
    EXPECT_EQ(0u, b.position);
    EXPECT_EQ(kIdle, view.at(0).image);
    EXPECT_TRUE(view.at(0).timerRunning);  // until its next tick reads position 0
    Tick();
    EXPECT_FALSE(view.at(0).timerRunning);
    EXPECT_EQ(kBlankTime, view.at(0).time);
}

TEST_F(PlayTest, LoopingSlotPlaysWithTheLoopFlag) {
    auto& b = Load(0, "A");
    board.SetLoop(0, true);
    board.OnPlayButton(0);
    EXPECT_EQ("Play(1)", b.Changes().back());
    board.OnPlayButton(0);  // the status then carries the looping bit beside the playing bit
    EXPECT_FALSE(b.playing);
    EXPECT_EQ(kPaused, view.at(0).image);
}

TEST_F(PlayTest, StopOnAnEmptySlotOnlyShowsTheIdleImage) {
    const auto logged = view.log.size();
    board.OnStopButton(5);
    EXPECT_EQ((Calls{"SetPlayImage 5 idle"}), view.Since(logged));
}

TEST_F(PlayTest, FailingStatusMakesTheClickDoNothing) {
    auto& b = Load(0, "A");
    b.failGetStatus = true;
    const auto logged = view.log.size();
    board.OnPlayButton(0);
    EXPECT_FALSE(b.playing);
    EXPECT_EQ(logged, view.log.size());
}

TEST_F(PlayTest, PauseOthersPausesEveryPlayingSlotInOrder) {
    auto& a = Load(0, "A");
    auto& b = Load(7, "B");
    Load(3, "C");
    board.SetLoop(7, true);
    board.SetOnPlayMode(LeaveOthers);
    board.OnPlayButton(7);
    board.OnPlayButton(0);
    Tick(10);

    board.SetOnPlayMode(PauseOthers);
    const auto logged = view.log.size();
    board.OnPlayButton(3);
    EXPECT_EQ((Calls{"SetPlayImage 0 paused", "SetPlayImage 7 paused", "SetPlayImage 3 playing"}),
              view.Since(logged, "SetPlayImage"));
    EXPECT_FALSE(a.playing);
    EXPECT_FALSE(b.playing);

    board.OnPlayButton(0);
    EXPECT_TRUE(a.playing);
    EXPECT_EQ(8000u, a.position);
    EXPECT_FALSE(board.IsSlotPlaying(3));
}

TEST_F(PlayTest, PausingNeverAppliesTheOnPlayMode) {
    auto& a = Load(0, "A");
    Load(1, "B");
    board.SetOnPlayMode(LeaveOthers);
    board.OnPlayButton(0);
    board.OnPlayButton(1);
    board.SetOnPlayMode(PauseOthers);
    board.OnPlayButton(1);  // pauses slot 1
    EXPECT_TRUE(a.playing);
    board.SetOnPlayMode(FadeOthers);
    board.OnPlayButton(1);  // starts slot 1 again: now slot 0 fades
    board.OnPlayButton(1);  // pauses it
    EXPECT_TRUE(board.fading(0));
    EXPECT_FALSE(board.fading(1));
}

TEST_F(PlayTest, LeaveOthersAndUnknownModesTouchNoOtherSlot) {
    for (int mode : {static_cast<int>(LeaveOthers), 3, -1, 7}) {
        SCOPED_TRACE(mode);
        auto& a = Load(0, "A");
        Load(1, "B");
        board.SetOnPlayMode(LeaveOthers);
        board.OnPlayButton(0);
        board.SetOnPlayMode(mode);
        const auto before = a.Changes().size();
        board.OnPlayButton(1);
        EXPECT_TRUE(a.playing);
        EXPECT_FALSE(board.fading(0));
        EXPECT_EQ(before, a.Changes().size());
        EXPECT_EQ(kPlaying, view.at(0).image);
    }
}

// ---- Fades ----

using FadeTest = BoardFixture;

// The volumes a fade sets, from its first step down to its last before the pause.
Calls FadeVolumes(int from) {
    Calls calls;
    for (int v = from - 200; v > -5000; v -= 200) calls.push_back("SetVolume(" + std::to_string(v) + ")");
    return calls;
}

TEST_F(FadeTest, FromFullVolumeTakes25TicksAndPausesAtFullVolume) {
    auto& a = Load(0, "A");
    Load(1, "B");
    board.OnPlayButton(0);
    board.OnPlayButton(1);  // FadeOthers is the mode a board starts with
    EXPECT_TRUE(board.fading(0));
    EXPECT_FALSE(board.fading(1));
    const auto mark = a.Changes().size();

    Tick(24);
    EXPECT_TRUE(a.playing);
    EXPECT_EQ(-4800, a.volume);
    EXPECT_EQ(24u, FadeVolumes(0).size());
    EXPECT_EQ(FadeVolumes(0), a.Changes(mark));

    Tick();
    EXPECT_FALSE(board.fading(0));
    EXPECT_FALSE(a.playing);
    EXPECT_NE(0u, a.position);  // paused, not rewound
    EXPECT_EQ(0, a.volume);
    EXPECT_EQ(kPaused, view.at(0).image);
    const Calls changes = a.Changes();
    EXPECT_EQ((Calls{"Stop", "SetVolume(0)"}), Calls(changes.end() - 2, changes.end()));
}

TEST_F(FadeTest, FromALowerStartEndsSoonerAndRestoresThatVolume) {
    auto& a = Load(0, "A");
    Load(1, "B");
    view.at(0).volume = 2000;
    board.OnVolumeSliderMoved(0, 2000, true);
    ASSERT_EQ(-1000, a.volume);
    board.OnPlayButton(0);
    board.OnPlayButton(1);
    const auto mark = a.Changes().size();

    Tick(19);
    EXPECT_TRUE(board.fading(0));
    EXPECT_EQ(FadeVolumes(-1000), a.Changes(mark));
    Tick();
    EXPECT_FALSE(board.fading(0));
    EXPECT_FALSE(a.playing);
    EXPECT_EQ(-1000, a.volume);
}

TEST_F(FadeTest, VolumeDraggedDuringAFadeMovesItsLevelButNotItsRestore) {
    auto& a = Load(0, "A");
    Load(1, "B");
    board.OnPlayButton(0);
    board.OnPlayButton(1);
    Tick(5);
    board.OnVolumeSliderMoved(0, 6000, true);  // -3000
    Tick();
    EXPECT_EQ(-3200, a.volume);
    Tick(8);
    EXPECT_TRUE(board.fading(0));
    Tick();  // -3000 - 10 x 200 reaches -5000
    EXPECT_FALSE(board.fading(0));
    EXPECT_EQ(0, a.volume);
}

TEST_F(FadeTest, RestartingAFadingSoundDoesNotCancelItsFade) {
    auto& a = Load(0, "A");
    auto& b = Load(1, "B");
    board.OnPlayButton(0);
    board.OnPlayButton(1);
    Tick(5);
    board.OnPlayButton(0);  // pause
    board.OnPlayButton(0);  // start again: now slot 1 fades too
    EXPECT_TRUE(a.playing);
    EXPECT_TRUE(board.fading(0));
    EXPECT_TRUE(board.fading(1));

    Tick(19);
    EXPECT_TRUE(board.fading(0));
    Tick();
    EXPECT_FALSE(board.fading(0));
    EXPECT_FALSE(a.playing);
    EXPECT_EQ(0, a.volume);
    EXPECT_EQ(kPaused, view.at(0).image);
    EXPECT_TRUE(b.playing);
}

TEST_F(FadeTest, AFadeSavesTheLevelOfAnEarlierFadeAgain) {
    auto& a = Load(0, "A");
    Load(1, "B");
    Load(2, "C");
    board.OnPlayButton(0);
    board.OnPlayButton(1);
    Tick(5);  // slot 0 now at -1000
    board.OnPlayButton(2);
    Tick(20);
    EXPECT_FALSE(board.fading(0));
    EXPECT_EQ(-1000, a.volume);
}

TEST_F(FadeTest, PausedBeforeItsEndTheFadeOnlyRestoresTheVolume) {
    auto& a = Load(0, "A");
    Load(1, "B");
    board.OnPlayButton(0);
    board.OnPlayButton(1);
    board.OnPlayButton(0);  // the user pauses it while it fades
    Tick(24);
    const auto mark = a.Changes().size();
    Tick();
    EXPECT_EQ((Calls{"SetVolume(0)"}), a.Changes(mark));
}

TEST_F(FadeTest, EmptyingASlotEndsItsFadeAtOnce) {
    auto& old = Load(0, "A");
    Load(1, "B");
    board.OnPlayButton(0);
    board.OnPlayButton(1);
    Tick(3);
    board.ClearSlot(0);
    EXPECT_FALSE(board.fading(0));
    Tick(30);
    EXPECT_EQ("Release", old.calls.back());

    // Loading into a fading slot ends the fade the same way.
    auto& second = Load(2, "C");
    board.SetOnPlayMode(LeaveOthers);
    board.OnPlayButton(2);
    board.SetOnPlayMode(FadeOthers);
    board.OnStopButton(1);
    board.OnPlayButton(1);
    ASSERT_TRUE(board.fading(2));
    auto& replacement = Load(2, "D");
    EXPECT_TRUE(second.released);
    EXPECT_FALSE(board.fading(2));
    board.SetOnPlayMode(LeaveOthers);
    board.OnPlayButton(2);
    Tick(30);
    EXPECT_EQ(0, replacement.volume);
    EXPECT_TRUE(replacement.playing);
}

TEST_F(FadeTest, VolumeThatCannotBeReadAtTheStartStillGivesAValidRestore) {
    auto& a = Load(0, "A");
    Load(1, "B");
    board.OnPlayButton(0);
    a.failGetVolume = true;
    board.OnPlayButton(1);
    a.failGetVolume = false;
    Tick(30);
    EXPECT_FALSE(board.fading(0));
    EXPECT_FALSE(a.playing);
    EXPECT_LE(a.volume, 0);
    EXPECT_GE(a.volume, -5000);
    EXPECT_EQ(a.volume, std::stoi(a.Changes().back().substr(10)));  // the restore was accepted
}

TEST_F(FadeTest, AVolumeThatCannotBeReadDuringTheFadeEndsItAtOnce) {
    auto& a = Load(0, "A");
    Load(1, "B");
    board.OnPlayButton(0);
    board.OnPlayButton(1);
    Tick(3);
    ASSERT_TRUE(board.fading(0));
    a.failGetVolume = true;
    Tick(1);
    EXPECT_FALSE(board.fading(0));
    EXPECT_FALSE(a.playing);
    EXPECT_EQ(0, a.volume);  // the level saved when the fade began
}

TEST_F(FadeTest, FadeTimerIgnoresSlotsThatAreNotFading) {
    auto& a = Load(0, "A");
    board.OnPlayButton(0);
    Tick(30);
    for (const auto& call : a.Changes()) EXPECT_EQ(std::string::npos, call.find("SetVolume")) << call;
}

// ---- Refresh ticks and the time display ----

using RefreshTest = BoardFixture;

TEST_F(RefreshTest, ShowsElapsedOrRemainingTime) {
    Load(0, "A", 10.0);
    board.OnPlayButton(0);
    Tick(40);
    EXPECT_EQ(" 00;04", view.at(0).time);
    EXPECT_EQ(".0", view.at(0).tenths);
    EXPECT_EQ(400, view.at(0).position);

    board.OnTimeDisplayClicked(0);
    EXPECT_TRUE(board.slot(0).countDown);
    Refresh(0);
    EXPECT_EQ("-00;06", view.at(0).time);
    EXPECT_EQ(".0", view.at(0).tenths);

    Tick(5);
    EXPECT_EQ("-00;05", view.at(0).time);
    EXPECT_EQ(".5", view.at(0).tenths);

    board.OnTimeDisplayClicked(0);
    EXPECT_FALSE(board.slot(0).countDown);
}

TEST_F(RefreshTest, PausedTickRewritesTheTimeAndLeavesTheSlider) {
    Load(0, "A");
    board.OnPlayButton(0);
    Tick(25);
    board.OnPlayButton(0);
    view.at(0).position = 777;  // the user moves the thumb without letting go
    const auto logged = view.log.size();
    Refresh(0);
    EXPECT_EQ((Calls{"SetDisplay 0 2 [ 00;02]", "SetDisplay 0 3 [.5]"}), view.Since(logged));
    EXPECT_EQ(777, view.at(0).position);
}

TEST_F(RefreshTest, EndOfASoundThatDoesNotLoopGoesIdle) {
    auto& b = Load(0, "A", 1.0);
    board.OnPlayButton(0);
    Tick(9);
    EXPECT_EQ(" 00;00", view.at(0).time);
    EXPECT_EQ(".9", view.at(0).tenths);
    Tick(2);
    EXPECT_FALSE(b.playing);
    EXPECT_EQ(kIdle, view.at(0).image);
    EXPECT_EQ(kBlankTime, view.at(0).time);
    EXPECT_EQ(kBlankTenths, view.at(0).tenths);
    EXPECT_EQ(0, view.at(0).position);
    EXPECT_FALSE(view.at(0).timerRunning);

    const auto logged = view.log.size();
    Tick(5);
    EXPECT_EQ(logged, view.log.size());
}

TEST_F(RefreshTest, ASoundThatStoppedOnAReadErrorGoesIdleAndTheUserIsToldOnce) {
    auto& b = Load(0, "A");
    board.OnPlayButton(0);
    Tick(3);
    b.playing = false;  // the stream's file went away: stopped at the start
    b.position = 0;
    b.playbackError = audio::SoundError::StreamRead;
    Tick(3);
    EXPECT_EQ(kIdle, view.at(0).image);
    EXPECT_FALSE(view.at(0).timerRunning);
    ASSERT_EQ(1u, messages.pending().size());
    EXPECT_EQ("Error playing " + board.slot(0).path + ":\n\n" + audio::SoundErrorText(audio::SoundError::StreamRead),
              messages.pending()[0]);
}

// A sound that plays while it is decoded shows the length its file states
// until the decode confirms another, and a decode that stopped short is told once.
TEST_F(RefreshTest, ALengthConfirmedByTheDecodeIsShownAtTheNextTickAndAFailedDecodeIsToldOnce) {
    auto& b = Load(0, "A", 10.0);
    const auto shown = [&] { return view.at(0).title.substr(view.at(0).title.size() - 5); };
    EXPECT_EQ("00;10", shown());
    b.length = 8000 * 62;
    board.OnControlKey(true);
    Tick();
    EXPECT_NE("01;02", shown()) << "the key label stays while Ctrl is held";
    board.OnControlKey(false);
    EXPECT_EQ("01;02", shown());
    b.length = 8000 * 75;
    b.decodeError = audio::SoundError::DecodeFailed;
    Tick(3);
    EXPECT_EQ("01;15", shown());
    EXPECT_FLOAT_EQ(75.0f, board.slot(0).duration);
    EXPECT_TRUE(board.slot(0).loaded()) << "the slot keeps its sound and line";
    ASSERT_EQ(1u, messages.pending().size());
    EXPECT_EQ("Error decoding " + board.slot(0).path + ":\n\n" + audio::SoundErrorText(audio::SoundError::DecodeFailed),
              messages.pending()[0]);
}

TEST_F(RefreshTest, LoopingSoundWrapsAndKeepsTicking) {
    auto& b = Load(0, "A", 1.0);
    board.SetLoop(0, true);
    board.OnPlayButton(0);
    Tick(15);  // 12000 bytes into a 7956-byte buffer
    EXPECT_TRUE(b.playing);
    EXPECT_EQ(12000u - 7956u, b.position);
    EXPECT_EQ(" 00;00", view.at(0).time);
    EXPECT_EQ(".5", view.at(0).tenths);
    EXPECT_EQ(kPlaying, view.at(0).image);
    EXPECT_TRUE(view.at(0).timerRunning);
}

TEST_F(RefreshTest, ALoopingSoundThatWrapsExactlyToZeroIsNotTakenForEnded) {
    auto& b = Load(0, "A", 1.0);
    board.SetLoop(0, true);
    board.OnPlayButton(0);
    Tick(1);
    b.position = 0;  // the tick lands exactly on the wrap
    board.RefreshSlotTime(0);
    EXPECT_EQ(kPlaying, view.at(0).image);
    EXPECT_EQ(" 00;00", view.at(0).time);
    EXPECT_TRUE(view.at(0).timerRunning);
}

TEST_F(RefreshTest, FailingStatusEndsTheTickSilently) {
    auto& b = Load(0, "A");
    board.OnPlayButton(0);
    Tick();  // past the fade tick that restarts the timers together
    b.failGetStatus = true;
    const auto logged = view.log.size();
    Tick(3);
    EXPECT_EQ(logged, view.log.size());
}

TEST_F(RefreshTest, TheFadeTickRestartsTimersStartedSinceTheLastOneAndRefreshesTheirSlots) {
    Load(0, "A");
    Load(1, "B");
    board.OnPlayButton(0);
    auto from = view.log.size();
    board.OnTimer(board::kFadeTimerId);
    EXPECT_EQ(std::vector<std::string>{"StartSlotTimer 0"}, view.Since(from, "Start"));
    Tick(20);
    board.OnPlayButton(1);
    device.Advance(50);
    from = view.log.size();
    board.OnTimer(board::kFadeTimerId);
    EXPECT_EQ(std::vector<std::string>{"StartSlotTimer 1"}, view.Since(from, "Start"));
    EXPECT_EQ(" 00;00", view.at(1).time);  // before slot 1's own timer has ticked
    EXPECT_EQ(".0", view.at(1).tenths);
    from = view.log.size();
    Tick(3);
    EXPECT_TRUE(view.Since(from, "Start").empty());

    // Started and stopped again before the fade tick: its own tick ended it.
    board.OnStopButton(0);
    board.OnPlayButton(0);
    board.OnStopButton(0);
    Refresh(0);
    EXPECT_FALSE(view.at(0).timerRunning);
    from = view.log.size();
    board.OnTimer(board::kFadeTimerId);
    EXPECT_TRUE(view.Since(from, "Start").empty());
}

TEST_F(RefreshTest, OtherTimerIdsAreIgnored) {
    auto& b = Load(0, "A");
    board.OnPlayButton(0);
    const auto logged = view.log.size();
    const auto calls = b.calls.size();
    for (unsigned id : {1223u, 1242u, 1273u, 1275u, 0u}) board.OnTimer(id);
    EXPECT_EQ(logged, view.log.size());
    EXPECT_EQ(calls, b.calls.size());
}

// ---- Sliders ----

using SliderTest = BoardFixture;

TEST_F(SliderTest, PositionIsAThousandthOfTheDurationInBytes) {
    auto& b = Load(0, "A", 10.0, 44100);
    board.OnPositionReleased(0, 500);
    EXPECT_EQ("SetCurrentPosition(220500)", b.Changes().back());
    EXPECT_EQ(220500u, b.position);
    EXPECT_EQ(" 00;05", view.at(0).time);  // shown at once, without a tick
    EXPECT_FALSE(b.playing);
}

TEST_F(SliderTest, ReleasingOnAPausedSoundKeepsItPaused) {
    auto& b = Load(0, "A");
    board.OnPlayButton(0);
    Tick(10);
    board.OnPlayButton(0);
    view.at(0).position = 300;  // where the user let go
    const auto logged = view.log.size();
    board.OnPositionReleased(0, 300);
    EXPECT_FALSE(b.playing);
    EXPECT_EQ(24000u, b.position);
    EXPECT_EQ(" 00;03", view.at(0).time);
    EXPECT_TRUE(view.Since(logged, "SetPositionSlider").empty());
    EXPECT_TRUE(view.Since(logged, "SetPlayImage").empty());
    board.OnPlayButton(0);
    EXPECT_TRUE(b.playing);
    EXPECT_EQ(24000u, b.position);
}

TEST_F(SliderTest, TheEndOfTheSliderIsPastTheBufferAndIsRefused) {
    auto& b = Load(0, "A");
    board.OnPlayButton(0);
    Tick(10);
    board.OnPositionReleased(0, 1000);
    EXPECT_TRUE(b.playing);
    EXPECT_EQ(8000u, b.position);
}

TEST_F(SliderTest, ReleasingAtZeroUnderAPlayingSoundRewindsAndKeepsShowingItsTime) {
    auto& b = Load(0, "A");
    board.OnPlayButton(0);
    Tick(10);
    board.OnPositionReleased(0, 0);
    EXPECT_TRUE(b.playing);
    EXPECT_EQ(0u, b.position);
    EXPECT_EQ(kPlaying, view.at(0).image);
    EXPECT_EQ(" 00;00", view.at(0).time);
    EXPECT_EQ(0, view.at(0).position);
    EXPECT_TRUE(view.at(0).timerRunning);
}

TEST_F(SliderTest, ReleasingAtZeroUnderAPausedSoundShowsItIdle) {
    auto& b = Load(0, "A");
    board.OnPlayButton(0);
    Tick(10);
    board.OnPlayButton(0);
    board.OnPositionReleased(0, 0);
    EXPECT_FALSE(b.playing);
    EXPECT_EQ(kIdle, view.at(0).image);
    EXPECT_EQ(kBlankTime, view.at(0).time);
    EXPECT_FALSE(view.at(0).timerRunning);
}

TEST_F(SliderTest, VolumeIsMinusHalfTheSliderValue) {
    auto& b = Load(0, "A");
    const std::pair<int, int> cases[] = {{0, 0}, {1, 0}, {3, -1}, {5000, -2500}, {10000, -5000}, {9999, -4999}};
    for (const auto& [value, volume] : cases) {
        board.OnVolumeSliderMoved(0, value, true);
        EXPECT_EQ(volume, b.volume) << value;
        EXPECT_EQ(volume, board::SliderToVolume(value)) << value;
    }
}

TEST_F(SliderTest, SlidersOfAnEmptySlotDoNothing) {
    const auto logged = view.log.size();
    board.OnPositionReleased(6, 500);
    board.OnVolumeSliderMoved(6, 5000, true);
    EXPECT_EQ(logged, view.log.size());
    EXPECT_TRUE(device.buffers.empty());
}

// ---- Keys ----

using KeyTest = BoardFixture;

TEST_F(KeyTest, SlotKeyStartsThenPausesAndShiftStopsAndRewinds) {
    auto& b = Load(0, "A");
    EXPECT_TRUE(Key('1', false));
    EXPECT_TRUE(b.playing);
    Tick(10);
    EXPECT_TRUE(Key('1', false));
    EXPECT_FALSE(b.playing);
    EXPECT_EQ(kPaused, view.at(0).image);
    EXPECT_TRUE(Key('1', true));
    EXPECT_FALSE(b.playing);
    EXPECT_EQ(0u, b.position);
    EXPECT_EQ(kIdle, view.at(0).image);
}

TEST_F(KeyTest, LetterRowReachesTheRightColumn) {
    auto& last = Load(17, "Last");
    auto& nine = Load(9, "Nine");
    EXPECT_TRUE(Key('O', false));
    EXPECT_TRUE(last.playing);
    EXPECT_TRUE(Key('Q', false));
    EXPECT_TRUE(nine.playing);
    EXPECT_TRUE(Key('4', false));  // an empty slot: consumed, nothing happens
}

// What OSC and hotkeys ask for reaches the board as its own controls do.
TEST_F(KeyTest, ActionsSetVolumeAndPlaceAsTheSlidersDo) {
    auto& b = Load(3, "A", 10.0);
    using A = board::Action;
    board.Perform({A::SetVolume, 3, 0.25});
    FadeTick();  // loaded and moved within one tick
    EXPECT_EQ(7500, view.at(3).volume);
    EXPECT_EQ(-3750, b.volume);
    board.Perform({A::SetVolume, 3, 7.0});
    EXPECT_EQ(0, b.volume) << "clamped to full";
    board.Perform({A::Seek, 3, 2.5});  // idle: shown paused there, as a scheme's place
    EXPECT_EQ(20000u, b.position);
    EXPECT_EQ(kPaused, view.at(3).image);
    EXPECT_EQ(" 00;02", view.at(3).time);
    board.Perform({A::Fire, 3});
    board.Perform({A::Seek, 3, 9.0});  // playing: it goes on from there
    EXPECT_TRUE(b.playing);
    EXPECT_EQ(72000u, b.position);
    board.Perform({A::Seek, 3, 3600.0});  // past the end: refused
    EXPECT_EQ(72000u, b.position);
    for (int wrong : {-1, 18}) board.Perform({A::Fire, wrong});
    EXPECT_TRUE(Key(0x1B));  // Esc
    EXPECT_FALSE(b.playing);
    EXPECT_EQ(0u, b.position);
}

TEST_F(KeyTest, OtherKeysAreNotConsumedAndChangeNothing) {
    Load(0, "A");
    const auto logged = view.log.size();
    for (unsigned vk : {0x30u, 0x61u, unsigned('P'), 0x10u, 0x11u, 0x0Du}) {
        EXPECT_FALSE(Key(vk, false)) << vk;
        EXPECT_FALSE(Key(vk, true)) << vk;
    }
    EXPECT_EQ(logged, view.log.size());
    EXPECT_FALSE(device.last().playing);
}

TEST_F(KeyTest, CtrlShowsKeyLabelsAndItsReleaseShowsLengthsAgain) {
    Load(9, "Nine", 65.0);
    Load(2, "A name of twenty chr", 3.0);
    const auto logged = view.log.size();
    board.OnControlKey(true);
    const auto titles = view.Since(logged);
    ASSERT_EQ(18u, titles.size());
    EXPECT_EQ("SetDisplay 0 1 [" + std::string(19, ' ') + "   1  ]", titles[0]);
    EXPECT_EQ("SetDisplay 17 1 [" + std::string(19, ' ') + "   o  ]", titles[17]);
    EXPECT_EQ("Nine" + std::string(15, ' ') + "   q  ", view.at(9).title);
    EXPECT_EQ("A name of twenty ch   3  ", view.at(2).title);
    for (const auto& s : view.slots) EXPECT_EQ(25u, s.title.size());

    board.OnControlKey(false);
    EXPECT_EQ(Title("Nine", "01;05"), view.at(9).title);
    EXPECT_EQ("A name of twenty ch 00;03", view.at(2).title);
    EXPECT_EQ(kBlankTitle, view.at(0).title);
    EXPECT_EQ(kBlankTitle, view.at(17).title);
}

// A hotkey as stored, registered, named and shown while Ctrl is held.
TEST(Hotkey, StoredValuesModifiersNamesAndTheCtrlTitle) {
    struct Case {  // modifiers: Alt 1, Ctrl 2, Shift 4; title: slot 9's, "DOOR BELL"
        const char *stored, *text, *title;
        std::uint16_t value;
        unsigned modifiers;
    } cases[] = {
        {"628", "Ctrl+F5", "DOOR BELL   Ctrl+F5   q  ", 0x274, 2},
        {"2595", "Ctrl+End", "DOOR BELL  Ctrl+End   q  ", 0xA23, 2},  // the extended-key flag is not registered
        {"1915", "Ctrl+Alt+Shift+F12", "DOOR BELL C+A+S+F12   q  ", 0x77B, 7},
        {"357", "Shift+Num 5", "DOOR BE Shift+Num 5   q  ", 0x165, 4},
        {"2061", "Num Enter", "DOOR BELL Num Enter   q  ", 0x80D, 0},
        {"1937", "Ctrl+Alt+Shift+Scroll Lock", "DOOR B C+A+S+Scroll   q  ", 0x791, 7},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.value, board::HotkeyFromText(c.stored)) << c.stored;
        EXPECT_EQ(c.modifiers, board::HotkeyModifiers(c.value)) << c.stored;
        EXPECT_EQ(c.text, board::HotkeyText(c.value));
        EXPECT_EQ(c.title, board::DisplayTextFor(board::DisplayKind::Title,
                                                 board::ControlKeyTitle("DOOR BELL", 'Q', c.value)));
    }
    for (const char* none : {"", "0", "x", "628x", " 628", "-628", "65536", "256", "4181"})
        EXPECT_EQ(0, board::HotkeyFromText(none)) << none;
}

TEST(Hotkey, EntriesOfOneCombinationForTheSystemAreFound) {
    board::Hotkeys hotkeys{};
    hotkeys[2] = 0x223, hotkeys[5] = 0x224, hotkeys[19] = 0x423;  // Ctrl+End, Ctrl+Home, Alt+End
    EXPECT_FALSE(board::FindSharedHotkey(hotkeys)) << "nor are entries without one";
    hotkeys[18] = 0xA23;  // Ctrl+End too, with the extended-key flag
    EXPECT_EQ(std::make_pair(2, 18), board::FindSharedHotkey(hotkeys));
}

// ---- Remote trigger ----

using RemoteTest = BoardFixture;

void Send(board::Board& board, const std::string& bytes) { board.Perform(board::NameAction(bytes.data(), bytes.size())); }

TEST_F(RemoteTest, TriggersEverySlotOfThatNameInOrderWhateverTheCase) {
    Load(5, "Bell");
    Load(2, "BELL");
    auto& horn = Load(3, "Horn");
    board.SetOnPlayMode(LeaveOthers);
    const auto logged = view.log.size();
    Send(board, "bElL");
    EXPECT_EQ((Calls{"SetPlayImage 2 playing", "SetPlayImage 5 playing"}), view.Since(logged, "SetPlayImage"));
    EXPECT_FALSE(horn.playing);

    Send(board, "bell");  // a press on a playing slot pauses it
    EXPECT_EQ(kPaused, view.at(2).image);
    EXPECT_EQ(kPaused, view.at(5).image);

    // Each match is a separate press, so the on-play mode acts between them.
    board.OnStopButton(2);
    board.OnStopButton(5);
    board.SetOnPlayMode(PauseOthers);
    Send(board, "BELL");
    EXPECT_FALSE(board.IsSlotPlaying(2));
    EXPECT_EQ(kPaused, view.at(2).image);
    EXPECT_TRUE(board.IsSlotPlaying(5));
}

TEST_F(RemoteTest, TakesAtMostTheGivenSizeAndStopsAtAZero) {
    auto& bel = Load(0, "BEL");
    auto& belfry = Load(1, "BELFRY");
    auto& horn = Load(2, "HORN");
    board.SetOnPlayMode(LeaveOthers);
    board.Perform(board::NameAction("belfry", 3));
    EXPECT_TRUE(bel.playing);
    EXPECT_FALSE(belfry.playing);

    Send(board, std::string("horn\0belfry", 11));
    EXPECT_TRUE(horn.playing);
    EXPECT_FALSE(belfry.playing);

    Send(board, "nothing of that name");
    EXPECT_TRUE(bel.playing);
    EXPECT_TRUE(horn.playing);
}

TEST_F(RemoteTest, EmptyOrMissingDataIsTheEmptyName) {
    auto& unnamed = Load(4, "X");
    board.RenameSlot(4, "");  // renamed to nothing
    auto& named = Load(6, "Y");
    board.SetOnPlayMode(LeaveOthers);

    board.Perform(board::NameAction(nullptr, 5));
    EXPECT_TRUE(unnamed.playing);
    EXPECT_FALSE(named.playing);
    board.Perform(board::NameAction("", 0));
    EXPECT_FALSE(unnamed.playing);
    Send(board, std::string("\0Y", 2));
    EXPECT_TRUE(unnamed.playing);
    EXPECT_FALSE(named.playing);
}

}  // namespace
