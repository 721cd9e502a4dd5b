#pragma once

#include <string>

namespace velk::sim {

// Makes the folder (a log or state folder) unless it is there; false with a message naming what
// it is for when it cannot be made.
bool makeFolder(const std::string& path, const char* what, std::string& error);

}  // namespace velk::sim
