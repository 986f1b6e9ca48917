#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace morvel {

// Files that only this user may read and write, such as the thumbnail cache's. None of these
// follows a symbolic link.

// The content of a regular file owned by this user and at most maxBytes long; nothing for
// anything else (a symbolic link, another user's file, a larger file, a folder).
std::optional<std::vector<std::uint8_t>> ReadOwnFile(const std::string& path, std::size_t maxBytes);

// Creates the folder and any missing folder above it with permissions 0700. True when the folder
// then is a real folder (no symbolic link) owned by this user.
bool MakePrivateFolder(const std::string& path);

// Writes the file in the folder at once for anyone who reads it: under a temporary name with
// permissions 0600, then renamed over name. An existing name that is a symbolic link or belongs
// to another user is left alone (false).
bool WritePrivateFile(const std::string& folder, const std::string& name,
                      std::span<const std::uint8_t> bytes);

}  // namespace morvel
