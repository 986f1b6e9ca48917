#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "project/program_state.h"

namespace morvel {

// The first line of every project file.
inline constexpr const char* kProjectIdentification = "MORVEL 1.0";

// Largest project file the program reads: a project of thousands of frames is a few hundred KB.
constexpr std::size_t kMaxProjectFileBytes = std::size_t{64} << 20;

// Longest line kept from a project file: far longer than any path or comment; a longer line is
// cut there, so a damaged file cannot fill titles and paths with megabytes.
constexpr std::size_t kMaxProjectLineBytes = std::size_t{64} << 10;

// The smallest a frame entry can be as the program writes it: two empty lines and the flag.
constexpr std::size_t kSmallestFrameEntryBytes = 5;

struct ProjectFileFrame {
    std::string layerSource[2];
    bool hasMask = false;
};

// A project file as read: the header lines and the frame entries, in file order.
struct ProjectFileContents {
    bool identified = false;  // line 1 was exactly "MORVEL 1.0"
    std::string title;
    std::string author;
    std::string comment;  // line breaks as CR LF
    std::string maskTemplate;
    std::string frameTemplate;
    std::int32_t announcedFrames = 0;  // the count as stored
    std::vector<ProjectFileFrame> frames;
};

// Reads the bytes of a project file. A file that ends early gives the missing frames empty
// layers and no mask; but no more frames are made than the bytes after the count could hold,
// so a damaged count cannot make millions of records.
ProjectFileContents ParseProjectFile(std::span<const std::uint8_t> bytes);

// The bytes of a project file for this header and these frames.
std::vector<std::uint8_t> SerializeProjectFile(const ProjectHeader& header,
                                               const std::vector<ProjectFileFrame>& frames);

// Writes the project file at the header's project file path and copies the masks and, under a
// frame template, the pictures beside it; layer sources become the paths of successful copies.
// The file replaces an existing one only once it is complete, so a failed save never leaves a
// damaged project where a good one was. Failures are reported. Returns false when the
// project file itself could not be written.
bool WriteProjectFile(ProgramState& state);

}  // namespace morvel
