// A datagram from the network, the whole way the board takes one: any bytes
// are read as OSC, and what is read is written and read back; then the
// datagram goes to the board's front door (requests, subscriptions, actions
// on slots whose names come from the same bytes), the board ticks, and the
// feedback bundles it sends are read back whole.
#include <cstdint>

#include "../tests/host/FakeHost.h"
#include "../tests/host/TestFiles.h"
#include "FuzzCheck.h"
#include "remote/Osc.h"

namespace {

struct Fixture {
    testfiles::TempDir dir;
    fake::Program program;
    std::uint64_t now = 0;
    Fixture() {
        program.controller.Start("");
        for (int i = 0; i < 4; ++i)
            program.board.LoadSlot(i * 5, testfiles::WriteSound(dir, "s" + std::to_string(i) + ".wav", 0.5 + i), "");
        const std::string bytes = remote::WriteOsc({"/clangster/subscribe", {}});
        program.controller.Datagram(bytes.data(), bytes.size(), {0x7F000001, 9}, now);
    }
};

}  // namespace

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

    static Fixture f;
    // The first loaded slot takes the datagram's first bytes as its name.
    f.program.board.RenameSlot(0, std::string(reinterpret_cast<const char*>(data), size < 40 ? size : 40));
    f.program.controller.Datagram(data, size, {0x7F000001, 50000}, f.now);
    for (int tick = 0; tick < 3; ++tick) {
        f.program.device.Advance(board::kTimerPeriodMs);
        f.now += board::kTimerPeriodMs;
        for (const remote::Datagram& d : f.program.controller.Timer(board::kFadeTimerId, f.now)) {
            fuzz::Check(!remote::ReadOsc(d.bytes.data(), d.bytes.size()).empty(), "feedback reads back");
            fuzz::Check(d.to.address == 0x7F000001, "feedback goes only to the senders' own address");
        }
    }
    // Renewed well within its minute, so that the feedback never runs out.
    const std::string renew = remote::WriteOsc({"/clangster/subscribe", {}});
    f.program.controller.Datagram(renew.data(), renew.size(), {0x7F000001, 9}, f.now);
    fuzz::CheckFakes();
    // The fakes' logs would otherwise grow with every run.
    f.program.view.log.clear();
    f.program.dialogs.shown.clear();
    for (auto& buffer : f.program.device.buffers) buffer->calls.clear();
    return 0;
}
