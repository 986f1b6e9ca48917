#include "export/image_sequence.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "export/export_on_worker.h"
#include "export/film_snapshot.h"
#include "platform/text.h"
#include "platform/work_queue.h"
#include "project/name_template.h"
#include "sequence/frame_sequence.h"

namespace morvel {

namespace {

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

int WriteImageSequence(const Film& film, ErrorReporter reporter, const SequenceJob& job) {
    const int count = film.size();
    const int workers = std::max(0, job.encoders);
    // In memory at once: the frame composed, the next frame's pictures read meanwhile (each of
    // its reads is a job of its own, so they keep every worker busy), and one frame being
    // encoded per worker.
    const int ahead = workers > 0 ? 1 : 0;
    const std::size_t encoding = static_cast<std::size_t>(std::max(1, workers));
    int failures = 0;
    int written = 0;

    // Destroyed in reverse: the sequence skips the reads it queued, then the queue finishes its
    // jobs.
    WorkQueue queue(workers);
    FrameSequence frames(film, job.first, job.last, queue, reporter, ahead);
    const int total = frames.total();
    if (total == 0) return 0;

    std::deque<std::shared_ptr<Encoding>> pending;
    std::vector<Image> spare;  // buffers of frames written, for the frames to come
    // Waits for the oldest frame, so results (and error messages) come in frame order.
    const auto finishOldest = [&] {
        std::shared_ptr<Encoding> frame = std::move(pending.front());
        pending.pop_front();
        const bool saved = frame->wait();
        if (!saved) {
            ++failures;
            reporter.report(ErrorKind::SaveImage, ErrorPlace::ImageExport, 400, frame->name);
        }
        if (job.fileDone) job.fileDone(frame->name, saved);
        spare.push_back(std::move(frame->picture));
        ++written;
        if (job.progress) job.progress(written, total);
    };

    while (!frames.atEnd()) {
        if (job.stopRequested && job.stopRequested()) break;
        const int i = frames.index();
        // A frame whose pictures fail reports while composing: the frames before it report
        // first.
        if (!frames.nextReadable()) {
            while (!pending.empty()) finishOldest();
        }
        const Image& composite = frames.composeNext();
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

void ExportImageSequence(const Film& film, Shell& shell, const LanguageTable& texts,
                         const std::function<void()>& beforeWriting, BackgroundWatch* watch,
                         Dialogs* requesters) {
    const FileChoice choice =
        (requesters ? *requesters : shell).requestSaveFile({texts[Text::RequesterImageexporttitle], "frame",
                               texts[Text::RequesterImageexporttext], 0});
    if (choice.path.empty()) return;
    const SequenceFormat format = SequenceFormatForFilter(choice.filterIndex);
    if (beforeWriting) beforeWriting();
    if (film.size() == 0) return;
    SequenceJob job;
    job.pattern = SequencePattern(choice.path, format);
    job.format = format.format;
    job.encoders = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    auto snapshot = std::make_shared<const FilmSnapshot>(film);
    RunExportOnWorker(
        watch, shell, texts, texts[Text::RequesterImageexporttitle], film.size(),
        [snapshot, job](ExportLink& link) {
            SequenceJob linked = job;
            linked.stopRequested = [&link] { return link.stopRequested(); };
            linked.fileDone = [&link](const std::string& file, bool written) {
                if (written) link.wrote(file);
                link.frameDone();
            };
            WriteImageSequence(snapshot->film(), link.reporter(), linked);
        },
        [&shell, &texts](const ExportOutcome& outcome) {
            shell.showStatus(StatusPart::Notice, ExportEndNotice(texts, outcome));
        });
}

}  // namespace morvel
