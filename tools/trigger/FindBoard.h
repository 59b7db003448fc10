#pragma once
// Finds the running board: the top-level window whose caption ends in " - Clangster".
#include <windows.h>

#include <cstring>

#include "board/RemoteWindow.h"

inline HWND FindBoardWindow() {
    struct Search {
        static BOOL CALLBACK Visit(HWND hwnd, LPARAM found) {
            char caption[512];
            const int length = ::GetWindowTextA(hwnd, caption, sizeof caption);
            const int endLength = static_cast<int>(sizeof board::kTitleSuffix) - 1;
            if (length >= endLength && std::strcmp(caption + length - endLength, board::kTitleSuffix) == 0) {
                *reinterpret_cast<HWND*>(found) = hwnd;
                return FALSE;
            }
            return TRUE;
        }
    };
    HWND board = nullptr;
    ::EnumWindows(Search::Visit, reinterpret_cast<LPARAM>(&board));
    return board;
}
