#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "i18n/error_reporter.h"
#include "import/video_pool.h"
#include "platform/grey_image.h"
#include "platform/image.h"
#include "platform/work_queue.h"
#include "sequence/film.h"

namespace morvel {

// Reads the pictures of the frames to come on the work queue's threads while earlier frames are
// composed and written. It knows which pictures ComposeFrame will ask for: those whose source
// differs from the frame before's (a picture repeated from the frame before is read once). The
// composing thread takes them through read(), in the order they were asked for; errors are
// reported there, on the composing thread, as reading them then would have.
class FrameReader {
public:
    // Starts with no picture held. The film must outlive the reader.
    FrameReader(const Film& film, WorkQueue& queue, VideoPool& pool, ErrorReporter reporter);
    // Reads still queued are skipped; those under way finish first.
    ~FrameReader();
    FrameReader(const FrameReader&) = delete;
    FrameReader& operator=(const FrameReader&) = delete;

    // Queues the reads that composing frame index will need. Call for each frame in order.
    void readAhead(int index);
    // Waits for the reads queued for frame index; false when any of them failed.
    bool frameReadable(int index);

    // The picture of layerSource: the one read ahead when it is the next asked for, otherwise
    // read now. A video that cannot be opened is reported here.
    bool read(const std::string& layerSource, Image& picture);
    // The same for a mask's working file: its grey (the blue of the picture), taken on the
    // reading thread so that only a third of the picture waits.
    bool readMask(const std::string& file, GreyImage& mask);

private:
    struct Load;
    struct Pending {
        int frame = 0;
        std::string source;
        std::shared_ptr<Load> load;
    };
    void queueRead(int frame, const std::string& source, bool mask = false);
    // The next pending read when it is source's; null otherwise.
    std::shared_ptr<Load> takePending(const std::string& source);

    const Film& m_film;
    ErrorReporter m_reporter;
    WorkQueue& m_queue;
    VideoPool& m_pool;
    std::shared_ptr<std::atomic<bool>> m_cancelled;
    std::deque<Pending> m_pending;
    // What the composition will hold once the frames read ahead so far are composed.
    std::array<std::string, 2> m_layerSource;
    std::int32_t m_maskNumber = 0;
};

}  // namespace morvel
