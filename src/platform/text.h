#pragma once

#include <string>
#include <string_view>

namespace morvel {

// Replaces every occurrence of what, left to right, case-sensitive; text brought in by a
// replacement is not searched again.
std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with);

// The same, finding what without regard to the case of the letters A to Z.
std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view what,
                                 std::string_view with);

// Compares without regard to the case of the letters A to Z.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace morvel
