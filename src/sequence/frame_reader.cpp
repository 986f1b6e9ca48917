#include "sequence/frame_reader.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <utility>

#include "codecs/picture_io.h"
#include "import/avi_frames.h"
#include "import/frame_mask.h"
#include "import/layer_picture.h"

namespace morvel {

struct FrameReader::Load {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    Image picture;
    GreyImage mask;  // instead of picture for a mask's working file
    LayerRead result;

    void finish(Image decoded, GreyImage grey, LayerRead read) {
        {
            std::lock_guard lock(mutex);
            picture = std::move(decoded);
            mask = std::move(grey);
            result = read;
            finished = true;
        }
        done.notify_all();
    }
    void wait() {
        std::unique_lock lock(mutex);
        done.wait(lock, [this] { return finished; });
    }
};

FrameReader::FrameReader(const Film& film, WorkQueue& queue, VideoPool& pool,
                         ErrorReporter reporter)
    : m_film(film),
      m_reporter(reporter),
      m_queue(queue),
      m_pool(pool),
      m_cancelled(std::make_shared<std::atomic<bool>>(false)) {}

FrameReader::~FrameReader() {
    m_cancelled->store(true);
    for (Pending& pending : m_pending) pending.load->wait();
}

void FrameReader::queueRead(int frame, const std::string& source, bool mask) {
    auto load = std::make_shared<Load>();
    m_pending.push_back({frame, source, load});
    std::optional<VideoPool::Turn> turn;
    AviReference reference;
    if (IsAviReference(source)) {
        // The turn is taken here, in frame order, so the video decodes forward.
        reference = ParseAviReference(source);
        turn = m_pool.takeTurn(reference.videoPath);
    }
    m_queue.post([load, source, turn, reference, mask, cancelled = m_cancelled, &pool = m_pool] {
        LayerRead read;
        Image decoded;
        GreyImage grey;
        try {
            if (cancelled->load()) {
                if (turn) pool.pass(*turn);
            } else if (turn) {
                const VideoPool::Result result = pool.read(*turn, reference.frame, decoded);
                if (result.opened != VideoReader::OpenResult::Ok) {
                    read.videoOpenError = AviOpenErrorNumber(result.opened);
                }
                read.ok = result.ok();
            } else {
                read.ok = LoadPictureFile(source, decoded) == LoadResult::Ok;
            }
            if (mask && read.ok && !decoded.empty()) {
                auto taken = GreyFromBlue(decoded);
                read.ok = taken.has_value();
                if (taken) grey = std::move(*taken);
                decoded = Image();
            }
        } catch (...) {  // memory that could not be had: the picture is not there
            read = LayerRead{};
        }
        read.ok = read.ok && (mask ? !grey.empty() : !decoded.empty());
        load->finish(std::move(decoded), std::move(grey), read);
    });
}

void FrameReader::readAhead(int index) {
    const FrameRecord& frame = m_film.frames.at(index);
    for (int layer = 0; layer < 2; ++layer) {
        const std::string& source = frame.layerSource[layer];
        if (source == m_layerSource[layer]) continue;
        m_layerSource[layer] = source;
        if (!source.empty()) queueRead(index, source);
    }
    if (frame.maskNumber != m_maskNumber) {
        m_maskNumber = frame.maskNumber;
        // A mask kept in memory is not read from its file (ReadFrameMask takes it from there).
        const FrameFiles files = m_film.frameFiles(frame);
        if (m_maskNumber != 0 && !files.maskInMemory) queueRead(index, files.mask, true);
    }
}

bool FrameReader::frameReadable(int index) {
    bool readable = true;
    for (Pending& pending : m_pending) {
        if (pending.frame != index) continue;
        pending.load->wait();
        readable = readable && pending.load->result.ok;
    }
    return readable;
}

std::shared_ptr<FrameReader::Load> FrameReader::takePending(const std::string& source) {
    if (m_pending.empty() || m_pending.front().source != source) return nullptr;
    std::shared_ptr<Load> load = std::move(m_pending.front().load);
    m_pending.pop_front();
    load->wait();
    return load;
}

bool FrameReader::readMask(const std::string& file, GreyImage& mask) {
    const std::shared_ptr<Load> load = takePending(file);
    if (!load) return ReadMaskFile(file, mask, [this](const std::string& source, Image& picture) {
        return read(source, picture);
    });
    if (load->result.ok && !load->mask.empty()) {
        mask = std::move(load->mask);
        return true;
    }
    // Read as a layer picture by mistake (the same file named as a layer): take its blue.
    if (load->result.ok && !load->picture.empty()) {
        auto grey = GreyFromBlue(load->picture);
        if (grey) mask = std::move(*grey);
        return grey.has_value();
    }
    ReportLayerRead(m_reporter, load->result);
    return false;
}

bool FrameReader::read(const std::string& layerSource, Image& picture) {
    LayerRead result;
    if (const std::shared_ptr<Load> load = takePending(layerSource)) {
        result = load->result;
        if (result.ok && !load->picture.empty()) {
            picture = std::move(load->picture);
        } else if (result.ok) {
            // A mask's working file named as a layer source: read it whole now.
            result = ReadLayerSource(layerSource, m_pool, picture);
        }
    } else {
        // Not a picture read ahead (nothing else composes during an export): read it now.
        result = ReadLayerSource(layerSource, m_pool, picture);
    }
    if (!result.ok) ReportLayerRead(m_reporter, result);
    return result.ok;
}

}  // namespace morvel
