#pragma once
// Filling and editing slots from the window: the slot menu (Browse...,
// Loop, Clear, Reload, Rename) and files dropped onto the board.
// Window-free: the user is asked through IUserDialogs.
#include <string>
#include <utility>
#include <vector>

#include "board/Board.h"
#include "scheme/UserDialogs.h"

namespace scheme {

class SlotEditing {
public:
    SlotEditing(board::Board& board, IUserDialogs& dialogs);

    // The slot menu, and each of its commands.
    void SlotMenu(int slot);
    void RunSlotCommand(int slot, SlotCommand command);

    // Files dropped onto the board, over `slot` (-1 when over no slot): a
    // scheme among them opens; sound files (audio/SoundKind.h) fill that
    // slot and then the empty slots after it, and the board says how many
    // did not fit.
    void DropFiles(int slot, const std::vector<std::string>& paths);

private:
    void Browse(int slot);
    void Rename(int slot);

    board::Board& m_board;
    IUserDialogs& m_dialogs;
};

// What a drop of files over a slot (-1: over no slot) does, given which
// slots are empty: the scheme to open, or the sounds to load and where.
struct DropPlan {
    std::string scheme;
    std::vector<std::pair<int, std::string>> loads;  // slot, sound path
    int leftOut = 0;                                // sound files with no empty slot left
};
DropPlan PlanDrop(int slot, const std::vector<std::string>& paths, const std::vector<bool>& emptySlots);
// The message for sounds that did not fit.
std::string LeftOutMessage(int count);

}  // namespace scheme
