#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "i18n/error_reporter.h"
#include "platform/image.h"
#include "project/document.h"

namespace morvel {

// The first line of every project file.
inline constexpr const char* kProjectIdentification = "MORVEL 1.0";

// Largest project file the program reads: a project of thousands of frames is a few hundred KB.
constexpr std::size_t kMaxProjectFileBytes = std::size_t{64} << 20;

// Longest line kept from a project file: far longer than any path or comment; a longer line is
// cut there, so a damaged file cannot fill titles and paths with megabytes.
constexpr std::size_t kMaxProjectLineBytes = std::size_t{64} << 10;

// A frame count the reader believes even when the file ends before its last frame (a save cut
// short): the missing frames are added empty. About an hour of film.
constexpr std::int32_t kPlausibleFrameCount = 100000;

// Most frames a project file may announce at all; a larger count is refused.
constexpr std::int32_t kMaxProjectFrames = 1000000;

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
    // The count cannot be right: above kPlausibleFrameCount in a file that ends before holding
    // that many frames, or above kMaxProjectFrames. No frames are read then.
    bool countRefused = false;
    std::vector<ProjectFileFrame> frames;
    // Frame entries that began before the file ended; fewer than frames.size() in a file cut
    // short (the rest are empty).
    std::int32_t framesRead = 0;

    // The sound track, from the section after the last frame (which readers that know nothing
    // of it never look at); none in a file without that section.
    SoundTrack sound;

    bool cutShort() const { return framesRead < static_cast<std::int32_t>(frames.size()); }
};

// The first line of the sound track's section after the last frame entry; its path and its
// offset in frames (decimal) follow on a line each.
inline constexpr const char* kSoundSectionIdentification = "MORVEL-SOUND 1";

// Reads the bytes of a project file: every frame entry up to the announced count, whatever the
// line ends (CR LF, CR, LF or NUL). A file that ends early gives the missing frames empty layers
// and no mask, as long as the count is plausible; a larger count must be backed by the file's
// entries, else it is refused, so a damaged count cannot make millions of records.
ProjectFileContents ParseProjectFile(std::span<const std::uint8_t> bytes);

// The bytes of a project file for this header and these frames, and the sound track's section
// when there is a track (a project without one is written as before sound tracks existed).
std::vector<std::uint8_t> SerializeProjectFile(const ProjectHeader& header,
                                               const std::vector<ProjectFileFrame>& frames,
                                               const SoundTrack& sound = {});

// Writes the project file at the header's project file path and copies the masks and, under a
// frame template, the pictures beside it; layer sources become the paths of successful copies.
// Every mask file and picture copy is written completely under a temporary name first, and all
// replace their old files together with the project file once that is written too: a save that
// fails on the way (a full disk, a read-only folder) leaves the old project as it was. A copy
// that fails is reported and left out (mask flag 0, the old layer source); the rest is saved.
// Returns false, after reporting it, when the project file itself could not be written.
// Masks in masksInMemory (their working file could not be written) are saved from there.
bool WriteProjectFile(Document& document, const ErrorReporter& reporter,
                      const MasksInMemory* masksInMemory = nullptr);

}  // namespace morvel
