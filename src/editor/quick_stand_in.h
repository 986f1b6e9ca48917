#pragma once

#include <memory>

#include "platform/image.h"
#include "platform/work_queue.h"
#include "sequence/film.h"
#include "sequence/scaled_frame.h"

namespace morvel {

// A stand-in for a step to a frame the playback cache lacks: the frame composed canvas-sized from
// its pictures read at an eighth of their size, on a thread of its own, so that it comes long
// before the full-size pictures. Only the frame asked for last is made; what was asked for
// before and not begun is skipped.
class QuickStandIn {
public:
    // How much smaller the pictures are read: the decoder's largest reduction.
    static constexpr int kReadFactor = 8;

    QuickStandIn();
    ~QuickStandIn();
    QuickStandIn(const QuickStandIn&) = delete;
    QuickStandIn& operator=(const QuickStandIn&) = delete;

    // Asks for frame index (of files) in view; what was asked for before is no longer wanted.
    void request(int index, const FrameFiles& files, const FilmView& view);
    // Forgets what was asked for: the frame was composed.
    void cancel();
    // The picture asked for last, once made, given out once; false while it is being made, or
    // when index, files or view are not those asked for.
    bool take(int index, const FrameFiles& files, const FilmView& view, Image& out);
    // Waits until nothing is being made.
    void settle();

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    WorkQueue m_queue{1};
};

}  // namespace morvel
