#include "scheme/Scheme.h"

#include <cerrno>

#include "board/Arith.h"
#include "framework/AnsiText.h"
#include "framework/FileReplace.h"
#include "framework/FileStatus.h"
#include "framework/TextFile.h"
#include "scheme/SchemeFormat.h"

namespace scheme {

using board::Board;

std::string FormatSlotLine(Board& board, int i) {
    const board::SoundSlot& s = board.slot(i);
    if (s.state == board::SlotState::Empty) return kEmptySlotLine;
    if (s.kept() && !s.keptLine.empty()) return s.keptLine;
    if (s.loading() && s.loadPlace && !s.loadPlace->line.empty()) return s.loadPlace->line;
    SlotLine line;
    line.path = s.path;
    line.name = s.name;
    line.position = s.loaded() ? board.PlayPosition(i) : s.loadPlace ? s.loadPlace->position : 0;
    line.volume = s.volume;
    line.countDown = s.countDown;
    line.loop = s.loop;
    return FormatSlotFields(line);
}

void ParseSlotLine(Board& board, const std::string& text, int i) {
    const auto f = SplitSlotFields(text);
    if (f[0].empty()) return;
    // A place past what a buffer can count is past the end of any sound: the buffer refuses it.
    const std::uint64_t position = FieldToPosition(f[2]);
    board::SchemePlace place;
    // A sound that does not load, for whatever reason, must not cost the scheme its line.
    place.line = text;
    place.position = position > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(position);
    place.volume = FieldToInt(f[3]);
    place.countDown = IsSwitchOn(f[4]);
    place.loop = IsSwitchOn(f[5]);
    board.LoadSlot(i, f[0], f[1], &place);
}

void ReloadSlot(Board& board, int i) {
    const board::SoundSlot& s = board.slot(i);
    std::uint64_t size = 0;
    if (s.kept() && !s.keptLine.empty() && fw::QueryFileSize(s.path, size))
        ParseSlotLine(board, std::string(s.keptLine), i);  // a copy: the slot's own goes on the way
    else
        board.ReloadSlot(i);
}

namespace {
bool WriteScheme(Board& board, fw::TextFileWriter& file) {
    bool ok = true;
    for (int i = 0; ok && i < board::kSlotCount; ++i) ok = file.WriteLine(FormatSlotLine(board, i));
    if (ok) ok = file.WriteLine(FormatColoursLine({board.ledOnColour(), board.ledOffColour()}));
    if (ok) ok = file.WriteLine(FormatLayoutLine(board.compact()));
    return file.Close() && ok;
}

// 0 or an errno value. The new scheme takes the old one's place only when
// complete, so a full disk or a failing drive never costs the old scheme.
int WriteSchemeFile(Board& board, const std::string& path) {
    fw::FileReplacement target;
    if (const int error = target.Begin(path)) return error;
    fw::TextFileWriter file;
    if (!file.Create(target.writePath()) || !WriteScheme(board, file)) return file.error() ? file.error() : EIO;
    return target.Commit();
}
}  // namespace

bool SaveScheme(Board& board, const std::string& path) {
    if (const int error = WriteSchemeFile(board, path)) {
        board.Tell("Error saving " + path + ":\n\n" + fw::ErrorText(error));
        return false;
    }
    board.SetSchemeTitle(path);
    board.SetSchemePath(path);
    return true;
}

bool LoadScheme(Board& board, const std::string& path) {
    // The slots are filled in order; their sounds are read (and decoded) on
    // every core, off the board's thread.
    board.NewScheme();
    fw::TextFileReader file;
    int lineNumber = 0;
    auto fail = [&] {
        const std::string why = file.lineCut() ? "Line " + std::to_string(lineNumber) + " is longer than " +
                                                     std::to_string(fw::kMaxLineBytes) +
                                                     " characters: this is not a scheme file."
                                               : fw::ErrorText(file.error());
        board.Tell("Error opening " + path + ":\n\n" + why);
        return false;
    };
    if (!file.Open(path)) return fail();
    // A missing line reads as empty, which leaves what it describes unchanged.
    // No line a scheme is written with comes near the reader's limit: a longer
    // one means the file is something else, and nothing after it is read.
    std::string line;
    auto next = [&] {
        ++lineNumber;
        if (!file.ReadLine(line)) line.clear();
        return file.error() == 0 && !file.lineCut();
    };
    for (int i = 0; i < board::kSlotCount; ++i) {
        if (!next()) return fail();
        ParseSlotLine(board, line, i);
    }
    if (!next()) return fail();
    if (!line.empty()) {
        const LedColours c = ParseColoursLine(line);
        board.SetLedColours(c.on, c.off);
    }
    if (!next()) return fail();
    if (!line.empty()) board.SetLayout(IsCompactLine(line));
    board.SetSchemeTitle(path);
    board.SetSchemePath(path);
    return true;
}

std::vector<std::string> ReadSchemeSoundPaths(const std::string& path) {
    std::vector<std::string> paths;
    fw::TextFileReader file;
    std::string line;
    if (!file.Open(path)) return paths;
    while (paths.size() < static_cast<std::size_t>(board::kSlotCount) && file.ReadLine(line) && !file.lineCut())
        paths.push_back(SplitSlotFields(line)[0]);
    return paths;
}

}  // namespace scheme
