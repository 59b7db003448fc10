#include "app/BoardController.h"

#include "ui/Themes.h"

namespace app {

namespace {
// How often the output watch looks: a lost output is noticed, and one
// that came back is used again, within two seconds.
constexpr std::uint64_t kOutputLookMs = 300;
const char kOutputGone[] =
    "The sound output has gone. The sounds play on through another output, and go back by themselves once it is "
    "there again.";
const char kOutputGoneNoOther[] =
    "The sound output has gone, and there is no other. The sounds wait, and play on by themselves once an output is "
    "there again.";
const char kOutputBack[] = "The sound output is back: the sounds play there again.";
const char kMonitorGone[] = "The monitor output has gone. It comes back by itself once it is there again.";
const char kMonitorBack[] = "The monitor output is back.";

// Counts an input in progress for as long as it runs, exceptions too.
class Nesting {
public:
    explicit Nesting(int& depth) : depth_(depth) { ++depth_; }
    ~Nesting() { --depth_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

private:
    int& depth_;
};
}  // namespace

BoardController::BoardController(board::IBoardView& view, scheme::IUserDialogs& dialogs,
                                 scheme::ISystemServices& system, scheme::ISettingsStore& settings,
                                 remote::RemoteControl::ToBoardText toBoardText,
                                 remote::RemoteControl::ToNetworkText toNetworkText)
    : m_dialogs(dialogs),
      m_system(system),
      m_board(view, m_messages, nullptr),
      m_preferences(m_board, dialogs, settings),
      m_files(m_board, dialogs, system, settings, m_preferences),
      m_slotEditing(m_board, dialogs),
      m_hotkeys(m_board, dialogs, system, settings, m_preferences),
      m_remote(toBoardText, toNetworkText),
      m_remoteSettings(m_board, dialogs, system, settings, m_remote) {}

template <typename F>
void BoardController::Handle(F&& input) {
    {
        Nesting nesting(m_depth);
        input();
    }
    if (!Reentered()) Settle();
}

void BoardController::Settle() {
    // Anything that arrives while this shows a message or opens a scheme is re-entered.
    Nesting nesting(m_depth);
    for (;;) {
        if (m_closeWaiting) {
            m_closeWaiting = false;
            m_files.CloseBoard();
        } else if (m_waitingFavourite) {
            const int favourite = *m_waitingFavourite;
            m_waitingFavourite.reset();
            m_files.OpenFavouriteHere(favourite);
        } else if (!m_messages.empty()) {
            m_dialogs.ShowMessage(m_messages.TakeAll());
        } else {
            return;
        }
    }
}

void BoardController::Start(const std::string& commandLine) {
    Handle([&] {
        m_board.SetLedColours(board::kLedOnGreen, board::kLedOffGreen);
        m_preferences.LoadFavourites();
        m_board.SetSchemePath("");
        m_board.SetLayout(false);
        audio::SoundError error = audio::SoundError::None;
        m_deviceOutput = m_preferences.ReadSoundOutput();
        m_device = m_system.OpenSoundDevice(m_deviceOutput, false, error);
        // The chosen output missing: the default plays, and the output watch
        // moves the sounds there once it appears.
        if (m_device && m_device->OnDefaultInstead()) m_deviceOutput.clear();
        m_outputWaiting = m_outputGoneTold = false;
        m_board.Report(error);
        m_board.SetSoundDevice(m_device.get());
        m_preferences.ReadMonitor();
        UseMonitor();  // one that is not there means none, without a word
        m_files.NewScheme();
        m_files.OpenFirstScheme(commandLine);
        m_board.EndReadAhead();
        m_remoteSettings.ApplyStored();
        // Last, so that a message about refused hotkeys names the slots' sounds.
        m_hotkeys.Load();
    });
}

void BoardController::Do(const board::Action& action) {
    if (action.kind != board::Action::OpenFavourite) return m_board.Perform(action);
    // This input came from a nested loop: a box, a dialog or a scheme being read waits for its answer.
    if (m_depth > 1) {
        m_waitingFavourite = action.index;
        return;
    }
    m_files.OpenFavouriteHere(action.index);
}

void BoardController::Perform(const board::Action& action) {
    Handle([&] { Do(action); });
}

void BoardController::Menu(MenuCommand command, int index) {
    // The window is disabled while a box or dialog of its own is up: a menu
    // command can only come from the board's own loop. Stop all is the one
    // that may come from anywhere.
    if (Reentered() && command != MenuCommand::StopAll) return;
    Handle([&] {
        switch (command) {
        case MenuCommand::New: m_files.NewScheme(); break;
        case MenuCommand::Open: m_files.Open(); break;
        case MenuCommand::Save: m_files.Save(); break;
        case MenuCommand::SaveAs: m_files.SaveSchemeAs(); break;
        case MenuCommand::Exit: m_files.CloseBoard(); break;
        case MenuCommand::Normal: m_board.SetLayout(false); break;
        case MenuCommand::Compact: m_board.SetLayout(true); break;
        case MenuCommand::Theme:
            if (index >= 0 && index < ui::kThemeCount)
                m_board.SetLedColours(ui::kThemes[index].on, ui::kThemes[index].off);
            break;
        case MenuCommand::Favourite: m_files.OpenFavourite(index); break;
        case MenuCommand::Options: {
            bool monitorChanged = false;
            if (const auto output = m_preferences.Options(monitorChanged)) UseSoundOutput(*output);
            if (monitorChanged) UseMonitor();
            break;
        }
        case MenuCommand::Hotkeys: m_hotkeys.Edit(); break;
        case MenuCommand::RemoteControl: m_remoteSettings.Edit(); break;
        case MenuCommand::StopAll: m_board.StopAll(); break;
        case MenuCommand::About: m_dialogs.ShowAbout(); break;
        }
    });
}

void BoardController::UseSoundOutput(const std::string& output) {
    audio::SoundError error = audio::SoundError::None;
    auto device = m_system.OpenSoundDevice(output, true, error);
    if (!device) return m_board.Report(audio::SoundError::OutputUnavailable);
    m_board.Report(error);
    if (!m_board.MoveToDevice(device.get())) return;  // said; the new device goes unused
    // The old device goes only after every buffer made on it has been released.
    m_device = std::move(device);
    m_deviceOutput = output;
    m_outputWaiting = m_outputGoneTold = false;
    m_preferences.KeepSoundOutput(output);
}

void BoardController::UseMonitor() {
    const scheme::MonitorChoice& choice = m_preferences.monitor();
    // Every buffer made on the old monitor goes before it does.
    m_board.SetMonitorDevice(nullptr);
    m_monitor = choice.output.empty() ? nullptr : OpenOutput(choice.output);
    m_board.SetMonitorDevice(m_monitor.get(), choice.hearsAll);
    m_monitorGoneTold = false;
}

std::unique_ptr<audio::ISoundDevice> BoardController::OpenOutput(const std::string& output) {
    audio::SoundError error = audio::SoundError::None;
    return m_system.OpenSoundDevice(output, true, error);
}

// The output watch. The device in use is asked whether it still plays; once
// it has gone, the sounds move at once to the chosen output or else the
// system's default (never to the output that went: a system may hand back
// the same dead device while anything holds it), or wait when there is
// none. While they are not on the chosen output it is tried at every look,
// and they move back as soon as it opens. The user is told once when it goes
// and once when it is back; the stored choice never changes here.
void BoardController::WatchOutput(std::uint64_t nowMs) {
    if (nowMs < m_nextOutputLook) return;
    m_nextOutputLook = nowMs + kOutputLookMs;
    WatchMainOutput();
    WatchMonitor();
}

void BoardController::WatchMainOutput() {
    if (!m_device && !m_outputWaiting) return;  // no sound device since the start: nothing to watch
    const std::string chosen = m_preferences.soundOutput();
    if (m_device && m_device->Lost()) {
        std::unique_ptr<audio::ISoundDevice> other;
        std::string otherOutput;
        for (const std::string& output : {chosen, std::string()}) {
            if (output == m_deviceOutput || !(other = OpenOutput(output))) continue;
            otherOutput = output;
            break;
        }
        m_board.RescueSounds(other.get());
        m_device = std::move(other);  // the lost one goes after its buffers
        m_deviceOutput = otherOutput;
        m_outputWaiting = !m_device;
        if (!std::exchange(m_outputGoneTold, true)) m_board.Tell(m_device ? kOutputGone : kOutputGoneNoOther);
        return;
    }
    if (m_device && m_deviceOutput == chosen) return;
    std::string output = chosen;
    auto device = OpenOutput(output);
    if (!device && m_outputWaiting) device = OpenOutput(output = "");  // any output rather than none
    if (!device || !m_board.MoveToDevice(device.get(), true)) return;
    m_device = std::move(device);
    m_deviceOutput = output;
    m_outputWaiting = false;
    if (output == chosen && std::exchange(m_outputGoneTold, false)) m_board.Tell(kOutputBack);
}

// The monitor comes back as the main output does, without a fallback: a
// sound it heard is heard there again from where the main output is.
void BoardController::WatchMonitor() {
    const scheme::MonitorChoice& choice = m_preferences.monitor();
    if (choice.output.empty()) return;
    if (m_monitor && m_monitor->Lost()) {
        m_board.SetMonitorDevice(nullptr);
        m_monitor.reset();  // released whole: reopened, the same output is a device anew
        if (!std::exchange(m_monitorGoneTold, true)) m_board.Tell(kMonitorGone);
        return;
    }
    // One that was not there at the start is taken too when it appears, without a word.
    if (m_monitor || !(m_monitor = OpenOutput(choice.output))) return;
    m_board.SetMonitorDevice(m_monitor.get(), choice.hearsAll);
    if (std::exchange(m_monitorGoneTold, false)) m_board.Tell(kMonitorBack);
}

void BoardController::PlayClicked(int slot, bool menuZone) {
    // The menu zone opens the slot menu; a press there never plays.
    if (menuZone && Reentered()) return;
    Handle([&] {
        if (menuZone)
            m_slotEditing.SlotMenu(slot);
        else
            m_board.OnPlayButton(slot);
    });
}

void BoardController::StopClicked(int slot) {
    Handle([&] { m_board.OnStopButton(slot); });
}

void BoardController::TimeClicked(int slot) {
    Handle([&] { m_board.OnTimeDisplayClicked(slot); });
}

void BoardController::PositionReleased(int slot, int value) {
    Handle([&] { m_board.OnPositionReleased(slot, value); });
}

void BoardController::VolumeMoved(int slot, int value, bool dragged) {
    Handle([&] { m_board.OnVolumeSliderMoved(slot, value, dragged); });
}

void BoardController::ControlKey(bool down) {
    Handle([&] { m_board.OnControlKey(down); });
}

void BoardController::Drop(int slot, const std::vector<std::string>& paths) {
    if (Reentered()) return;  // the window takes no drop while a box of its own is up
    Handle([&] { m_slotEditing.DropFiles(slot, paths); });
}

void BoardController::Hotkey(int index) {
    if (index < 0 || index >= board::kHotkeyCount) return;
    bool& held = m_hotkeyHeld[static_cast<std::size_t>(index)];
    if (held) return;
    held = true;
    Perform(board::HotkeyAction(index));
}

void BoardController::HotkeyReleased(int index) {
    if (index >= 0 && index < board::kHotkeyCount) m_hotkeyHeld[static_cast<std::size_t>(index)] = false;
}

bool BoardController::HotkeyHeld(int index) const {
    return index >= 0 && index < board::kHotkeyCount && m_hotkeyHeld[static_cast<std::size_t>(index)];
}

void BoardController::Datagram(const void* bytes, std::size_t size, const remote::Endpoint& from,
                               std::uint64_t nowMs) {
    Handle([&] {
        std::vector<board::Action> actions = m_remote.Receive(bytes, size, from, nowMs);
        // A scheme opened and at once replaced is no use to anyone: of a
        // datagram's favourites only the last opens, in its place.
        std::size_t lastFavourite = actions.size();
        for (std::size_t i = 0; i < actions.size(); ++i)
            if (actions[i].kind == board::Action::OpenFavourite) lastFavourite = i;
        for (std::size_t i = 0; i < actions.size(); ++i)
            if (actions[i].kind != board::Action::OpenFavourite || i == lastFavourite) Do(actions[i]);
    });
}

void BoardController::LoadsFinished() {
    Handle([&] { m_board.TakeLoadedSounds(); });
}

std::vector<remote::Datagram> BoardController::Timer(unsigned id, std::uint64_t nowMs) {
    std::vector<remote::Datagram> feedback;
    Handle([&] {
        m_board.OnTimer(id);
        if (id != board::kFadeTimerId) return;
        WatchOutput(nowMs);
        // The feedback rides on the fade tick: no timer of its own wakes the thread.
        feedback = m_remote.Tick(m_board, nowMs);
    });
    return feedback;
}

void BoardController::Close() {
    if (Reentered()) {
        m_closeWaiting = true;  // once the box or dialog that is up has its answer
        return;
    }
    Handle([&] { m_files.CloseBoard(); });
}

}  // namespace app
