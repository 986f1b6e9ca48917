#include "export/image_sequence.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "editor/frame_composition.h"
#include "editor/masks.h"
#include "export/frame_reader.h"
#include "import/layer_picture.h"
#include "import/video_pool.h"
#include "platform/text.h"
#include "platform/work_queue.h"
#include "project/name_template.h"
#include "project/project_file.h"

namespace morvel {

namespace {

// The size of the work images at start: what a frame without a picture is composed at until a
// frame with one has set the composite's size.
constexpr int kStartWidth = 640;
constexpr int kStartHeight = 480;

// A composed frame on its way to a file. Its picture is a copy of the composite, so the next
// frame can be composed meanwhile; the buffer is used again for a later frame.
struct Encoding {
    std::string name;
    Image picture;
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool written = false;

    void finish(bool ok) {
        {
            std::lock_guard lock(mutex);
            written = ok;
            finished = true;
        }
        done.notify_all();
    }
    bool wait() {
        std::unique_lock lock(mutex);
        done.wait(lock, [this] { return finished; });
        return written;
    }
};

}  // namespace

SequenceFormat SequenceFormatForFilter(int filterIndex) {
    switch (filterIndex) {
        case 1:
            return {PictureFormat::Png, ".<\?\?\?>.png"};
        case 2:
            return {PictureFormat::Jpeg, ".<\?\?\?>.jpg"};
        default:
            return {PictureFormat::Bmp, ".<\?\?\?>.bmp"};
    }
}

std::string SequencePattern(const std::string& chosenPath, const SequenceFormat& format) {
    return ReplaceExtension(chosenPath, format.suffix);
}

std::string SequenceFileName(const std::string& pattern, int k, int frameCount) {
    std::string number = std::to_string(k);
    const int digits = DigitCount(frameCount);
    if (static_cast<int>(number.size()) < digits) number.insert(0, digits - number.size(), '0');
    return ReplaceAll(pattern, kFrameNumberPlaceholder, number);
}

Image CarryCompositionBefore(const ProgramState& state, int first, VideoPool& pool) {
    int width = kStartWidth;
    int height = kStartHeight;
    for (int j = first - 1; j >= 0; --j) {
        const FrameRecord& frame = state.document.frames.at(j);
        int w = Image::kMaxSide;
        int h = Image::kMaxSide;
        const auto include = [&](const std::string& source) {
            Image picture;
            if (source.empty() || !ReadLayerSource(source, pool, picture).ok) return false;
            w = std::min(w, picture.width());
            h = std::min(h, picture.height());
            return true;
        };
        const FrameFiles files = FilesOf(state.document, frame);
        const bool layer1 = include(files[0]);
        const bool layer2 = include(files[1]);
        if (!layer1 && !layer2) continue;
        include(files[2]);
        width = w;
        height = h;
        break;
    }
    auto black = Image::create(width, height);
    return black ? std::move(*black) : Image{};
}

int WriteImageSequence(ProgramState& state, const SequenceJob& job) {
    const int count = state.document.frames.size();
    const int first = std::max(0, job.first);
    const int last = job.last < 0 ? count - 1 : std::min(job.last, count - 1);
    const int total = std::max(0, last - first + 1);
    if (total == 0) return 0;
    const int workers = std::max(0, job.encoders);
    // In memory at once: the frame composed, the next frame's pictures read meanwhile (each of
    // its reads is a job of its own, so they keep every worker busy), and one frame being
    // encoded per worker.
    const int ahead = workers > 0 ? 1 : 0;
    const std::size_t encoding = static_cast<std::size_t>(std::max(1, workers));
    const ErrorReporter reporter = state.reporter();
    int failures = 0;
    int written = 0;

    // Destroyed in reverse: the reader skips what it queued, the queue finishes its jobs, then
    // the videos close.
    VideoPool videos;
    WorkQueue queue(workers);
    Image composite = CarryCompositionBefore(state, first, videos);
    FrameReader reader(state, queue, videos);
    SequencePictures pictures([&](const std::string& source,
                                  Image& picture) { return reader.read(state, source, picture); },
                              reporter, state.document.masks);

    std::deque<std::shared_ptr<Encoding>> pending;
    std::vector<Image> spare;  // buffers of frames written, for the frames to come
    // Waits for the oldest frame, so results (and error messages) come in frame order.
    const auto finishOldest = [&] {
        std::shared_ptr<Encoding> frame = std::move(pending.front());
        pending.pop_front();
        if (!frame->wait()) {
            ++failures;
            reporter.report(ErrorKind::SaveImage, ErrorPlace::ImageExport, 400, frame->name);
        }
        spare.push_back(std::move(frame->picture));
        ++written;
        if (job.progress) job.progress(written, total);
    };

    int readUpTo = first - 1;
    for (int i = first; i <= last; ++i) {
        if (job.stopRequested && job.stopRequested()) break;
        while (readUpTo < std::min(last, i + ahead)) reader.readAhead(++readUpTo);
        // A frame whose pictures fail reports while composing: the frames before it report
        // first.
        if (!reader.frameReadable(i)) {
            while (!pending.empty()) finishOldest();
        }
        pictures.compose(state.document.frames.at(i), composite);
        if (pending.size() >= encoding) finishOldest();

        auto frame = std::make_shared<Encoding>();
        frame->name = SequenceFileName(job.pattern, i + 1, count);
        if (!spare.empty()) {
            frame->picture = std::move(spare.back());
            spare.pop_back();
        }
        frame->picture = composite;  // reuses the buffer's memory when it fits
        pending.push_back(frame);
        queue.post([frame, format = job.format] {
            bool saved = false;
            try {
                saved = SavePictureFile(frame->picture, frame->name, format);
            } catch (...) {  // memory that could not be had: the file is not written
            }
            frame->finish(saved);
        });
    }
    while (!pending.empty()) finishOldest();
    return failures;
}

void ExportImageSequence(ProgramState& state) {
    const LanguageTable& texts = state.language.texts;
    const FileChoice choice =
        state.shell.requestSaveFile({texts[Text::RequesterImageexporttitle], "frame",
                                     texts[Text::RequesterImageexporttext], 0});
    if (choice.path.empty()) return;
    const SequenceFormat format = SequenceFormatForFilter(choice.filterIndex);
    StoreDisplayedMask(state);
    SequenceJob job;
    job.pattern = SequencePattern(choice.path, format);
    job.format = format.format;
    job.encoders = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    WriteImageSequence(state, job);
}

}  // namespace morvel
