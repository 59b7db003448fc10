// Scheme reading: any file loads, and the board it gives saves and loads back
// to the same board. Slot paths name sounds relative to a folder of three
// short sounds ("a.wav", "b.wav", "c.wav"), which is the current folder while
// a scheme is read.
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../tests/host/FakeSound.h"
#include "../tests/host/FakeView.h"
#include "../tests/host/TestFiles.h"
#include "FuzzCheck.h"
#include "scheme/Scheme.h"

namespace {

struct Slot {
    bool loaded;
    std::string path, name;
    std::uint32_t position;
    int volumeSlider;
    std::int32_t volume;
    bool countDown, loop;
    bool operator==(const Slot& o) const {
        return loaded == o.loaded && path == o.path && name == o.name && position == o.position &&
               volumeSlider == o.volumeSlider && volume == o.volume && countDown == o.countDown && loop == o.loop;
    }
};

struct Loaded {
    fake::FakeView view;
    board::Messages messages;
    fake::FakeDevice device;
    board::Board board{view, messages, &device};

    std::vector<Slot> Slots() {
        std::vector<Slot> slots;
        for (int i = 0; i < board::kSlotCount; ++i) {
            const board::SoundSlot& s = board.slot(i);
            Slot out{s.loaded(), s.path, s.name, 0, view.at(i).volume, 0, s.countDown, s.loop};
            if (s.loaded()) {
                s.buffer->GetCurrentPosition(out.position);
                s.buffer->GetVolume(out.volume);
            }
            slots.push_back(out);
        }
        return slots;
    }
};

// The sounds, and a folder of their own for the scheme files, which a slot
// path cannot name by chance.
struct Folders {
    testfiles::TempDir sounds, schemes;
    Folders() {
        testfiles::WriteSound(sounds, "a.wav", 1.0);
        testfiles::WriteSound(sounds, "b.wav", 0.5, 11025);
        testfiles::WavFields stereo{2, 22050, 0, 4, 16, 8000};
        testfiles::WriteWav(sounds, "c.wav", stereo);
    }
};

void LoadIn(const std::string& folder, Loaded& into, const std::string& path) {
    char here[4096];
    fuzz::Check(getcwd(here, sizeof here) && chdir(folder.c_str()) == 0, "change folder");
    scheme::LoadScheme(into.board, path);
    fuzz::Check(chdir(here) == 0, "change folder back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Folders folders;
    const std::string in = folders.schemes.WriteBytes("in.scheme", std::string(reinterpret_cast<const char*>(data), size));
    const std::string out = folders.schemes.Path("out.scheme");
    const std::string sounds = folders.sounds.dir().string();

    Loaded first;
    LoadIn(sounds, first, in);
    scheme::SaveScheme(first.board, out);
    fuzz::Check(first.board.schemePath() == out, "the scheme was saved");
    Loaded second;
    LoadIn(sounds, second, out);

    fuzz::Check(first.Slots() == second.Slots(), "slots load back as they were saved");
    fuzz::Check(first.board.ledOnColour() == second.board.ledOnColour() &&
                    first.board.ledOffColour() == second.board.ledOffColour(),
                "colours load back");
    fuzz::Check(first.board.compact() == second.board.compact(), "layout loads back");
    fuzz::CheckFakes();
    return 0;
}
