#pragma once
// An open registry key, closed when the object goes. Values are REG_SZ text
// written without a terminating zero and read into a 255-byte buffer.
#include <windows.h>

#include <string>

#include "framework/Handles.h"

namespace fw {

class RegKey {
public:
    // An existing key under HKEY_CURRENT_USER; test with operator bool.
    static RegKey Open(const char* path, REGSAM access);
    // The same, created when it does not exist.
    static RegKey Create(const char* path);

    explicit operator bool() const { return static_cast<bool>(key_); }
    // False when the value is missing or does not fit the buffer.
    bool ReadString(const std::string& name, std::string& value) const;
    bool WriteString(const std::string& name, const std::string& value) const;

private:
    UniqueRegKey key_;
};

}  // namespace fw
