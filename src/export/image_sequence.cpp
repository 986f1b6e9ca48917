#include "export/image_sequence.h"

#include <algorithm>
#include <deque>
#include <future>
#include <thread>

#include "editor/compose_frame.h"
#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "platform/text.h"
#include "project/name_template.h"
#include "project/project_file.h"

namespace morvel {

namespace {

// A frame handed to an encoder: its own copy of the composite, so the next frame can be
// composed meanwhile.
bool encodeAndWrite(Image picture, std::string name, PictureFormat format) {
    return SavePictureFile(picture, name, format);
}

struct PendingFrame {
    std::string name;
    std::future<bool> written;
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

int WriteImageSequence(ProgramState& state, const SequenceJob& job) {
    const int count = state.frames.size();
    const int first = std::max(0, job.first);
    const int last = job.last < 0 ? count - 1 : std::min(job.last, count - 1);
    const int total = std::max(0, last - first + 1);
    const std::size_t inFlight = static_cast<std::size_t>(std::max(1, job.encoders));
    const ErrorReporter reporter = state.reporter();
    int failures = 0;
    int written = 0;
    std::deque<PendingFrame> pending;

    // Waits for the oldest frame, so results (and error messages) come in frame order.
    const auto finishOldest = [&] {
        PendingFrame frame = std::move(pending.front());
        pending.pop_front();
        if (!frame.written.get()) {
            ++failures;
            reporter.report(ErrorKind::SaveImage, ErrorPlace::ImageExport, 400, frame.name);
        }
        ++written;
        if (job.progress) job.progress(written, total);
    };

    for (int i = first; i <= last; ++i) {
        if (job.stopRequested && job.stopRequested()) break;
        state.frames.selectIndex(i);
        ComposeFrame(state, 0);
        const std::string name = SequenceFileName(job.pattern, i + 1, count);
        if (pending.size() >= inFlight) finishOldest();
        pending.push_back({name, std::async(std::launch::async, encodeAndWrite,
                                            state.images.composite, name, job.format)});
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
    SelectFrame(state, kReselectDisplayed);
}

}  // namespace morvel
