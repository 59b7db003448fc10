#include "BoardDriver.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <thread>

namespace e2e {

void WriteTone(const std::string& path, double seconds, double hz, double amplitude) {
    const auto frames = static_cast<uint32_t>(seconds * 44100);
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + frames * 4);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(2);
    u32(44100);
    u32(44100 * 4);
    u16(4);
    u16(16);
    out.write("data", 4);
    u32(frames * 4);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(amplitude * 32767 * std::sin(2 * M_PI * hz * i / 44100));
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v));
    }
}

RunResult Probe(const std::vector<std::string>& args, double timeoutSeconds) {
    return RunWindows(WinBuildDir() + "/tests/probe/board-probe.exe", args, timeoutSeconds);
}

std::unique_ptr<Process> Hold(const std::vector<std::string>& probeArgs) {
    auto holder = StartWindows(WinBuildDir() + "/tests/probe/board-probe.exe", probeArgs);
    if (holder && !WaitUntil([&] { return holder->output().find("held") != std::string::npos || !holder->running(); }))
        holder.reset();
    return holder && holder->running() ? std::move(holder) : nullptr;
}

std::string ProbeText(const std::vector<std::string>& args) {
    std::string text = Probe(args).output;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

BoardState ReadBoard() {
    BoardState board;
    std::istringstream lines(Probe({"state"}).output);
    std::string text;
    while (std::getline(lines, text)) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text.rfind("title=", 0) == 0) board.title = text.substr(6);
        if (text.rfind("slot=", 0) != 0) continue;
        std::map<std::string, std::string> fields;
        std::istringstream parts(text);
        std::string part;
        while (std::getline(parts, part, '|')) {
            const auto eq = part.find('=');
            if (eq != std::string::npos) fields[part.substr(0, eq)] = part.substr(eq + 1);
        }
        board.slots[std::stoi(fields["slot"])] = {fields["title"],   fields["time"],
                                                  fields["tenths"],  fields["caption"],
                                                  fields["image"],   std::stoi(fields["position"]),
                                                  std::stoi(fields["volume"])};
    }
    return board;
}

bool WaitForTitle(const std::string& title, double timeoutSeconds) {
    return WaitUntil([&] { return ReadBoard().title == title; }, timeoutSeconds);
}

bool WaitForLoads(double timeoutSeconds) {
    return WaitUntil(
        [] {
            for (const auto& [slot, state] : ReadBoard().slots)
                if (state.title.find("..;..") != std::string::npos) return false;
            return true;
        },
        timeoutSeconds, 0.5);
}

void ChooseSlotMenuItem(int slot, int item) {
    Probe({"menuzone", std::to_string(slot)});
    Probe({"choose", std::to_string(item)});
}

void SetDialogText(const std::string& caption, int id, const std::string& text) {
    Probe({"dialog", caption, "set", std::to_string(id), text});
}

void PressDialogButton(const std::string& caption, int id, bool closes) {
    Probe({"dialog", caption, "press", std::to_string(id)});
    if (closes) Probe({"gone", caption});
}

void ChooseInFileDialog(const std::string& windowsPath) {
    // The file name box of the common dialog; OK is IDOK.
    SetDialogText("Open", 1148, windowsPath);
    PressDialogButton("Open", 1);
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

}  // namespace e2e
