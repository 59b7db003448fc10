#pragma once
// The program's settings under HKEY_CURRENT_USER\Software\Marrowick\Clangster.
// Every value is a REG_SZ written without its terminating zero. Registry
// failures are never reported: a value that cannot be read is skipped.
#include <windows.h>

#include <string>

namespace scheme {

extern const char kSettingsKey[];

// Reads a value into a 255-byte buffer; the text ends at the first zero byte
// or at the returned byte count. False when missing or longer than 255 bytes.
bool ReadSetting(HKEY key, const char* name, std::string& value);
bool WriteSetting(HKEY key, const char* name, const std::string& value);

struct StartupSettings {
    std::string lastFile;  // empty when not stored
    bool hasOnPlay = false;
    int onPlay = 0;
};
// "LastFile" and "onplay", when the key exists.
StartupSettings ReadStartupSettings();
// Stores "LastFile" (only when schemePath is not empty) and "onplay".
void StoreCloseSettings(const std::string& schemePath, int onPlayMode);

}  // namespace scheme
