// A datagram from the network: any bytes are read as OSC, what is read is
// written and read back, and the whole datagram goes the way the board
// takes one (requests, subscriptions), with every action it asks checked.
#include <cstdint>

#include "FuzzCheck.h"
#include "remote/Osc.h"
#include "remote/RemoteControl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto messages = remote::ReadOsc(data, size);
    fuzz::Check(size <= remote::kMaxOscDatagram || messages.empty(), "oversized datagrams are ignored");
    for (const remote::OscMessage& m : messages) {
        fuzz::Check(!m.address.empty() && m.address[0] == '/', "an address starts with a slash");
        // What the writer writes of a message reads back the same.
        remote::OscMessage plain{m.address, {}};
        for (const auto& a : m.arguments)
            if (a.type == 'i' || a.type == 's') plain.arguments.push_back(a);
        const std::string bytes = remote::WriteOsc(plain);
        const auto back = remote::ReadOsc(bytes.data(), bytes.size());
        if (bytes.size() <= remote::kMaxOscDatagram && m.address.find('\0') == std::string::npos) {
            fuzz::Check(back.size() == 1 && back[0].address == m.address, "the address reads back");
            fuzz::Check(back[0].arguments.size() == plain.arguments.size(), "the arguments read back");
        }
    }
    remote::RemoteControl remote([](const board::Action& a) {
        const int count = a.kind == board::Action::OpenFavourite ? 12 : board::kSlotCount;
        fuzz::Check(a.index >= 0 && a.index < count, "a slot or favourite in range");
        fuzz::Check(a.kind != board::Action::SetVolume || (a.value >= 0 && a.value <= 1), "a volume in range");
        fuzz::Check(a.kind != board::Action::Seek || a.value >= 0, "a position from the start on");
    });
    remote.Receive(data, size, {0x7F000001, 50000}, 0);
    return 0;
}
