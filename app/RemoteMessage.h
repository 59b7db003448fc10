#pragma once
// The board's second remote message, besides WM_COPYDATA with a sound's
// name: a registered window message whose wParam says what to do with every
// sound. Registered, so that no existing message changes its meaning.
namespace app {

constexpr char kAllSoundsMessage[] = "Clangster.AllSounds";
enum AllSoundsAction { StopAllSounds = 0, FadeAllSounds = 1 };

}  // namespace app
