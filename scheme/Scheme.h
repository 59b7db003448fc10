#pragma once
// Saving the whole board to a scheme file and reading it back.
#include <string>
#include <vector>

#include "board/Board.h"

namespace scheme {

// The slot's line without its line end: "||||" for an empty slot.
std::string FormatSlotLine(board::Board& board, int slot);
// Applies one slot line: loads the sound, then its position, switches and volume.
void ParseSlotLine(board::Board& board, const std::string& line, int slot);

// The slot menu's Reload: a sound kept from a scheme's line whose file is
// there again comes back as the line describes it (position, volume,
// switches); any other sound is read again at full volume.
void ReloadSlot(board::Board& board, int slot);

// Writes the board to path; false after a message when that failed, leaving
// any file that was there as it was.
bool SaveScheme(board::Board& board, const std::string& path);
// Empties the board, then reads path into it. False (after a message) when the
// file could not be opened or read; slots read before a read error stay loaded.
bool LoadScheme(board::Board& board, const std::string& path);
// The sound path of each slot line of the scheme at path, in slot order
// (empty for an empty slot): what LoadScheme would load. Nothing is said
// when the file cannot be read; the list then ends where reading stopped.
std::vector<std::string> ReadSchemeSoundPaths(const std::string& path);

}  // namespace scheme
