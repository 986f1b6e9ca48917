#pragma once

#include <string>
#include <vector>

namespace morvel {

// Runs a program found on PATH with these arguments, its output discarded, and waits for it.
// True when it ran and exited with status 0; false when it is not installed or failed.
bool RunProgram(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace morvel
