#include "tools/render_carry.h"

#include <chrono>

#include "codecs/picture_io.h"
#include "editor/carried_mask.h"
#include "import/video_pool.h"
#include "project/project_file.h"

namespace morvel {

namespace {

const char* whySkipped(CarryOutcome outcome) {
    switch (outcome) {
        case CarryOutcome::NoLayer1:
            return "no picture in layer 1 here or in the frame before";
        case CarryOutcome::NoPreviousMask:
            return "the frame before has no mask";
        case CarryOutcome::Unreadable:
            return "a picture could not be read";
        case CarryOutcome::NoMemory:
            return "not enough memory";
        case CarryOutcome::Carried:
            break;
    }
    return "";
}

}  // namespace

int CarryMasksOfProject(Document& document, EditSession& session, Services& services, int first,
                        int last, const CarryOptions& options, const std::function<bool()>& stop,
                        std::FILE* out) {
    const ErrorReporter reporter = services.reporter();
    VideoPool videos;
    GreyImage carried;  // the mask carried to the frame before, when it was
    bool carriedBefore = false;
    bool changed = false;
    bool failed = false;
    for (int index = first + 1; index <= last; ++index) {
        if (stop && stop()) break;
        const auto start = std::chrono::steady_clock::now();
        const FrameRecord& before = document.frames.at(index - 1);
        FrameRecord& frame = document.frames.at(index);
        CarryStep step;
        step.previous = FilesOf(document, before);
        step.previousMask = before.maskNumber;
        step.previousMaskPicture = carriedBefore ? &carried : nullptr;
        step.current = FilesOf(document, frame);
        step.currentMask = frame.maskNumber;
        GreyImage mask;
        CarryPicturesRead read;
        const CarryOutcome outcome = CarryStepMask(step, videos, options, mask, read);
        carriedBefore = false;
        if (outcome == CarryOutcome::Unreadable) {
            ReportCarryRead(reporter, read);
            failed = true;
        }
        if (outcome != CarryOutcome::Carried) {
            std::fprintf(out, "frame %d: skipped, %s\n", index + 1, whySkipped(outcome));
            continue;
        }
        const std::int32_t number =
            frame.maskNumber != 0 ? frame.maskNumber : document.masks.nextNumber;
        const std::string file = document.masks.workingFile(number);
        if (!SaveMaskFile(mask, file)) {
            reporter.report(ErrorKind::SaveImage, ErrorPlace::CarryMask, number, file);
            std::fprintf(out, "frame %d: skipped, the mask could not be written\n", index + 1);
            failed = true;
            continue;
        }
        if (frame.maskNumber == 0) frame.maskNumber = document.masks.nextNumber++;
        carried = std::move(mask);
        carriedBefore = true;
        changed = true;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(out, "frame %d: mask carried in %.3f s\n", index + 1, seconds);
        std::fflush(out);
    }
    if (changed && !WriteProjectFile(document, reporter, &session.unstoredMasks)) return 1;
    return failed ? 1 : 0;
}

}  // namespace morvel
