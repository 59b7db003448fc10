#pragma once
// What the user chooses in the board's menus and dialogs, as plain values.
#include <array>
#include <string>

#include "board/Action.h"

namespace scheme {

using Favourites = std::array<std::string, board::kFavouriteCount>;

// The slot menu's commands; None when it was dismissed.
enum class SlotCommand { None, Browse, Loop, Clear, Reload, Rename, Prelisten };

enum class FileKind { Scheme, Sound };

// Whether and where the board listens for OSC over UDP: on the loopback
// address only, unless other computers are let in; and which of them
// (remote/AllowList.h: empty lets in any).
struct RemoteSettings {
    bool on = false;
    int port = 9000;
    bool fromNetwork = false;
    std::string allow;
    bool operator==(const RemoteSettings& o) const {
        return on == o.on && port == o.port && fromNetwork == o.fromNetwork && allow == o.allow;
    }
};

// The monitor output, for the operator's headphones: a device's GUID as text
// (empty for none), and whether it hears every sound played on the main output.
struct MonitorChoice {
    std::string output;
    bool hearsAll = false;
    bool operator==(const MonitorChoice& o) const { return output == o.output && hearsAll == o.hearsAll; }
};

}  // namespace scheme
