#pragma once

#include <functional>
#include <string>

#include "codecs/picture_io.h"
#include "i18n/error_reporter.h"
#include "i18n/language_table.h"
#include "platform/background_watch.h"
#include "platform/shell.h"
#include "sequence/film.h"

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
    // Told of each frame's file once it is done (after its reports): whether it was written.
    std::function<void(const std::string& file, bool written)> fileDone;
};

// Writes the film's frames of the job as a FrameSequence composes them: the pictures of the next
// frames are read on the worker threads while frames are composed one after the other on this
// thread, and encoded on the workers, with a few frames in memory at most. Errors come in frame
// order; a file that cannot be written is reported (saveimage, place 10) and the export goes
// on. The files do not depend on the number of workers. Returns the number of files that
// failed.
int WriteImageSequence(const Film& film, ErrorReporter reporter, const SequenceJob& job);

// The menu entry: asks for a name and a format, calls beforeWriting (which brings the masks'
// working files up to date) and writes every frame of the film as it is then on a worker, which
// watch looks after (none: it is waited for); the status line tells the end.
// requesters (none: the shell's own) asks for the file, so that a caller can have its requesters
// open where they were last left.
void ExportImageSequence(const Film& film, Shell& shell, const LanguageTable& texts,
                         const std::function<void()>& beforeWriting,
                         BackgroundWatch* watch = nullptr, Dialogs* requesters = nullptr);

}  // namespace morvel
