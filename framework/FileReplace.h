#pragma once
// Writing a file so that a failure never costs the old one: the new content
// goes to a fresh file in the same folder, which then takes the old file's
// place in one step.
#include <string>

namespace fw {

// Creates an empty file with a unique name in the folder of `path`; false
// (with an errno value in error) when the folder does not allow a new file.
bool CreateSiblingTemp(const std::string& path, std::string& tempPath, int& error);
// Puts `tempPath` in the place of `path`, replacing it. Returns 0, or an
// errno value when the old file could not be replaced.
int ReplaceWith(const std::string& tempPath, const std::string& path);
void RemoveFile(const std::string& path);

}  // namespace fw
