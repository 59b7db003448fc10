// clangster-trigger NAME: plays (or pauses) every slot of that name on the
// running board, the way another program or a script fires a sound.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "FindBoard.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: clangster-trigger NAME\nPlays or pauses every slot of that name.\n");
        return 2;
    }
    // Names may hold spaces: the arguments are joined as typed without quotes.
    std::string name = argv[1];
    for (int i = 2; i < argc; ++i) name += std::string(" ") + argv[i];

    HWND board = FindBoardWindow();
    if (!board) {
        std::fprintf(stderr, "clangster-trigger: no running Clangster board was found\n");
        return 1;
    }
    COPYDATASTRUCT data{};
    data.cbData = static_cast<DWORD>(name.size());
    data.lpData = const_cast<char*>(name.data());
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(board, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                               5000, &result)) {
        std::fprintf(stderr, "clangster-trigger: the board did not answer\n");
        return 1;
    }
    return 0;
}
