// The remote trigger by name: any bytes of any length, sent to a board with
// sounds loaded under several names, while the board's timers tick.
#include <cstdint>
#include <memory>

#include "../tests/host/FakeSound.h"
#include "../tests/host/FakeView.h"
#include "../tests/host/TestFiles.h"
#include "FuzzCheck.h"

namespace {

struct Fixture {
    testfiles::TempDir dir;
    fake::FakeView view;
    board::Messages messages;
    fake::FakeDevice device;
    board::Board board{view, messages, &device};
    Fixture() {
        const char* names[] = {"A", "DOOR BELL", "door bell", "\xC4\xD6", ""};
        for (int i = 0; i < 5; ++i)
            board.LoadSlot(i * 4, testfiles::WriteSound(dir, "s" + std::to_string(i) + ".wav", 0.5 + i), names[i]);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture f;
    f.board.SetOnPlayMode(static_cast<int>(size % 3));
    f.board.Perform(board::NameAction(size ? data : nullptr, size));
    for (int tick = 0; tick < 3; ++tick) {
        f.device.Advance(board::kTimerPeriodMs);
        f.board.OnTimer(board::kFadeTimerId);
        for (int i = 0; i < board::kSlotCount; ++i)
            if (f.view.at(i).timerRunning) f.board.OnTimer(board::kFirstSlotTimerId + static_cast<unsigned>(i));
    }
    fuzz::CheckFakes();
    // The fakes' logs would otherwise grow with every run.
    f.view.log.clear();
    f.messages.TakeAll();
    for (auto& buffer : f.device.buffers) buffer->calls.clear();
    return 0;
}
