#include "editor/decode_ahead.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <set>
#include <tuple>
#include <utility>

#include "codecs/picture_io.h"
#include "import/avi_frames.h"
#include "import/frame_mask.h"
#include "platform/file_stamp.h"
#include "sequence/composition.h"
#include "sequence/film.h"
#include "sequence/scale_picture.h"

namespace morvel {

struct DecodeAhead::Slot {
    enum class Stage { Waiting, Decoding, Done, Dropped };
    std::mutex mutex;
    std::condition_variable done;
    Stage stage = Stage::Waiting;
    FileStamp stamp;
    bool isMask = false;  // a mask's working file: its grey is kept, not the picture
    Image picture;
    GreyImage mask;
    bool ok = false;
    bool givenOut = false;  // read() gave its picture out as it was decoded
    // A picture set aside by the window, taken instead of decoding the file.
    Image preset;
    GreyImage presetMask;
    FileStamp presetStamp;

    bool hasPreset() const { return isMask ? !presetMask.empty() : !preset.empty(); }
};

struct DecodeAhead::Aside {
    Image picture;
    GreyImage mask;
    FileStamp stamp;
};

// One neighbour's pictures, decoded one after the other on the thread and published together
// with the composite made from them.
struct DecodeAhead::Neighbour {
    FrameFiles files;
    std::array<std::shared_ptr<Slot>, 3> slots;  // null: no file, or one this neighbour does not own
    bool composes = false;  // every file is its own: the composite can be made
    ViewGeometry view;
    int canvasWidth = 0;
    int canvasHeight = 0;
    std::mutex mutex;
    bool composed = false;
    int width = 0;  // the composite's, also when only the canvas is kept
    int height = 0;
    Image composite;
    Image canvas;
};

struct DecodeAhead::Measure {
    std::atomic<std::size_t> neighbourBytes{0};
    std::atomic<int> memoryShortages{0};
};

namespace {

// Decodes what the slot's file holds, unless the slot was dropped meanwhile: a picture, or for a
// mask its grey.
bool decode(DecodeAhead::Slot& slot, const std::string& file, Image& picture, GreyImage& mask,
            FileStamp& stamp, DecodeAhead::Measure& measure) {
    {
        std::lock_guard lock(slot.mutex);
        if (slot.stage != DecodeAhead::Slot::Stage::Waiting) return false;
        slot.stage = DecodeAhead::Slot::Stage::Decoding;
        if (slot.hasPreset()) {
            if (slot.isMask)
                mask = std::move(slot.presetMask);
            else
                picture = std::move(slot.preset);
            stamp = slot.presetStamp;
            return true;
        }
    }
    stamp = StampOf(file);
    try {
        if (slot.isMask) {
            const LoadResult result = LoadMaskPictureFile(file, mask);
            if (result == LoadResult::OutOfMemory) ++measure.memoryShortages;
            return result == LoadResult::Ok && !mask.empty();
        }
        Image decoded;
        const LoadResult result = LoadPictureFile(file, decoded);
        if (result == LoadResult::OutOfMemory) ++measure.memoryShortages;
        if (result != LoadResult::Ok || decoded.empty()) return false;
        picture = std::move(decoded);
        return true;
    } catch (...) {  // memory that could not be had: read it when it is asked for
        ++measure.memoryShortages;
        return false;
    }
}

// Whether the file of files at k is decoded here when a neighbour needs it: video frames are
// read when asked for, and a mask kept in memory is taken from there.
bool owns(const FrameFiles& files, int k) {
    return !files[k].empty() && !(k == 2 && files.maskInMemory) && !IsAviReference(files[k]);
}

// Composes the neighbour from its pictures and scales it into a canvas of the view's size.
void compose(DecodeAhead::Neighbour& neighbour, const std::array<Image, 3>& layers,
             const GreyImage& mask, const std::array<bool, 3>& ok, Image& composite, Image& canvas,
             DecodeAhead::Measure& measure) {
    FramePictures taking;
    if (ok[0]) taking.layer1 = &layers[0];
    if (ok[1]) taking.layer2 = &layers[1];
    if (ok[2]) taking.mask = &mask;
    // Without a layer the composite has the size of the one before it, unknown here.
    if (!taking.layer1 && !taking.layer2) return;
    try {
        if (!ComposePictures(taking, 0, 0, composite)) return;
        if (neighbour.canvasWidth <= 0 || neighbour.canvasHeight <= 0) return;
        auto made = Image::create(neighbour.canvasWidth, neighbour.canvasHeight);
        if (!made) return;
        canvas = std::move(*made);
        DrawScaledPicture(composite, neighbour.view, canvas);
    } catch (...) {  // memory that could not be had: the window composes it itself
        composite = Image();
        canvas = Image();
        ++measure.memoryShortages;
    }
}

}  // namespace

DecodeAhead::DecodeAhead(std::size_t budget, std::int64_t composedAheadPixels)
    : m_budget(budget),
      m_composedAheadPixels(composedAheadPixels),
      m_measure(std::make_shared<Measure>()) {}

std::size_t DecodeAhead::NeighbourBytes(int width, int height, std::int64_t composedAheadPixels) {
    // Two layers, the grey mask and maybe the composite; the canvas is small beside them.
    const bool keepsComposite = std::int64_t{width} * height <= composedAheadPixels;
    return ((keepsComposite ? 3 : 2) * Image::strideFor(width) + GreyImage::strideFor(width)) *
           static_cast<std::size_t>(height);
}

int DecodeAhead::NeighboursWithin(std::size_t budget, std::size_t neighbourBytes) {
    if (neighbourBytes == 0) return 2;
    return static_cast<int>(std::min<std::size_t>(2, budget / neighbourBytes));
}

int DecodeAhead::mostNeighbours() const {
    return std::max(0, NeighboursWithin(m_budget, m_measure->neighbourBytes.load()) -
                           m_memoryShortages);
}

DecodeAhead::~DecodeAhead() {
    for (auto& [source, slot] : m_slots) {
        std::lock_guard lock(slot->mutex);
        if (slot->stage == Slot::Stage::Waiting) slot->stage = Slot::Stage::Dropped;
    }
}

void DecodeAhead::frameShown(const Document& document, const ViewGeometry& view, int canvasWidth,
                             int canvasHeight, int index, const FrameFiles& held,
                             const MasksInMemory* inMemory) {
    const FrameList& frames = document.frames;
    std::set<std::string> shown;
    for (int k = 0; k < 3; ++k) shown.insert(held[k]);
    // The neighbour in the direction of the last step first: the user is likely to go on.
    if (index != m_shown) m_forward = index > m_shown;
    const int ahead = m_forward ? index + 1 : index - 1;
    m_shown = index;
    // Memory that could not be had leaves one neighbour fewer from then on.
    if (const int shortages = m_measure->memoryShortages.exchange(0); shortages > 0)
        m_memoryShortages = std::min(2, m_memoryShortages + 1);
    std::vector<FrameFiles> wanted;
    // A displayed frame the window does not hold yet comes first, then only the frame ahead.
    const bool awaited = index >= 0 && index < frames.size() &&
                         FilesOf(document, frames.at(index), inMemory) != held;
    if (awaited) wanted.push_back(FilesOf(document, frames.at(index), inMemory));
    // The awaited frame counts against the budget: the window still holds the pictures of the
    // frame before it as well.
    const int most = awaited ? std::min(1, mostNeighbours() - 1) : mostNeighbours();
    for (int i : {ahead, 2 * index - ahead}) {
        if (static_cast<int>(wanted.size()) - (awaited ? 1 : 0) >= most) break;
        if (i >= 0 && i < frames.size())
            wanted.push_back(FilesOf(document, frames.at(i), inMemory));
    }
    const auto isWanted = [&](const std::string& file) {
        for (const FrameFiles& files : wanted) {
            if (!shown.contains(file) && files.contains(file))
                return true;
        }
        return false;
    };
    for (auto it = m_slots.begin(); it != m_slots.end();) {
        if (isWanted(it->first)) {
            ++it;
            continue;
        }
        {
            std::lock_guard lock(it->second->mutex);
            if (it->second->stage == Slot::Stage::Waiting) it->second->stage = Slot::Stage::Dropped;
        }
        it = m_slots.erase(it);
    }
    // A neighbour is kept while it is still wanted and none of its pictures was read out. One
    // made while the window showed some of its pictures has no slot for them: once they are
    // shown no longer it is made again, or a step back would read them while the user waits.
    std::erase_if(m_neighbours, [&](const std::shared_ptr<Neighbour>& neighbour) {
        for (int k = 0; k < 3; ++k) {
            const std::string& file = neighbour->files[k];
            const auto it = m_slots.find(file);
            if (neighbour->slots[k] && (it == m_slots.end() || it->second != neighbour->slots[k]))
                return true;
            if (!neighbour->slots[k] && owns(neighbour->files, k) && !shown.contains(file) &&
                it == m_slots.end())
                return true;
        }
        return std::find(wanted.begin(), wanted.end(), neighbour->files) == wanted.end();
    });
    std::vector<std::shared_ptr<Neighbour>> toMake;
    for (const FrameFiles& files : wanted) {
        const bool held = std::any_of(m_neighbours.begin(), m_neighbours.end(),
                                      [&](const auto& neighbour) { return neighbour->files == files; });
        if (held) continue;
        auto neighbour = std::make_shared<Neighbour>();
        neighbour->files = files;
        neighbour->composes = true;
        for (int k = 0; k < 3; ++k) {
            const std::string& file = files[k];
            if (file.empty() || (k == 2 && files.maskInMemory)) continue;
            // Video frames, the displayed frame's pictures and those another neighbour reads
            // are not this neighbour's own: the window composes it itself.
            if (!owns(files, k) || shown.contains(file) || m_slots.contains(file)) {
                neighbour->composes = false;
                continue;
            }
            neighbour->slots[k] = std::make_shared<Slot>();
            neighbour->slots[k]->isMask = k == 2;
            m_slots.emplace(file, neighbour->slots[k]);
            const auto aside = m_aside.find(file);
            if (aside != m_aside.end() && aside->second->stamp == StampOf(file)) {
                neighbour->slots[k]->preset = std::move(aside->second->picture);
                neighbour->slots[k]->presetMask = std::move(aside->second->mask);
                neighbour->slots[k]->presetStamp = aside->second->stamp;
            }
        }
        neighbour->view = view;
        neighbour->canvasWidth = canvasWidth;
        neighbour->canvasHeight = canvasHeight;
        m_neighbours.push_back(neighbour);
        toMake.push_back(neighbour);
    }
    // What was set aside and is not wanted is let go on the thread, not in the window's time,
    // and before the neighbours are made: both at once would hold two frames' pictures more.
    if (!m_aside.empty()) {
        auto unwanted = std::make_shared<decltype(m_aside)>(std::move(m_aside));
        m_aside.clear();
        m_queue.post([unwanted] { unwanted->clear(); });
    }
    for (const std::shared_ptr<Neighbour>& neighbour : toMake) {
        m_queue.post([neighbour, measure = m_measure, composedAheadPixels = m_composedAheadPixels] {
            std::array<Image, 3> pictures;  // the layers' (a mask's slot leaves its own empty)
            GreyImage mask;
            std::array<FileStamp, 3> stamps;
            std::array<bool, 3> ok{false, false, false};
            bool whole = neighbour->composes;
            if (neighbour->files.maskInMemory) {
                try {
                    ok[2] = ReadFrameMask(neighbour->files, mask);
                } catch (...) {  // memory that could not be had: the window composes it itself
                }
                whole = whole && ok[2];
            }
            // The mask first: its file's data, inflated to the size of a picture, is let go
            // before the layers take their memory.
            for (const int k : {2, 0, 1}) {
                if (!neighbour->slots[k]) continue;
                ok[k] = decode(*neighbour->slots[k], neighbour->files[k], pictures[k], mask,
                               stamps[k], *measure);
                whole = whole && ok[k];
            }
            Image composite;
            Image canvas;
            if (whole) compose(*neighbour, pictures, mask, ok, composite, canvas, *measure);
            const int width = composite.width();
            const int height = composite.height();
            if (std::int64_t{width} * height > composedAheadPixels) composite = Image();
            for (int k = 0; k < 2; ++k) {
                if (!pictures[k].empty())
                    measure->neighbourBytes = NeighbourBytes(
                        pictures[k].width(), pictures[k].height(), composedAheadPixels);
            }
            {
                std::lock_guard lock(neighbour->mutex);
                neighbour->width = width;
                neighbour->height = height;
                neighbour->composite = std::move(composite);
                neighbour->canvas = std::move(canvas);
                neighbour->composed = !neighbour->canvas.empty() || !neighbour->composite.empty();
            }
            for (int k = 0; k < 3; ++k) {
                Slot* slot = neighbour->slots[k].get();
                if (!slot) continue;
                {
                    std::lock_guard lock(slot->mutex);
                    if (slot->stage != Slot::Stage::Decoding) continue;  // dropped before it began
                    slot->stamp = stamps[k];
                    slot->picture = std::move(pictures[k]);
                    if (slot->isMask) slot->mask = std::move(mask);
                    slot->ok = ok[k];
                    slot->stage = Slot::Stage::Done;
                }
                slot->done.notify_all();
            }
        });
    }
}

void DecodeAhead::letGo() {
    for (auto& [file, slot] : m_slots) {
        std::lock_guard lock(slot->mutex);
        if (slot->stage == Slot::Stage::Waiting) slot->stage = Slot::Stage::Dropped;
    }
    // Freed on the thread, not in the window's time; a neighbour being made goes when it is.
    auto unwanted = std::make_shared<std::tuple<decltype(m_slots), decltype(m_neighbours),
                                                decltype(m_aside)>>(
        std::move(m_slots), std::move(m_neighbours), std::move(m_aside));
    m_slots.clear();
    m_neighbours.clear();
    m_aside.clear();
    m_given.clear();
    m_shown = -1;
    m_queue.post([unwanted = std::move(unwanted)]() mutable { unwanted.reset(); });
}

void DecodeAhead::settle() {
    std::promise<void> done;
    m_queue.post([&done] { done.set_value(); });  // the thread takes its jobs in order
    done.get_future().wait();
}

void DecodeAhead::setAside(const std::string& file, Image&& picture) {
    const auto read = m_given.find(file);
    if (read == m_given.end() || IsAviReference(file)) return;
    auto aside = std::make_shared<Aside>();
    aside->stamp = read->second;
    m_given.erase(read);
    aside->picture = std::move(picture);
    m_aside[file] = std::move(aside);
}

void DecodeAhead::setAsideMask(const std::string& file, GreyImage&& mask) {
    const auto read = m_given.find(file);
    if (read == m_given.end()) return;
    auto aside = std::make_shared<Aside>();
    aside->stamp = read->second;
    m_given.erase(read);
    aside->mask = std::move(mask);
    m_aside[file] = std::move(aside);
}

bool DecodeAhead::takePrepared(const std::string& file, Image* picture, GreyImage* mask) {
    const auto it = m_slots.find(file);
    if (it == m_slots.end()) return false;
    const std::shared_ptr<Slot> slot = it->second;
    m_slots.erase(it);
    std::unique_lock lock(slot->mutex);
    // A file prepared as the other kind (a mask's file named as a layer) is read again.
    if (slot->isMask != (mask != nullptr)) {
        if (slot->stage == Slot::Stage::Waiting) slot->stage = Slot::Stage::Dropped;
        return false;
    }
    if (slot->stage == Slot::Stage::Waiting) {
        // Not started: reading it here is quicker than waiting for the pictures before it.
        slot->stage = Slot::Stage::Dropped;
        if (!slot->hasPreset() || slot->presetStamp != StampOf(file)) return false;
        if (mask)
            *mask = std::move(slot->presetMask);
        else
            *picture = std::move(slot->preset);
        given(file, slot->presetStamp);
        return true;
    }
    slot->done.wait(lock, [&] { return slot->stage == Slot::Stage::Done; });
    if (!slot->ok || slot->stamp != StampOf(file)) return false;
    if (mask)
        *mask = std::move(slot->mask);
    else
        *picture = std::move(slot->picture);
    slot->givenOut = true;
    given(file, slot->stamp);
    return true;
}

bool DecodeAhead::readMask(Services& /*services*/, const std::string& file, GreyImage& mask) {
    if (takePrepared(file, nullptr, &mask)) return true;
    const FileStamp stamp = StampOf(file);
    if (!ReadMaskFile(file, mask)) return false;
    given(file, stamp);
    return true;
}

bool DecodeAhead::read(Services& services, const std::string& layerSource, Image& picture) {
    if (takePrepared(layerSource, &picture, nullptr)) return true;
    const FileStamp stamp = StampOf(layerSource);
    if (!ReadLayerPictureNow(services, picture, layerSource)) return false;
    given(layerSource, stamp);
    return true;
}

bool DecodeAhead::readyFor(const FrameFiles& files) {
    for (int k = 0; k < 3; ++k) {
        // A file not prepared here is read when it is asked for: waiting would not bring it.
        const auto it = m_slots.find(files[k]);
        if (files[k].empty() || it == m_slots.end()) continue;
        Slot& slot = *it->second;
        std::lock_guard lock(slot.mutex);
        const bool presetWaits = slot.stage == Slot::Stage::Waiting && slot.hasPreset();
        if (slot.stage != Slot::Stage::Done && !presetWaits) return false;
    }
    return true;
}

void DecodeAhead::givenElsewhere(const std::string& file) {
    given(file, StampOf(file));
}

void DecodeAhead::given(const std::string& file, const FileStamp& stamp) {
    // The window holds three pictures: more entries belong to pictures it has let go.
    constexpr std::size_t kMostGiven = 16;
    if (m_given.size() >= kMostGiven) m_given.clear();
    m_given[file] = stamp;
}

bool DecodeAhead::takeComposed(const FrameFiles& files, ComposedAhead& out) {
    const auto it = std::find_if(m_neighbours.begin(), m_neighbours.end(),
                                 [&](const auto& neighbour) { return neighbour->files == files; });
    if (it == m_neighbours.end()) return false;
    const std::shared_ptr<Neighbour> neighbour = *it;
    m_neighbours.erase(it);
    // Made from exactly the pictures the window now holds: each was given out as decoded.
    for (const auto& slot : neighbour->slots) {
        if (!slot) continue;
        std::lock_guard lock(slot->mutex);
        if (!slot->givenOut) return false;
    }
    std::lock_guard lock(neighbour->mutex);
    if (!neighbour->composes || !neighbour->composed) return false;
    out.width = neighbour->width;
    out.height = neighbour->height;
    out.composite = std::move(neighbour->composite);
    out.canvas = std::move(neighbour->canvas);
    out.view = neighbour->view;
    return true;
}

}  // namespace morvel
