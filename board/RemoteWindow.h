#pragma once
// How other programs find the board and drive it besides WM_COPYDATA with a
// sound's name: its window is the top-level window whose caption ends in
// kTitleSuffix; a registered window message's wParam says what to do with
// every sound (registered, so that no existing message changes its meaning).
namespace board {

constexpr char kTitleSuffix[] = " - Clangster";
constexpr char kAllSoundsMessage[] = "Clangster.AllSounds";
enum AllSoundsAction { StopAllSounds = 0, FadeAllSounds = 1 };

}  // namespace board
