#pragma once

#include <string>
#include <string_view>

namespace morvel {

// The MD5 sum of the text as 32 lower-case hexadecimal digits (names in the thumbnail cache).
std::string Md5Hex(std::string_view text);

}  // namespace morvel
