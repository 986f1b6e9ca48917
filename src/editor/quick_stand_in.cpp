#include "editor/quick_stand_in.h"

#include <future>
#include <mutex>
#include <utility>

namespace morvel {

struct QuickStandIn::Shared {
    std::mutex mutex;
    std::uint64_t wanted = 0;  // the request a result must belong to
    int index = -1;
    FrameFiles files;
    FilmView view;
    bool made = false;
    Image picture;
};

QuickStandIn::QuickStandIn() : m_shared(std::make_shared<Shared>()) {}

QuickStandIn::~QuickStandIn() {
    cancel();  // what is queued is skipped; the queue joins the one being made
}

void QuickStandIn::request(int index, const FrameFiles& files, const FilmView& view) {
    std::uint64_t request = 0;
    {
        std::lock_guard lock(m_shared->mutex);
        Shared& s = *m_shared;
        request = ++s.wanted;
        s.index = index;
        s.files = files;
        s.view = view;
        s.made = false;
        s.picture = Image();
    }
    m_queue.post([shared = m_shared, request, files, view] {
        {
            std::lock_guard lock(shared->mutex);
            if (shared->wanted != request) return;  // a later step asked for another
        }
        Image picture;
        bool made = false;
        try {
            made = ComposeFilmFrame(files, view, picture, kReadFactor);
        } catch (...) {  // memory that could not be had: the step waits for the full picture
        }
        std::lock_guard lock(shared->mutex);
        if (shared->wanted != request || !made) return;
        shared->picture = std::move(picture);
        shared->made = true;
    });
}

void QuickStandIn::cancel() {
    std::lock_guard lock(m_shared->mutex);
    ++m_shared->wanted;
    m_shared->index = -1;
    m_shared->made = false;
    m_shared->picture = Image();
}

bool QuickStandIn::take(int index, const FrameFiles& files, const FilmView& view, Image& out) {
    std::lock_guard lock(m_shared->mutex);
    Shared& s = *m_shared;
    if (!s.made || s.index != index || !(s.files == files) || !(s.view == view)) return false;
    out = std::move(s.picture);
    s.made = false;
    s.picture = Image();
    return true;
}

void QuickStandIn::settle() {
    std::promise<void> done;
    m_queue.post([&done] { done.set_value(); });  // the thread takes its jobs in order
    done.get_future().wait();
}

}  // namespace morvel
