#include "scheme/Scheme.h"

#include "board/Arith.h"
#include "framework/AnsiText.h"
#include "framework/TextFile.h"
#include "scheme/SchemeFormat.h"

namespace scheme {

using board::Board;

std::string FormatSlotLine(Board& board, int i) {
    board::SoundSlot& s = board.slot(i);
    if (!s.loaded) return kEmptySlotLine;
    std::uint32_t cursor = 0;
    s.buffer->GetCurrentPosition(cursor);
    SlotLine line;
    line.path = s.path;
    line.name = s.name;
    line.position = static_cast<float>(cursor);
    line.volume = board.view().GetVolumeSlider(i);
    line.countDown = s.countDown;
    line.loop = s.loop;
    return FormatSlotFields(line);
}

void ParseSlotLine(Board& board, const std::string& text, int i) {
    const auto f = SplitSlotFields(text);
    board.LoadSlot(i, f[0], f[1]);
    board::SoundSlot& s = board.slot(i);
    if (!s.loaded) return;
    const int position = FieldToInt(f[2]);
    // A negative position wraps like the DWORD it is passed as; the buffer refuses it.
    s.buffer->SetCurrentPosition(static_cast<std::uint32_t>(position));
    board.RefreshSlotTime(i);
    s.countDown = IsSwitchOn(f[4]);
    s.loop = IsSwitchOn(f[5]);
    board.view().SetPlayCaption(i, s.loop ? "Loop" : "Play");
    if (position != 0) {
        const double fraction = static_cast<double>(position) / s.bytesPerSec / s.duration;
        board.view().SetPositionSlider(i, board::TruncToInt32(fraction * 1000.0));
        board.view().SetPlayImage(i, board::PlayImage::Paused);
        board.RefreshSlotTime(i);
    }
    const int volume = FieldToInt(f[3]);
    s.buffer->SetVolume(board::TruncToInt32(volume * -0.5));
    board.view().SetVolumeSlider(i, volume);
}

void SaveScheme(Board& board, const std::string& path) {
    fw::TextFileWriter file;
    bool ok = file.Create(path);
    for (int i = 0; ok && i < kSlotLines; ++i) ok = file.WriteLine(FormatSlotLine(board, i));
    if (ok) ok = file.WriteLine(FormatColoursLine({board.m_ledOnColour, board.m_ledOffColour}));
    if (ok) ok = file.WriteLine(FormatLayoutLine(board.m_compact));
    ok = file.Close() && ok;
    if (!ok) {
        board.view().ShowMessage("Error saving " + path + ":\n\n" + fw::ErrorText(file.error()));
        return;
    }
    board.SetSchemeTitle(path);
    board.m_schemePath = path;
}

bool LoadScheme(Board& board, const std::string& path) {
    board.NewScheme();
    fw::TextFileReader file;
    auto fail = [&] {
        board.view().ShowMessage("Error opening " + path + ":\n\n" + fw::ErrorText(file.error()));
        return false;
    };
    if (!file.Open(path)) return fail();
    // A missing line reads as empty, which leaves what it describes unchanged.
    std::string line;
    auto next = [&] {
        if (!file.ReadLine(line)) line.clear();
        return file.error() == 0;
    };
    for (int i = 0; i < kSlotLines; ++i) {
        if (!next()) return fail();
        ParseSlotLine(board, line, i);
    }
    if (!next()) return fail();
    if (!line.empty()) {
        const LedColours c = ParseColoursLine(line);
        board.SetLedColours(c.on, c.off);
    }
    if (!next()) return fail();
    if (!line.empty()) board.SetLayout(IsCompactLine(line));
    board.SetSchemeTitle(path);
    board.m_schemePath = path;
    return true;
}

}  // namespace scheme
