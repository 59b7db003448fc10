#include "scheme/SchemeFiles.h"

#include "framework/AnsiText.h"
#include "framework/FileStatus.h"
#include "scheme/Scheme.h"

namespace scheme {

namespace {
const char kSchemeExtension[] = ".scheme";

// A path in quotes (as Explorer and the Schemes menu pass it) is unquoted.
std::string Unquoted(std::string text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    return text;
}
}  // namespace

bool IsSchemeFileName(const std::string& path) {
    const std::size_t n = sizeof kSchemeExtension - 1;
    return path.size() >= n && fw::EqualsIgnoreCaseAnsi(path.substr(path.size() - n), kSchemeExtension);
}

std::string GetProgramPath(const std::string& commandLine) {
    if (commandLine.empty()) return std::string();
    if (commandLine.front() == '"') {
        const auto close = fw::FindAnsi(commandLine, '"', 1);
        return commandLine.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    return commandLine.substr(0, fw::FindAnsi(commandLine, ' '));
}

std::string FirstSchemePath(ISettingsStore& settings, const std::string& commandLine) {
    return commandLine.empty() ? StoredLastScheme(settings) : Unquoted(commandLine);
}

SchemeFiles::SchemeFiles(board::Board& board, IUserDialogs& dialogs, ISystemServices& system, ISettingsStore& settings,
                         Preferences& preferences)
    : m_board(board), m_dialogs(dialogs), m_system(system), m_settings(settings), m_preferences(preferences) {}

void SchemeFiles::OpenFirstScheme(const std::string& commandLine) {
    if (const std::string first = FirstSchemePath(m_settings, commandLine); !first.empty()) LoadScheme(m_board, first);
    // A scheme named on the command line wins; the stored settings are not read.
    if (commandLine.empty()) m_preferences.ReadOnPlayMode();
}

void SchemeFiles::NewScheme() { m_board.NewScheme(); }

void SchemeFiles::Open() {
    if (const auto path = m_dialogs.ChooseFile(FileKind::Scheme, "")) LoadScheme(m_board, *path);
}

void SchemeFiles::Save() {
    if (m_board.schemePath().empty())
        SaveSchemeAs();
    else
        SaveScheme(m_board, m_board.schemePath());
}

void SchemeFiles::SaveSchemeAs() {
    const auto chosen = m_dialogs.ChooseFile(FileKind::Scheme, "");
    if (!chosen) return;
    std::string path = *chosen;
    if (!IsSchemeFileName(path)) path += kSchemeExtension;
    std::uint64_t size = 0;
    if (fw::QueryFileSize(path, size) && !m_dialogs.AskYesNo("Do you want to overwrite the existing file?")) return;
    SaveScheme(m_board, path);
}

void SchemeFiles::CloseBoard() {
    m_preferences.StoreAtClose(m_board.schemePath());
    m_board.NewScheme();  // stops and releases every sound before the window goes
    m_dialogs.EndBoard();
}

void SchemeFiles::OpenFavourite(int index) {
    const std::string path = m_preferences.favourites().at(static_cast<std::size_t>(index));
    if (path.empty()) return;
    if (m_system.IsShiftDown()) {
        // Quoted, so that a path with blanks stays one argument.
        m_system.StartProgramCopy("\"" + path + "\"");
        return;
    }
    OpenFavouriteHere(index);
}

void SchemeFiles::OpenFavouriteHere(int index) {
    if (index < 0 || index >= board::kFavouriteCount) return;
    const std::string path = m_preferences.favourites()[static_cast<std::size_t>(index)];
    if (!path.empty() && !LoadScheme(m_board, path)) m_preferences.RemoveFavourite(index);
}

}  // namespace scheme
