// The File menu, the slot menu, the favourites and the stored settings,
// driven through a scripted window and an in-memory settings store.
#include "scheme/BoardActions.h"
#include "scheme/HotkeyPreferences.h"
#include "scheme/Preferences.h"
#include "scheme/RemoteSettings.h"
#include "scheme/SchemeFiles.h"
#include "scheme/SlotEditing.h"

#include <deque>

#include "BoardFixture.h"
#include "scheme/Scheme.h"

namespace {

// Answers the commands' questions from scripts and records what they showed.
class FakeHost : public scheme::ICommandHost {
public:
    std::optional<std::string> ChooseFile(scheme::FileKind kind, const std::string& initialName) override {
        chosenKinds.push_back(kind);
        initialNames.push_back(initialName);
        return Next(files, std::optional<std::string>());
    }
    bool AskYesNo(const std::string& question) override {
        questions.push_back(question);
        return Next(answers, false);
    }
    scheme::SlotCommand TrackSlotMenu(int, bool loopChecked) override {
        loopChecks.push_back(loopChecked);
        return Next(menuChoices, scheme::SlotCommand::None);
    }
    bool EditName(std::string& name) override {
        shownName = name;
        const auto typed = Next(names, std::optional<std::string>());
        if (typed) name = *typed;
        return typed.has_value();
    }
    bool EditOptions(scheme::Favourites& favourites, int& mode, std::string& output) override {
        shownMode = mode;
        shownOutput = output;
        if (!options) return false;
        favourites = options->first;
        mode = options->second;
        if (chosenOutput) output = *chosenOutput;
        return true;
    }
    bool UseSoundOutput(const std::string& output) override {
        usedOutputs.push_back(output);
        return outputWorks;
    }
    bool EditHotkeys(board::Hotkeys& hotkeys, const std::array<std::string, board::kHotkeyCount>&) override {
        if (chosenHotkeys) hotkeys = *chosenHotkeys;
        return chosenHotkeys.has_value();
    }
    std::vector<int> RegisterHotkeys(const board::Hotkeys& hotkeys) override {
        registered.push_back(hotkeys);
        std::vector<int> refused;
        for (int i = 0; i < board::kHotkeyCount; ++i)
            if (hotkeys[i] == heldElsewhere) refused.push_back(i);
        return refused;
    }
    void ShowFavouriteCaptions(const scheme::Favourites& shown) override { captions = shown; }
    bool IsShiftDown() override { return shift; }
    void StartProgramCopy(const std::string& arguments) override { copies.push_back(arguments); }
    void EndBoard() override { ended = true; }
    bool EditRemoteControl(scheme::RemoteSettings& shown) override {
        if (!remoteChoice) return false;
        shown = *remoteChoice;
        return true;
    }
    std::string UseRemoteControl(const scheme::RemoteSettings& used) override {
        usedRemote.push_back(used);
        return remoteFailure;
    }

    std::deque<std::optional<std::string>> files, names;
    std::deque<bool> answers;
    std::deque<scheme::SlotCommand> menuChoices;
    std::optional<std::pair<scheme::Favourites, int>> options;
    std::optional<std::string> chosenOutput;
    bool outputWorks = true;
    bool shift = false;
    std::optional<board::Hotkeys> chosenHotkeys;
    std::uint16_t heldElsewhere = 0xFFFF;
    std::optional<scheme::RemoteSettings> remoteChoice;
    std::string remoteFailure;
    std::vector<scheme::RemoteSettings> usedRemote;

    std::vector<scheme::FileKind> chosenKinds;
    std::vector<std::string> initialNames, questions, copies, usedOutputs;
    std::string shownOutput;
    std::vector<bool> loopChecks;
    std::string shownName;
    int shownMode = -99;
    scheme::Favourites captions;
    bool ended = false;
    std::vector<board::Hotkeys> registered;

private:
    template <typename T, typename D>
    static T Next(std::deque<T>& queue, D none) {
        if (queue.empty()) return none;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};

// The settings key as a map; absent until first written, unless made present.
class FakeSettings : public scheme::ISettingsStore {
public:
    std::optional<Values> Read(const std::vector<std::string>& names) override {
        if (!exists) return std::nullopt;
        Values found;
        for (const auto& name : names)
            if (values.count(name)) found[name] = values[name];
        return found;
    }
    void Write(const std::vector<std::pair<std::string, std::string>>& written) override {
        exists = true;
        for (const auto& value : written) values[value.first] = value.second;
        ++writes;
    }
    bool exists = false;
    Values values;
    int writes = 0;
};

class CommandsTest : public BoardFixture {
protected:
    std::string At(const std::string& file) const { return dir.Path("Shows\\" + file); }
    std::string Sound(const std::string& file, double seconds = 10.0) {
        return testfiles::WriteSound(dir, "Sounds\\" + file, seconds);
    }
    std::string Saved(const std::string& path) { return testfiles::TempDir::ReadBytes(path); }

    FakeHost host;
    FakeSettings settings;
    scheme::Preferences preferences{board, host, settings};
    scheme::SchemeFiles files{board, host, settings, preferences};
    scheme::SlotEditing slots{board, host};
    scheme::BoardActions actions{board, files};
    scheme::HotkeyPreferences hotkeys{board, host, settings};
};

// ---- File menu ----

TEST_F(CommandsTest, SaveAsCompletesTheExtensionAndNamesTheBoard) {
    const std::pair<const char*, const char*> cases[] = {
        {"Friday", "Friday.scheme"},
        {"Friday.Scheme", "Friday.Scheme"},
        {"Friday.wav", "Friday.wav.scheme"},
    };
    for (const auto& c : cases) {
        host.files.push_back(At(c.first));
        files.SaveSchemeAs();
        EXPECT_EQ(At(c.second), board.schemePath()) << c.first;
        EXPECT_FALSE(Saved(At(c.second)).empty()) << c.first;
    }
    EXPECT_EQ("Friday.wav - Clangster", view.title);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(scheme::FileKind::Scheme, host.chosenKinds.at(0));
}

TEST_F(CommandsTest, SaveOnANewSchemeAsksForANameAndSaveAfterThatDoesNot) {
    Load(0, "Bell");
    host.files.push_back(At("Show"));
    files.Save();
    ASSERT_EQ(1u, host.chosenKinds.size());
    EXPECT_EQ(At("Show.scheme"), board.schemePath());

    board.RenameSlot(0, "DING");
    files.Save();  // no dialog, no question: the same file again
    EXPECT_EQ(1u, host.chosenKinds.size());
    EXPECT_NE(std::string::npos, Saved(At("Show.scheme")).find("|DING|"));
}

TEST_F(CommandsTest, OverwriteIsAskedOnceAndNoKeepsFileTitleAndPath) {
    const std::string old = dir.WriteBytes("Shows\\Old.scheme", "old content\r\n");
    host.files.push_back(At("Mine"));
    files.SaveSchemeAs();
    const std::string title = view.title;

    host.files.push_back(old);
    host.answers.push_back(false);
    files.SaveSchemeAs();
    EXPECT_EQ(std::vector<std::string>{"Do you want to overwrite the existing file?"}, host.questions);
    EXPECT_EQ("old content\r\n", Saved(old));
    EXPECT_EQ(title, view.title);
    EXPECT_EQ(At("Mine.scheme"), board.schemePath());

    host.files.push_back(old);
    host.answers.push_back(true);
    files.SaveSchemeAs();
    EXPECT_EQ(2u, host.questions.size());
    EXPECT_EQ(0u, Saved(old).find("||||\r\n"));
    EXPECT_EQ(old, board.schemePath());
}

TEST_F(CommandsTest, CancelledDialogsChangeNothing) {
    Load(0, "Bell");
    board.SetSchemePath(At("Kept.scheme"));
    files.Open();
    files.SaveSchemeAs();
    host.menuChoices.push_back(scheme::SlotCommand::Browse);
    slots.SlotMenu(0);
    EXPECT_EQ(3u, host.chosenKinds.size());
    EXPECT_TRUE(board.slot(0).loaded);
    EXPECT_EQ(At("Kept.scheme"), board.schemePath());
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(CommandsTest, OpenReadsTheChosenSchemeAndAFailureLeavesANewScheme) {
    const std::string bell = Sound("bell.wav");
    const std::string path = dir.WriteBytes("Shows\\Gig.scheme", bell + "|BELL|0|0|0|1|\r\n");
    host.files.push_back(path);
    files.Open();
    EXPECT_TRUE(board.slot(0).loaded);
    EXPECT_EQ("Gig - Clangster", view.title);

    host.files.push_back(At("Gone.scheme"));
    files.Open();
    EXPECT_FALSE(board.slot(0).loaded);
    EXPECT_EQ("New scheme - Clangster", view.title);
    EXPECT_EQ(1u, view.messages.size());
}

// ---- Slot menu ----

TEST_F(CommandsTest, BrowseNamesTheSoundAfterItsFileAndKeepsTheSwitches) {
    auto& old = Load(4, "Old");
    board.SetLoop(4, true);
    board.OnPlayButton(4);
    host.menuChoices.push_back(scheme::SlotCommand::Browse);
    host.files.push_back(Sound("door bell.wav"));
    slots.SlotMenu(4);
    EXPECT_FALSE(old.playing);
    EXPECT_EQ("DOOR BELL", board.slot(4).name);
    EXPECT_TRUE(board.slot(4).loop);
    EXPECT_EQ(scheme::FileKind::Sound, host.chosenKinds.at(0));
    EXPECT_EQ("", host.initialNames.at(0));
}

TEST_F(CommandsTest, LoopIsCheckedWhenOnAndSwitchesTheCaptionEvenOnAnEmptySlot) {
    for (bool expected : {false, true, false}) {
        host.menuChoices.push_back(scheme::SlotCommand::Loop);
        slots.SlotMenu(9);
        EXPECT_EQ(expected, host.loopChecks.back());
        EXPECT_EQ(expected ? "Play" : "Loop", view.at(9).caption);
    }
    host.menuChoices.push_back(scheme::SlotCommand::None);  // dismissed
    slots.SlotMenu(9);
    EXPECT_TRUE(board.slot(9).loop);  // three switches
}

TEST_F(CommandsTest, ReloadReadsTheFileAgainUnderItsNameAtFullVolume) {
    const std::string path = Sound("horn.wav", 4.0);
    board.LoadSlot(2, path, "HOOTER");
    board.OnVolumeSliderMoved(2, 6000, true);
    Sound("horn.wav", 8.0);  // changed on disk
    slots.RunSlotCommand(2, scheme::SlotCommand::Reload);
    EXPECT_EQ("HOOTER", board.slot(2).name);
    EXPECT_NEAR(8.0, board.slot(2).duration, 0.1);
    EXPECT_EQ(0, view.at(2).volume);
    EXPECT_EQ(0, board.slot(2).volume);

    std::remove(path.c_str());
    slots.RunSlotCommand(2, scheme::SlotCommand::Reload);
    EXPECT_FALSE(board.slot(2).loaded);
}

TEST_F(CommandsTest, RenameShowsTheNameDropsBarsAndCancelKeepsIt) {
    Load(1, "Bell", 65.0);
    host.names.push_back(std::string("DING|DONG"));
    slots.RunSlotCommand(1, scheme::SlotCommand::Rename);
    EXPECT_EQ("Bell", host.shownName);
    EXPECT_EQ("DINGDONG", board.slot(1).name);
    EXPECT_EQ(0u, view.at(1).title.find("DINGDONG"));
    EXPECT_NE(std::string::npos, view.at(1).title.find("01;05"));  // the length stays shown

    host.names.push_back(std::nullopt);
    slots.RunSlotCommand(1, scheme::SlotCommand::Rename);
    EXPECT_EQ("DINGDONG", board.slot(1).name);

    host.names.push_back(std::string());
    slots.RunSlotCommand(1, scheme::SlotCommand::Rename);
    EXPECT_EQ("", board.slot(1).name);

    host.shownName = "not asked";
    slots.RunSlotCommand(5, scheme::SlotCommand::Rename);  // empty slot: nothing happens
    EXPECT_EQ("not asked", host.shownName);
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
    preferences.LoadFavourites();
    EXPECT_EQ(" < none > ", host.captions[11]);
    scheme::Favourites chosen;
    chosen[0] = "C:\\Shows\\Friday.scheme";
    chosen[11] = "C:\\Shows\\Last.scheme";
    host.options = std::make_pair(chosen, 1);
    preferences.Options();
    EXPECT_EQ(board::FadeOthers, host.shownMode);
    EXPECT_EQ(board::PauseOthers, board.onPlayMode());
    EXPECT_EQ("Friday", host.captions[0]);
    EXPECT_EQ("Last", host.captions[11]);
    EXPECT_EQ("C:\\Shows\\Friday.scheme", settings.values["MRU0"]);
    EXPECT_EQ("", settings.values["MRU5"]);
    EXPECT_EQ("C:\\Shows\\Last.scheme", settings.values["MRU11"]);
    EXPECT_EQ(0u, settings.values.count("onplay"));

    host.options.reset();  // Cancel
    preferences.Options();
    EXPECT_EQ(chosen, preferences.favourites());
    EXPECT_EQ(1, settings.writes);
}

TEST_F(CommandsTest, AFavouriteThatCannotBeOpenedIsRemovedAndTheRestMoveUp) {
    settings.exists = true;
    for (int i = 0; i < 5; ++i) settings.values["MRU" + std::to_string(i)] = At("S" + std::to_string(i) + ".scheme");
    dir.WriteBytes("Shows\\S3.scheme", "");
    preferences.LoadFavourites();
    files.OpenFavourite(2);  // S2 is gone
    EXPECT_EQ(1u, view.messages.size());
    EXPECT_EQ("New scheme - Clangster", view.title);
    EXPECT_EQ(At("S3.scheme"), settings.values["MRU2"]);
    EXPECT_EQ(At("S4.scheme"), settings.values["MRU3"]);
    EXPECT_EQ("", settings.values["MRU4"]);
    EXPECT_EQ("", settings.values["MRU11"]);
    EXPECT_EQ("S3", host.captions[2]);

    files.NewScheme();
    host.shift = true;  // asked from outside the window, it opens here whatever the keys
    actions.Perform({board::Action::OpenFavourite, 2});
    EXPECT_EQ(At("S3.scheme"), board.schemePath());
    EXPECT_TRUE(host.copies.empty());
    for (int index : {7, 12, -1}) actions.Perform({board::Action::OpenFavourite, index});  // empty or none
    EXPECT_EQ(At("S3.scheme"), board.schemePath());
}

TEST_F(CommandsTest, ShiftStartsASecondCopyWithTheQuotedPathAndLeavesTheBoard) {
    settings.exists = true;
    settings.values["MRU6"] = "C:\\My Shows\\Friday.scheme";
    preferences.LoadFavourites();
    Load(0, "Bell");
    host.shift = true;
    files.OpenFavourite(6);
    files.OpenFavourite(5);  // empty: no copy
    EXPECT_EQ(std::vector<std::string>{"\"C:\\My Shows\\Friday.scheme\""}, host.copies);
    EXPECT_TRUE(board.slot(0).loaded);
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
    files.CloseBoard();
    EXPECT_EQ(At("Gig.scheme"), settings.values["LastFile"]);
    EXPECT_EQ("1", settings.values["onplay"]);
    EXPECT_FALSE(device.last().playing);
    EXPECT_TRUE(host.ended);

    board.SetOnPlayMode(board::FadeOthers);
    files.CloseBoard();  // after a new scheme
    EXPECT_EQ(At("Gig.scheme"), settings.values["LastFile"]);
    EXPECT_EQ("2", settings.values["onplay"]);
}

TEST_F(CommandsTest, StartUpOpensTheCommandLineOrElseTheLastSchemeAndMode) {
    const std::string gig = dir.WriteBytes("Shows\\Gig.scheme", "");
    const std::string other = dir.WriteBytes("Shows\\Other.scheme", "");
    settings.exists = true;
    settings.values = {{"LastFile", other}, {"onplay", "0"}};
    files.OpenFirstScheme("\"" + gig + "\"");
    EXPECT_EQ(gig, board.schemePath());
    EXPECT_EQ(board::FadeOthers, board.onPlayMode());

    const std::pair<const char*, int> modes[] = {{"1", 1}, {"7", 7}, {"x", 0}, {"12abc", 12}};
    for (const auto& m : modes) {
        settings.values["onplay"] = m.first;
        files.OpenFirstScheme("");
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
    slots.DropFiles(15, {Sound("Door bell.mp3"), note, Sound("b.WAV"), Sound("c.ogg"), Sound("d.wav")});

    EXPECT_FALSE(old.playing);
    EXPECT_EQ("DOOR BELL", board.slot(15).name);
    EXPECT_TRUE(board.slot(15).loop) << "the slot's switches stay, as with Browse...";
    EXPECT_EQ("KEPT", board.slot(16).name) << "a full slot after the first is passed over";
    EXPECT_EQ("B", board.slot(17).name);
    EXPECT_EQ(std::vector<std::string>{"2 sounds were left out: there were no empty slots left for them."},
              view.messages);
}

// ---- The sound output ----

TEST_F(CommandsTest, AnotherSoundOutputIsStoredOnceItIsInUse) {
    const std::string second = "{12345678-9ABC-DEF0-1234-56789ABCDEF0}";
    EXPECT_EQ("", preferences.ReadSoundOutput()) << "no settings: the default device";
    host.options = std::make_pair(scheme::Favourites{}, 2);
    preferences.Options();  // the same output
    EXPECT_EQ(0u, settings.values.count("SoundOutput"));
    EXPECT_TRUE(host.usedOutputs.empty());

    host.chosenOutput = second;
    host.outputWorks = false;  // the device cannot be opened, or refuses the sounds
    preferences.Options();
    EXPECT_EQ(0u, settings.values.count("SoundOutput"));
    preferences.Options();
    EXPECT_EQ("", host.shownOutput) << "Options shows the output in use";
    host.usedOutputs.clear();
    host.outputWorks = true;
    preferences.Options();
    EXPECT_EQ(second, settings.values["SoundOutput"]);
    EXPECT_EQ(std::vector<std::string>{second}, host.usedOutputs);
    EXPECT_EQ(second, preferences.ReadSoundOutput());
    preferences.Options();
    EXPECT_EQ(second, host.shownOutput);
    EXPECT_EQ(1u, host.usedOutputs.size());

    host.options.reset();  // Cancel
    host.chosenOutput = "";
    preferences.Options();
    EXPECT_EQ(second, settings.values["SoundOutput"]);
}

// ---- Hotkeys ----

TEST_F(CommandsTest, HotkeysAreRegisteredAtStartAndAfterTheDialogAndTheRefusedAreTold) {
    Load(0, "Bell");
    settings.exists = true;
    settings.values = {{"Hotkey1", "628"}, {"Hotkey3", "629"}, {"HotkeyFadeAll", "2595"}};
    host.heldElsewhere = 628;  // Ctrl+F5
    hotkeys.Load();
    board::Hotkeys stored{};
    stored[0] = 628, stored[2] = 629, stored[19] = 2595;
    ASSERT_EQ(1u, view.messages.size());
    EXPECT_NE(std::string::npos, view.messages[0].find("refuses it.\n\nSlot 1 (Bell): Ctrl+F5\n\n"));
    board.OnControlKey(true);
    EXPECT_EQ("Bell" + std::string(18, ' ') + "1  ", view.at(0).title) << "a refused hotkey is not shown";
    EXPECT_EQ(std::string(12, ' ') + "Ctrl+F6   3  ", view.at(2).title);

    // While the dialog is open none is registered; Cancel keeps them, OK keeps what was chosen.
    hotkeys.Edit();
    EXPECT_EQ((std::vector<board::Hotkeys>{stored, {}, stored}), host.registered);
    EXPECT_EQ(0, settings.writes);
    host.chosenHotkeys = board::Hotkeys{};
    (*host.chosenHotkeys)[17] = 1105;
    hotkeys.Edit();
    EXPECT_EQ(*host.chosenHotkeys, host.registered.back());
    EXPECT_EQ(20u, settings.values.size()) << "every hotkey written";
    EXPECT_EQ("1105", settings.values["Hotkey18"]);
    EXPECT_EQ(2u, view.messages.size()) << "the refused one told again after Cancel, none after OK";
}

// ---- Remote control ----

TEST_F(CommandsTest, RemoteControlIsStoredOnOkAndAPortThatCannotBeOpenedIsToldOnce) {
    scheme::RemoteControlSettings remote{board, host, settings};
    EXPECT_EQ(scheme::RemoteSettings{}, scheme::StoredRemoteSettings(settings)) << "off, 9000, this computer only";
    settings.Write({{"RemoteControl", "1"}, {"RemotePort", "9x"}, {"RemoteFromNetwork", "0"}});
    host.remoteFailure = "Another program is using this port.";
    remote.ApplyStored();
    ASSERT_EQ(1u, host.usedRemote.size());
    EXPECT_EQ((scheme::RemoteSettings{true, 9000, false}), host.usedRemote[0]) << "a port that is no number";
    ASSERT_EQ(1u, view.messages.size());
    EXPECT_NE(std::string::npos, view.messages[0].find("UDP port 9000 of this computer (127.0.0.1):\n\nAnother"));

    const int writes = settings.writes;
    remote.Edit();  // cancelled
    EXPECT_EQ(writes, settings.writes);
    host.remoteFailure.clear();
    host.remoteChoice = scheme::RemoteSettings{true, 9100, true};
    remote.Edit();
    EXPECT_EQ("1", settings.values["RemoteControl"]);
    EXPECT_EQ("9100", settings.values["RemotePort"]);
    EXPECT_EQ("1", settings.values["RemoteFromNetwork"]);
    EXPECT_EQ(*host.remoteChoice, scheme::StoredRemoteSettings(settings));
    remote.Edit();  // the same again while listening: the socket and its subscribers are left alone
    EXPECT_EQ(2u, host.usedRemote.size());
    EXPECT_EQ(1u, view.messages.size());
}

}  // namespace
