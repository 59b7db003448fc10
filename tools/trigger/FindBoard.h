#pragma once
// Finds the running board: the top-level window whose caption ends in " - Clangster".
#include <windows.h>

#include <cstring>

inline HWND FindBoardWindow() {
    struct Search {
        static BOOL CALLBACK Visit(HWND hwnd, LPARAM found) {
            static const char kCaptionEnd[] = " - Clangster";
            char caption[512];
            const int length = ::GetWindowTextA(hwnd, caption, sizeof caption);
            const int endLength = static_cast<int>(sizeof kCaptionEnd) - 1;
            if (length >= endLength && std::strcmp(caption + length - endLength, kCaptionEnd) == 0) {
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
