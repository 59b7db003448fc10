#pragma once
#include <cstdint>
#include <string>

namespace fw {

// A status query on a path: true with its size when it names a regular file.
// Folders, devices (CON, NUL, COM1 ... on Windows) and pipes give false, as a
// missing file does: reading one would fail, block or never end.
bool QueryFileSize(const std::string& path, std::uint64_t& size);

// True when the path names a regular file or nothing at all: what a new
// file may take the place of.
bool IsFileOrMissing(const std::string& path);

// Whether the last part of a Windows path is a reserved device name (CON,
// PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, CONIN$, CONOUT$), which names
// the device with any extension and in any case ("nul.wav", "Com1.txt").
bool IsWindowsDeviceName(const std::string& path);

}  // namespace fw
