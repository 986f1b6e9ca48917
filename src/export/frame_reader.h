#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "import/layer_picture.h"
#include "import/video_pool.h"
#include "platform/work_queue.h"
#include "project/program_state.h"

namespace morvel {

// Reads the pictures of the frames to come on the work queue's threads while earlier frames are
// composed and written. It knows which pictures ComposeFrame will ask for: those whose source
// differs from the frame before's (a picture repeated from the frame before is read once). The
// composing thread takes them through read(), in the order they were asked for; errors are
// reported there, on the composing thread, as reading them then would have.
class FrameReader : public LayerPictureReader {
public:
    // Starts with no picture held.
    FrameReader(const ProgramState& state, WorkQueue& queue, VideoPool& pool);
    // Reads still queued are skipped; those under way finish first.
    ~FrameReader() override;
    FrameReader(const FrameReader&) = delete;
    FrameReader& operator=(const FrameReader&) = delete;

    // Queues the reads that composing frame index will need. Call for each frame in order.
    void readAhead(int index);
    // Waits for the reads queued for frame index; false when any of them failed.
    bool frameReadable(int index);

    bool read(ProgramState& state, const std::string& layerSource, Image& picture) override;

private:
    struct Load;
    struct Pending {
        int frame = 0;
        std::string source;
        std::shared_ptr<Load> load;
    };
    void queueRead(int frame, const std::string& source);

    const ProgramState& m_state;
    WorkQueue& m_queue;
    VideoPool& m_pool;
    std::shared_ptr<std::atomic<bool>> m_cancelled;
    std::deque<Pending> m_pending;
    // What the composition will hold once the frames read ahead so far are composed.
    std::array<std::string, 2> m_layerSource;
    std::int32_t m_maskNumber = 0;
};

}  // namespace morvel
