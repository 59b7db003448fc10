#pragma once
// The program's stored settings: named text values under one key. The
// registry implements it on Windows; host tests use a map.
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace scheme {

class ISettingsStore {
public:
    using Values = std::map<std::string, std::string>;
    virtual ~ISettingsStore() = default;
    // The readable values among `names`; nothing when the key cannot be opened.
    virtual std::optional<Values> Read(const std::vector<std::string>& names) = 0;
    // Creates the key when needed and writes each value; failures are silent.
    virtual void Write(const std::vector<std::pair<std::string, std::string>>& values) = 0;
};

// One of the values read; empty when it was not there.
inline std::string ValueOf(const ISettingsStore::Values& values, const std::string& name) {
    const auto found = values.find(name);
    return found == values.end() ? std::string() : found->second;
}

}  // namespace scheme
