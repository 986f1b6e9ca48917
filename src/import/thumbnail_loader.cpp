#include "import/thumbnail_loader.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "import/avi_frames.h"
#include "import/thumbnail.h"
#include "import/thumbnail_cache.h"
#include "codecs/picture_io.h"

namespace morvel {

namespace {

// The error number the reader reports for each way opening a video fails.
int videoOpenError(VideoReader::OpenResult result) {
    switch (result) {
        case VideoReader::OpenResult::NoVideoStream:
            return 1;
        case VideoReader::OpenResult::NoDecoder:
            return 2;
        default:
            return 0;
    }
}

// Starts a worker; without one (no thread to be had) the caller does all the work alone.
std::thread startWorker(auto&& body) {
    try {
        return std::thread(std::forward<decltype(body)>(body));
    } catch (const std::system_error&) {
        return std::thread();
    }
}

}  // namespace

DecodedThumbnail DecodeLayerThumbnail(const std::string& source) {
    DecodedThumbnail decoded;
    Image picture;
    if (IsAviReference(source)) {
        VideoReader reader;
        const VideoReader::OpenResult opened = reader.open(ParseAviReference(source).videoPath);
        if (opened != VideoReader::OpenResult::Ok) {
            decoded.videoError = videoOpenError(opened);
            return decoded;
        }
        if (!FetchAviFrame(reader, source, picture)) return decoded;
        if (!picture.empty()) decoded.thumbnail = MakeThumbnail(picture);
        return decoded;
    }
    // A picture file: its 128-pixel picture from the shared thumbnail cache, or decoded as
    // small as the format allows and put in the cache for the next time.
    const ThumbnailCache cache = ThumbnailCache::FromEnvironment();
    if (std::optional<Image> cached = cache.find(source)) {
        decoded.thumbnail = MakeThumbnail(*cached);
        return decoded;
    }
    if (LoadPictureFileReduced(source, picture, ThumbnailCache::kSide, ThumbnailCache::kSide) !=
            LoadResult::Ok ||
        picture.empty()) {
        return decoded;
    }
    decoded.thumbnail = MakeThumbnail(cache.store(source, picture));
    return decoded;
}

// ---- ThumbnailLoader -----------------------------------------------------------------------

ThumbnailLoader::ThumbnailLoader(std::vector<std::string> sources, std::size_t ahead)
    : m_sources(std::move(sources)),
      m_ahead(std::max<std::size_t>(ahead, 1)),
      m_slots(m_sources.size()) {
    if (m_sources.size() < 2) return;  // the caller decodes a single source itself
    const std::size_t cores = std::max(std::thread::hardware_concurrency(), 2u);
    const std::size_t workers = std::min({cores - 1, std::size_t{3}, m_sources.size() - 1});
    for (std::size_t i = 0; i < workers; ++i) {
        std::thread worker = startWorker([this] { work(); });
        if (!worker.joinable()) break;
        m_workers.push_back(std::move(worker));
    }
}

ThumbnailLoader::~ThumbnailLoader() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    for (std::thread& worker : m_workers) worker.join();
}

std::size_t ThumbnailLoader::claimable() const {
    const std::size_t end = std::min(m_sources.size(), m_taken + m_ahead);
    for (std::size_t i = m_nextClaim; i < end; ++i) {
        if (m_slots[i].state == SlotState::Waiting) return i;
    }
    return m_sources.size();
}

void ThumbnailLoader::decodeClaimed(std::size_t i, std::unique_lock<std::mutex>& lock) {
    m_slots[i].state = SlotState::Claimed;
    m_nextClaim = std::max(m_nextClaim, i + 1);
    lock.unlock();
    DecodedThumbnail result = DecodeLayerThumbnail(m_sources[i]);
    lock.lock();
    m_slots[i].result = std::move(result);
    m_slots[i].state = SlotState::Done;
    m_changed.notify_all();
}

void ThumbnailLoader::work() {
    std::unique_lock lock(m_mutex);
    while (!m_stop && m_nextClaim < m_sources.size()) {
        const std::size_t i = claimable();
        if (i == m_sources.size()) {
            m_changed.wait(lock);
            continue;
        }
        decodeClaimed(i, lock);
    }
}

DecodedThumbnail ThumbnailLoader::take(std::size_t i) {
    if (i >= m_sources.size()) return {};
    std::unique_lock lock(m_mutex);
    m_taken = std::max(m_taken, i + 1);
    m_nextClaim = std::max(m_nextClaim, i);  // sources left out are not decoded any more
    m_changed.notify_all();                  // the look-ahead window moved on
    if (m_slots[i].state == SlotState::Waiting) decodeClaimed(i, lock);
    while (m_slots[i].state != SlotState::Done) {
        // A worker decodes source i: decode the next one meanwhile instead of waiting.
        const std::size_t next = claimable();
        if (next < m_sources.size()) {
            decodeClaimed(next, lock);
        } else {
            m_changed.wait(lock);
        }
    }
    return std::move(m_slots[i].result);
}

// ---- VideoFramePipeline --------------------------------------------------------------------

VideoFramePipeline::VideoFramePipeline(VideoReader& reader, std::string videoPath, int first,
                                       int count, std::size_t ahead)
    : m_reader(reader),
      m_videoPath(std::move(videoPath)),
      m_first(first),
      m_count(std::max(count, 0)),
      m_ahead(std::max<std::size_t>(ahead, 1)) {
    if (m_count > 1) m_worker = startWorker([this] { work(); });
}

VideoFramePipeline::~VideoFramePipeline() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_worker.joinable()) m_worker.join();
}

void VideoFramePipeline::work() {
    for (int k = 0; k < m_count; ++k) {
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || m_ready.size() < m_ahead; });
            if (m_stop) return;
        }
        Image picture;
        std::optional<Image> frame;
        if (FetchAviFrame(m_reader, MakeAviReference(m_first + k, m_videoPath), picture)) {
            frame = std::move(picture);
        }
        {
            std::lock_guard lock(m_mutex);
            m_ready.push_back(std::move(frame));
        }
        m_changed.notify_all();
    }
}

std::optional<Image> VideoFramePipeline::take() {
    if (m_delivered >= m_count) return std::nullopt;
    const int k = m_delivered++;
    if (!m_worker.joinable()) {
        // No worker: the caller decodes the frame itself.
        Image picture;
        if (!FetchAviFrame(m_reader, MakeAviReference(m_first + k, m_videoPath), picture)) {
            return std::nullopt;
        }
        return picture;
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_ready.empty(); });
    std::optional<Image> frame = std::move(m_ready.front());
    m_ready.pop_front();
    lock.unlock();
    m_changed.notify_all();
    return frame;
}

}  // namespace morvel
