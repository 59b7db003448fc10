#include "scheme/Settings.h"

#include "framework/Registry.h"

namespace scheme {

const char kSettingsKey[] = "Software\\Marrowick\\Clangster";

std::optional<ISettingsStore::Values> RegistrySettings::Read(const std::vector<std::string>& names) {
    // Reading never creates the key: a first run has none.
    const fw::RegKey key = fw::RegKey::Open(kSettingsKey, KEY_QUERY_VALUE);
    if (!key) return std::nullopt;
    Values values;
    std::string text;
    for (const std::string& name : names)
        if (key.ReadString(name, text)) values[name] = text;
    return values;
}

void RegistrySettings::Write(const std::vector<std::pair<std::string, std::string>>& values) {
    const fw::RegKey key = fw::RegKey::Create(kSettingsKey);
    if (!key) return;
    for (const auto& value : values) key.WriteString(value.first, value.second);
}

}  // namespace scheme
