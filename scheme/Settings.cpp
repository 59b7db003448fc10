#include "scheme/Settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/Handles.h"

namespace scheme {

const char kSettingsKey[] = "Software\\Marrowick\\Clangster";

bool ReadSetting(HKEY key, const char* name, std::string& value) {
    char buf[255];
    DWORD bytes = sizeof buf;
    DWORD type = 0;
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &bytes) != ERROR_SUCCESS)
        return false;
    const DWORD count = bytes < sizeof buf ? bytes : sizeof buf;
    const void* zero = std::memchr(buf, 0, count);
    const char* end = zero ? static_cast<const char*>(zero) : buf + count;
    value.assign(static_cast<const char*>(buf), end);
    return true;
}

bool WriteSetting(HKEY key, const char* name, const std::string& value) {
    return ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data()),
                            static_cast<DWORD>(value.size())) == ERROR_SUCCESS;
}

StartupSettings ReadStartupSettings() {
    StartupSettings settings;
    HKEY raw = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS, &raw) != ERROR_SUCCESS)
        return settings;
    fw::UniqueRegKey key(raw);
    std::string text;
    if (ReadSetting(key.get(), "LastFile", text)) settings.lastFile = text;
    if (ReadSetting(key.get(), "onplay", text)) {
        settings.hasOnPlay = true;
        settings.onPlay = static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
    }
    return settings;
}

void StoreCloseSettings(const std::string& schemePath, int onPlayMode) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, const_cast<char*>(""), REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return;
    fw::UniqueRegKey key(raw);
    if (!schemePath.empty()) WriteSetting(key.get(), "LastFile", schemePath);
    char mode[16];
    std::snprintf(mode, sizeof mode, "%i", onPlayMode);
    WriteSetting(key.get(), "onplay", mode);
}

}  // namespace scheme
