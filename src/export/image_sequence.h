#pragma once

#include <functional>
#include <string>

#include "import/video_pool.h"
#include "codecs/picture_io.h"
#include "project/program_state.h"

namespace morvel {

// The number placeholder of an image-sequence name pattern.
inline constexpr const char* kFrameNumberPlaceholder = "<\?\?\?>";

// The format and the name suffix that the export requester's filter index selects:
// 0 bitmap ".<number>.bmp", 1 PNG ".<number>.png", 2 JPEG ".<number>.jpg".
struct SequenceFormat {
    PictureFormat format;
    const char* suffix;
};
SequenceFormat SequenceFormatForFilter(int filterIndex);

// The pattern for a path typed in the requester: its extension replaced by the suffix.
std::string SequencePattern(const std::string& chosenPath, const SequenceFormat& format);

// The file name of frame k (1-based) of frameCount: every number placeholder replaced by k, padded
// with "0" to the digit count of frameCount.
std::string SequenceFileName(const std::string& pattern, int k, int frameCount);

// What to write: frames first..last (0-based, inclusive; the numbers in the names stay those of
// the whole project), how many threads read pictures ahead and encode beside the composing
// thread (0: everything on the composing thread), and a progress report called after each frame
// is written.
struct SequenceJob {
    std::string pattern;
    PictureFormat format = PictureFormat::Png;
    int first = 0;
    int last = -1;  // -1: the last frame
    int encoders = 1;
    std::function<void(int written, int total)> progress;
    // Asked before each frame; true stops the export after the frames already under way.
    std::function<bool()> stopRequested;
};

// The composite as it stands before frame first: a frame without a readable picture is composed
// at the size of the composite before it, so a range must start from the size of the last
// earlier frame whose pictures could be read. Those pictures are read again for their size,
// without reporting (their errors belong to frames outside the range); black at that size.
// Video frames come from pool. Every export of a range starts with it.
Image CarryCompositionBefore(const ProgramState& state, int first, VideoPool& pool);

// Composes each frame in turn and writes it. The pictures of the next frames are read on the
// worker threads (each video kept open and read forward until the export ends), frames are
// composed one after the other on this thread from their pictures alone (the editor's work
// images and displayed frame are left as they are) and encoded on the workers, with
// a few frames in memory at most. The composition starts as it would stand after the frames
// before the range, so a range writes the same files as the whole project. Errors come in frame
// order; a file that cannot be written is reported (saveimage, place 10) and the export goes
// on. The files do not depend on the number of workers. Returns the number of files that
// failed.
int WriteImageSequence(ProgramState& state, const SequenceJob& job);

// The menu entry: asks for a name and a format, stores the displayed mask and writes every
// frame.
void ExportImageSequence(ProgramState& state);

}  // namespace morvel
