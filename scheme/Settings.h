#pragma once
// The program's settings under HKEY_CURRENT_USER\Software\Marrowick\Clangster.
// Registry failures are never reported: a value that cannot be read is skipped,
// one that cannot be written is lost.
#include "scheme/SettingsStore.h"

namespace scheme {

extern const char kSettingsKey[];

class RegistrySettings : public ISettingsStore {
public:
    std::optional<Values> Read(const std::vector<std::string>& names) override;
    void Write(const std::vector<std::pair<std::string, std::string>>& values) override;
};

}  // namespace scheme
