// A datagram from the network: any bytes are read as OSC, mapped to the
// board's requests, and fed to the feedback as a subscriber's packet would be.
#include <cstdint>

#include "FuzzCheck.h"
#include "remote/Feedback.h"
#include "remote/Osc.h"
#include "remote/OscCommands.h"

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
        const auto request = remote::RequestFor(m);
        if (request && request->action) {
            const board::Action& a = *request->action;
            fuzz::Check(a.index >= 0 && a.index < board::kSlotCount, "a slot or favourite in range");
            fuzz::Check(a.kind != board::Action::SetVolume || (a.value >= 0 && a.value <= 1), "a volume in range");
        }
    }
    return 0;
}
