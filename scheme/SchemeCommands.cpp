#include "scheme/SchemeCommands.h"

#include <cstdlib>

#include "audio/SoundKind.h"
#include "framework/AnsiText.h"
#include "framework/FileStatus.h"
#include "scheme/Scheme.h"

namespace scheme {

namespace {
const char kSchemeExtension[] = ".scheme";
const char kLastFile[] = "LastFile";
const char kOnPlay[] = "onplay";
const char kSoundOutput[] = "SoundOutput";

bool EndsWith(const std::string& path, const std::string& extension) {
    const std::size_t n = extension.size();
    return path.size() >= n && fw::EqualsIgnoreCaseAnsi(path.substr(path.size() - n), extension);
}

bool EndsWithSchemeExtension(const std::string& path) { return EndsWith(path, kSchemeExtension); }

// A path in quotes (as Explorer and the Schemes menu pass it) is unquoted.
std::string Unquoted(std::string text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    return text;
}
}  // namespace

std::string FavouriteValueName(int index) { return "MRU" + std::to_string(index); }

std::string FavouriteCaption(const std::string& path) {
    std::string caption = path;
    const auto slash = fw::FindLastAnsi(caption, '\\');
    if (slash != std::string::npos) caption = caption.substr(slash + 1);
    const auto dot = fw::FindLastAnsi(caption, '.');
    caption = dot == std::string::npos ? std::string() : caption.substr(0, dot);
    return caption.empty() ? " < none > " : caption;
}

std::string GetProgramPath(const std::string& commandLine) {
    if (commandLine.empty()) return std::string();
    if (commandLine.front() == '"') {
        const auto close = fw::FindAnsi(commandLine, '"', 1);
        return commandLine.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    return commandLine.substr(0, fw::FindAnsi(commandLine, ' '));
}

DropPlan PlanDrop(int slot, const std::vector<std::string>& paths, const std::vector<bool>& emptySlots) {
    DropPlan plan;
    for (const std::string& path : paths) {
        // Opening a scheme replaces the whole board: nothing else in the drop counts.
        if (EndsWithSchemeExtension(path)) return {path, {}, 0};
    }
    if (slot < 0) return plan;
    int next = slot;  // the first sound goes into the slot under the pointer, full or not
    for (const std::string& path : paths) {
        if (!audio::IsSoundFileName(path)) continue;
        while (next < static_cast<int>(emptySlots.size()) && next != slot &&
               !emptySlots[static_cast<std::size_t>(next)])
            ++next;
        if (next >= static_cast<int>(emptySlots.size())) {
            ++plan.leftOut;
            continue;
        }
        plan.loads.emplace_back(next, path);
        ++next;
    }
    return plan;
}

std::string LeftOutMessage(int count) {
    return count == 1 ? "1 sound was left out: there was no empty slot left for it."
                      : std::to_string(count) + " sounds were left out: there were no empty slots left for them.";
}

SchemeCommands::SchemeCommands(board::Board& board, ICommandHost& host, ISettingsStore& settings)
    : m_board(board), m_host(host), m_settings(settings) {}

void SchemeCommands::LoadFavourites() {
    std::vector<std::string> names;
    for (int i = 0; i < kFavouriteCount; ++i) names.push_back(FavouriteValueName(i));
    if (const auto values = m_settings.Read(names)) {
        for (int i = 0; i < kFavouriteCount; ++i) {
            const auto found = values->find(names[static_cast<std::size_t>(i)]);
            m_favourites[static_cast<std::size_t>(i)] = found == values->end() ? std::string() : found->second;
        }
    }
    UpdateSchemesMenu();
}

namespace {
// One stored value; empty when it is not there.
std::string ReadValue(ISettingsStore& settings, const char* name) {
    const auto values = settings.Read({name});
    if (!values) return {};
    const auto found = values->find(name);
    return found != values->end() ? found->second : std::string();
}
}  // namespace

std::string FirstSchemePath(ISettingsStore& settings, const std::string& commandLine) {
    return commandLine.empty() ? ReadValue(settings, kLastFile) : Unquoted(commandLine);
}

std::string StoredSoundOutput(ISettingsStore& settings) { return ReadValue(settings, kSoundOutput); }

void SchemeCommands::OpenFirstScheme(const std::string& commandLine) {
    if (const std::string first = FirstSchemePath(m_settings, commandLine); !first.empty()) LoadScheme(m_board, first);
    // A scheme named on the command line wins; the stored settings are not read.
    if (!commandLine.empty()) return;
    const auto values = m_settings.Read({kOnPlay});
    if (!values) return;
    const auto mode = values->find(kOnPlay);
    // Leading digits count; text without them gives 0.
    if (mode != values->end()) m_board.SetOnPlayMode(static_cast<int>(std::strtol(mode->second.c_str(), nullptr, 10)));
}

void SchemeCommands::NewScheme() { m_board.NewScheme(); }

void SchemeCommands::Open() {
    if (const auto path = m_host.ChooseFile(FileKind::Scheme, "")) LoadScheme(m_board, *path);
}

void SchemeCommands::Save() {
    if (m_board.schemePath().empty())
        SaveSchemeAs();
    else
        SaveScheme(m_board, m_board.schemePath());
}

void SchemeCommands::SaveSchemeAs() {
    const auto chosen = m_host.ChooseFile(FileKind::Scheme, "");
    if (!chosen) return;
    std::string path = *chosen;
    if (!EndsWithSchemeExtension(path)) path += kSchemeExtension;
    std::uint64_t size = 0;
    if (fw::QueryFileSize(path, size) && !m_host.AskYesNo("Do you want to overwrite the existing file?")) return;
    SaveScheme(m_board, path);
}

void SchemeCommands::CloseBoard() {
    std::vector<std::pair<std::string, std::string>> values;
    // After a new scheme the last file of an earlier run is kept.
    if (!m_board.schemePath().empty()) values.emplace_back(kLastFile, m_board.schemePath());
    values.emplace_back(kOnPlay, std::to_string(m_board.onPlayMode()));
    m_settings.Write(values);
    m_board.NewScheme();  // stops and releases every sound before the window goes
    m_host.EndBoard();
}

void SchemeCommands::SlotMenu(int slot) {
    RunSlotCommand(slot, m_host.TrackSlotMenu(slot, m_board.slot(slot).loop));
}

void SchemeCommands::RunSlotCommand(int slot, SlotCommand command) {
    switch (command) {
    case SlotCommand::Browse: Browse(slot); break;
    case SlotCommand::Loop: m_board.SetLoop(slot, !m_board.slot(slot).loop); break;
    case SlotCommand::Clear: m_board.ClearSlot(slot); break;
    case SlotCommand::Reload: ReloadSlot(m_board, slot); break;
    case SlotCommand::Rename: Rename(slot); break;
    case SlotCommand::None: break;  // dismissed
    }
}

void SchemeCommands::Browse(int slot) {
    // An empty name makes the slot name the sound after its file.
    if (const auto path = m_host.ChooseFile(FileKind::Sound, "")) m_board.LoadSlot(slot, *path, "");
}

void SchemeCommands::Rename(int slot) {
    if (!m_board.slot(slot).loaded) return;
    std::string name = m_board.slot(slot).name;
    if (m_host.EditName(name)) m_board.RenameSlot(slot, name);
}

void SchemeCommands::DropFiles(int slot, const std::vector<std::string>& paths) {
    std::vector<bool> empty;
    for (int i = 0; i < board::kSlotCount; ++i)
        empty.push_back(!m_board.slot(i).loaded && !m_board.slot(i).kept);
    const DropPlan plan = PlanDrop(slot, paths, empty);
    if (!plan.scheme.empty()) {
        LoadScheme(m_board, plan.scheme);
        return;
    }
    // As Browse... does: the sound named after its file.
    for (const auto& load : plan.loads) m_board.LoadSlot(load.first, load.second, "");
    if (plan.leftOut > 0) m_board.view().ShowMessage(LeftOutMessage(plan.leftOut));
}

const std::string& SchemeCommands::ReadSoundOutput() {
    m_soundOutput = StoredSoundOutput(m_settings);
    return m_soundOutput;
}

void SchemeCommands::Options() {
    Favourites favourites = m_favourites;
    int mode = m_board.onPlayMode();
    std::string output = m_soundOutput;
    if (!m_host.EditOptions(favourites, mode, output)) return;
    m_favourites = favourites;
    m_board.SetOnPlayMode(mode);
    UpdateSchemesMenu();
    SaveFavourites();
    // Stored once the sounds play there; absent or empty is the default device.
    if (output == m_soundOutput || !m_host.UseSoundOutput(output)) return;
    m_soundOutput = output;
    m_settings.Write({{kSoundOutput, output}});
}

void SchemeCommands::OpenFavourite(int index) {
    const std::string path = m_favourites.at(static_cast<std::size_t>(index));
    if (path.empty()) return;
    if (m_host.IsShiftDown()) {
        // Quoted, so that a path with blanks stays one argument.
        m_host.StartProgramCopy("\"" + path + "\"");
        return;
    }
    OpenFavouriteHere(index);
}

void SchemeCommands::OpenFavouriteHere(int index) {
    const std::string path = m_favourites.at(static_cast<std::size_t>(index));
    if (!path.empty() && !LoadScheme(m_board, path)) RemoveFavourite(index);
}

void SchemeCommands::Perform(const board::Action& action) {
    if (action.kind != board::Action::OpenFavourite)
        m_board.Perform(action);
    else if (action.index >= 0 && action.index < kFavouriteCount)
        OpenFavouriteHere(action.index);
}

void SchemeCommands::RemoveFavourite(int index) {
    for (int i = index; i + 1 < kFavouriteCount; ++i)
        m_favourites[static_cast<std::size_t>(i)] = m_favourites[static_cast<std::size_t>(i + 1)];
    m_favourites.back().clear();
    UpdateSchemesMenu();
    SaveFavourites();
}

void SchemeCommands::UpdateSchemesMenu() {
    Favourites captions;
    for (int i = 0; i < kFavouriteCount; ++i)
        captions[static_cast<std::size_t>(i)] = FavouriteCaption(m_favourites[static_cast<std::size_t>(i)]);
    m_host.ShowFavouriteCaptions(captions);
}

void SchemeCommands::SaveFavourites() {
    std::vector<std::pair<std::string, std::string>> values;
    for (int i = 0; i < kFavouriteCount; ++i)
        values.emplace_back(FavouriteValueName(i), m_favourites[static_cast<std::size_t>(i)]);
    m_settings.Write(values);
}

}  // namespace scheme
