#pragma once
// The one place that carries out what is asked from outside the board's
// own controls: slot keys, the remote window messages, the trigger tool,
// system-wide hotkeys and OSC.
#include "board/Action.h"
#include "board/Board.h"
#include "scheme/SchemeFiles.h"

namespace scheme {

class BoardActions {
public:
    BoardActions(board::Board& board, SchemeFiles& files) : m_board(board), m_files(files) {}

    // A favourite opens in this board, whatever the keys; everything else
    // happens on the board.
    void Perform(const board::Action& action) {
        if (action.kind == board::Action::OpenFavourite)
            m_files.OpenFavouriteHere(action.index);
        else
            m_board.Perform(action);
    }

private:
    board::Board& m_board;
    SchemeFiles& m_files;
};

}  // namespace scheme
