#pragma once

#include "i18n/error_reporter.h"
#include "import/video_pool.h"
#include "platform/image.h"
#include "platform/work_queue.h"
#include "sequence/film.h"
#include "sequence/frame_reader.h"
#include "sequence/sequence_pictures.h"

namespace morvel {

// The composed frames of a range of a film at full size, one after the other, as the editor
// would show them stepping through the film: only the pictures that differ from the frame
// before's are read, and those of the frames to come are read on the queue's threads meanwhile
// (each video kept open and read forward). The composition starts as it would stand after the
// frames before the range, so a range composes the same frames as the whole film. Errors are
// reported on the composing thread, in frame order, as the editor reports them.
class FrameSequence {
public:
    // Frames first..last (0-based, inclusive; last -1: the film's last frame). readAhead: how many
    // frames past the one being composed have their pictures read meanwhile.
    FrameSequence(const Film& film, int first, int last, WorkQueue& queue, ErrorReporter reporter,
                  int readAhead = 1);
    FrameSequence(const FrameSequence&) = delete;
    FrameSequence& operator=(const FrameSequence&) = delete;

    int first() const { return m_first; }
    int last() const { return m_last; }
    int total() const { return m_last >= m_first ? m_last - m_first + 1 : 0; }
    bool atEnd() const { return m_next > m_last; }
    // The frame that composeNext composes.
    int index() const { return m_next; }

    // Waits for the pictures of the next frame; false when any of them failed (composing it
    // then reports that).
    bool nextReadable();
    // Composes the next frame and moves on. The composite stays valid until the next call.
    const Image& composeNext();

private:
    void readAheadUpTo(int index);

    Film m_film;
    int m_first;
    int m_last;
    int m_next;
    int m_readUpTo;
    int m_readAhead;
    // Destroyed in reverse: the reader skips what it queued and waits for what is under way,
    // then the videos close.
    VideoPool m_videos;
    FrameReader m_reader;
    SequencePictures m_pictures;
    Image m_composite;
};

}  // namespace morvel
