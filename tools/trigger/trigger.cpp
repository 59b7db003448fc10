// clangster-trigger NAME: plays (or pauses) every slot of that name on the
// running board, the way another program or a script fires a sound.
// clangster-trigger --stop-all | --fade-all: stops, or fades out, every sound.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "FindBoard.h"
#include "board/RemoteWindow.h"

namespace {

const char kUsage[] =
    "usage: clangster-trigger NAME        plays or pauses every slot of that name\n"
    "       clangster-trigger --stop-all  stops every sound (as Esc on the board)\n"
    "       clangster-trigger --fade-all  fades every playing sound out (as Shift+Esc)\n"
    "       clangster-trigger -- NAME     a name such as --stop-all\n";

bool Deliver(HWND board, UINT message, WPARAM w, LPARAM l) {
    DWORD_PTR result = 0;
    if (::SendMessageTimeoutA(board, message, w, l, SMTO_ABORTIFHUNG, 5000, &result)) return true;
    std::fprintf(stderr, "clangster-trigger: the board did not answer\n");
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    int action = -1;  // an app::AllSoundsAction, or -1 for a name
    if (argc == 2 && std::strcmp(argv[1], "--stop-all") == 0) action = board::StopAllSounds;
    else if (argc == 2 && std::strcmp(argv[1], "--fade-all") == 0) action = board::FadeAllSounds;
    else if (argc > 2 && std::strcmp(argv[1], "--") == 0) first = 2;
    if (action < 0 && first >= argc) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }

    HWND board = FindBoardWindow();
    if (!board) {
        std::fprintf(stderr, "clangster-trigger: no running Clangster board was found\n");
        return 1;
    }
    if (action >= 0)
        return Deliver(board, ::RegisterWindowMessageA(board::kAllSoundsMessage), static_cast<WPARAM>(action), 0) ? 0 : 1;

    // Names may hold spaces: the arguments are joined as typed without quotes.
    std::string name = argv[first];
    for (int i = first + 1; i < argc; ++i) name += std::string(" ") + argv[i];
    COPYDATASTRUCT data{};
    data.cbData = static_cast<DWORD>(name.size());
    data.lpData = const_cast<char*>(name.data());
    return Deliver(board, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) ? 0 : 1;
}
