#pragma once
// What the board's front door reaches besides its slots, for host tests and
// fuzz targets: dialogs that answer from scripts and record what they were
// shown, a system with the fake sound device, and an in-memory settings
// store. `duringModal` stands for what a nested message loop delivers while
// a box, dialog, menu or file chooser is up.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "FakeSound.h"
#include "FakeView.h"
#include "app/BoardController.h"
#include "scheme/SettingsStore.h"
#include "scheme/SystemServices.h"
#include "scheme/UserDialogs.h"

namespace fake {

class FakeDialogs : public scheme::IUserDialogs {
public:
    void ShowMessage(const std::string& text) override {
        shown.push_back(text);
        Modal();
    }
    bool AskYesNo(const std::string& question) override {
        questions.push_back(question);
        Modal();
        return Next(answers, false);
    }
    std::optional<std::string> ChooseFile(scheme::FileKind kind, const std::string& initialName) override {
        chosenKinds.push_back(kind);
        initialNames.push_back(initialName);
        Modal();
        return Next(files, std::optional<std::string>());
    }
    scheme::SlotCommand TrackSlotMenu(int, bool loopChecked, bool prelistening, bool canPrelisten) override {
        loopChecks.push_back(loopChecked);
        prelistenShown.push_back({prelistening, canPrelisten});
        Modal();
        return Next(menuChoices, scheme::SlotCommand::None);
    }
    bool EditName(std::string& name) override {
        shownName = name;
        Modal();
        const auto typed = Next(names, std::optional<std::string>());
        if (typed) name = *typed;
        return typed.has_value();
    }
    bool EditOptions(scheme::Favourites& favourites, int& mode, std::string& output,
                     scheme::MonitorChoice& monitor) override {
        shownMode = mode;
        shownOutput = output;
        shownMonitor = monitor;
        Modal();
        if (!options) return false;
        favourites = options->first;
        mode = options->second;
        if (chosenOutput) output = *chosenOutput;
        if (chosenMonitor) monitor = *chosenMonitor;
        return true;
    }
    bool EditHotkeys(board::Hotkeys& hotkeys, const std::array<std::string, board::kHotkeyCount>& owners) override {
        hotkeyOwners = owners;
        Modal();
        if (chosenHotkeys) hotkeys = *chosenHotkeys;
        return chosenHotkeys.has_value();
    }
    bool EditRemoteControl(scheme::RemoteSettings& shownSettings) override {
        Modal();
        if (!remoteChoice) return false;
        shownSettings = *remoteChoice;
        return true;
    }
    void ShowAbout() override { Modal(); }
    void ShowFavouriteCaptions(const scheme::Favourites& shownCaptions) override { captions = shownCaptions; }
    void EndBoard() override { ended = true; }

    // Scripts, each answer taken once.
    std::deque<std::optional<std::string>> files, names;
    std::deque<bool> answers;
    std::deque<scheme::SlotCommand> menuChoices;
    std::optional<std::pair<scheme::Favourites, int>> options;
    std::optional<std::string> chosenOutput;
    std::optional<scheme::MonitorChoice> chosenMonitor;
    std::optional<board::Hotkeys> chosenHotkeys;
    std::optional<scheme::RemoteSettings> remoteChoice;
    // Runs, once, inside the next box, dialog, menu or chooser.
    std::function<void()> duringModal;

    // What was shown.
    std::vector<std::string> shown;  // message boxes
    std::vector<scheme::FileKind> chosenKinds;
    std::vector<std::string> initialNames, questions;
    std::string shownOutput;
    scheme::MonitorChoice shownMonitor;
    std::vector<bool> loopChecks;
    std::vector<std::pair<bool, bool>> prelistenShown;  // checked, enabled
    std::string shownName;
    int shownMode = -99;
    std::array<std::string, board::kHotkeyCount> hotkeyOwners;
    scheme::Favourites captions;
    bool ended = false;

private:
    void Modal() {
        if (auto during = std::exchange(duringModal, nullptr)) during();
    }
    template <typename T, typename D>
    static T Next(std::deque<T>& queue, D none) {
        if (queue.empty()) return none;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};

// A device the board owns that makes its buffers on a test's FakeDevice.
class BorrowedDevice : public audio::ISoundDevice {
public:
    explicit BorrowedDevice(FakeDevice& device, bool onDefaultInstead = false)
        : device_(device), onDefaultInstead_(onDefaultInstead) {}
    std::unique_ptr<audio::ISoundBuffer> CreateBuffer(const std::string& path, std::uint32_t flags) override {
        return device_.CreateBuffer(path, flags);
    }
    std::unique_ptr<audio::ISoundBuffer> CopyBuffer(audio::ISoundBuffer& source) override {
        return device_.CopyBuffer(source);
    }
    void BeginLoad(std::uint64_t ticket, const std::string& path, std::uint32_t flags) override {
        device_.BeginLoad(ticket, path, flags);
    }
    void CancelLoad(std::uint64_t ticket) override { device_.CancelLoad(ticket); }
    std::vector<audio::LoadedSound> TakeLoaded() override { return device_.TakeLoaded(); }
    void EndReadAhead() override { device_.EndReadAhead(); }
    bool Lost() override { return device_.Lost(); }
    bool OnDefaultInstead() const override { return onDefaultInstead_; }

private:
    FakeDevice& device_;
    const bool onDefaultInstead_;
};

class FakeSystem : public scheme::ISystemServices {
public:
    explicit FakeSystem(FakeDevice& device) : device_(device) {}
    std::unique_ptr<audio::ISoundDevice> OpenSoundDevice(const std::string& output, bool exactly,
                                                         audio::SoundError& error) override {
        openedOutputs.push_back(output);
        error = audio::SoundError::None;
        if (exactly && (!outputWorks || absent.count(output))) return nullptr;
        const bool instead = !output.empty() && absent.count(output) && !absent.count("");
        const auto own = devicesFor.find(instead ? std::string() : output);
        return std::make_unique<BorrowedDevice>(own != devicesFor.end() ? *own->second : device_, instead);
    }
    std::vector<int> RegisterHotkeys(const board::Hotkeys& hotkeys) override {
        registered.push_back(hotkeys);
        std::vector<int> refused;
        for (int i = 0; i < board::kHotkeyCount; ++i)
            if (hotkeys[static_cast<std::size_t>(i)] == heldElsewhere) refused.push_back(i);
        return refused;
    }
    std::string UseRemoteControl(const scheme::RemoteSettings& used) override {
        usedRemote.push_back(used);
        return remoteFailure;
    }
    bool IsSecondBoard() override { return second; }
    bool IsShiftDown() override { return shift; }
    void StartProgramCopy(const std::string& arguments) override { copies.push_back(arguments); }

    bool outputWorks = true;  // a chosen output can be opened
    std::set<std::string> absent;                   // outputs that are not there now
    std::map<std::string, FakeDevice*> devicesFor;  // outputs with a device of their own (else the test's)
    bool second = false;
    bool shift = false;
    std::uint16_t heldElsewhere = 0xFFFF;
    std::string remoteFailure;
    std::vector<std::string> openedOutputs, copies;
    std::vector<board::Hotkeys> registered;
    std::vector<scheme::RemoteSettings> usedRemote;

private:
    FakeDevice& device_;
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

// The whole program without its window: the front door on the fakes.
struct Program {
    FakeView view;
    FakeDialogs dialogs;
    FakeDevice device;
    FakeSystem system{device};
    FakeSettings settings;
    app::BoardController controller{view, dialogs, system, settings};
    board::Board& board = controller.board();
};

}  // namespace fake
