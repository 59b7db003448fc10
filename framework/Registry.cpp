#include "framework/Registry.h"

#include "framework/RegistryValue.h"

namespace fw {

RegKey RegKey::Open(const char* path, REGSAM access) {
    RegKey key;
    HKEY raw = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, access, &raw) == ERROR_SUCCESS) key.key_.reset(raw);
    return key;
}

RegKey RegKey::Create(const char* path) {
    RegKey key;
    HKEY raw = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, const_cast<char*>(""), REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, &raw, nullptr) == ERROR_SUCCESS)
        key.key_.reset(raw);
    return key;
}

bool RegKey::ReadString(const std::string& name, std::string& value) const {
    // One byte more than the text may have: some systems add the terminating
    // zero a value was stored without, and need room for it to answer at all.
    char buf[kRegValueBufferSize + 1];
    DWORD bytes = sizeof buf;
    if (::RegQueryValueExA(key_.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &bytes) !=
        ERROR_SUCCESS)
        return false;
    if (bytes > kRegValueBufferSize && buf[kRegValueBufferSize] != 0) return false;  // too long
    value = RegValueText(buf, bytes);
    return true;
}

bool RegKey::WriteString(const std::string& name, const std::string& value) const {
    return ::RegSetValueExA(key_.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data()),
                            static_cast<DWORD>(value.size())) == ERROR_SUCCESS;
}

}  // namespace fw
