#include "editor/carry_masks_run.h"

#include <algorithm>
#include <memory>

#include "codecs/picture_io.h"
#include "editor/canvas.h"
#include "editor/compose_frame.h"
#include "editor/frame_selection.h"
#include "editor/mask_edit.h"
#include "editor/mask_tiles_command.h"
#include "editor/masks.h"
#include "editor/undo_history.h"
#include "import/frame_mask.h"
#include "import/video_pool.h"

namespace morvel {

CarryMasksRun::CarryMasksRun(Document& document, EditSession& session, View& view,
                             Services& services, int lastIndex, const CarryOptions& options,
                             const std::function<MaskAnswer(int frameNumber)>& ask)
    : m_document(document),
      m_session(session),
      m_view(view),
      m_services(services),
      m_options(options) {
    const int first = session.cache.displayedIndex;
    if (first < 0 || !DisplayedFrame(document, session)) return;
    // The worker reads the masks' working files: they must hold what the window shows.
    EndMaskEdit(document, session);
    StoreDisplayedMask(document, session, services);
    bool replaceAll = false;
    const int last = std::min(lastIndex, document.frames.size() - 1);
    for (int index = first + 1; index <= last; ++index) {
        const FrameRecord& before = document.frames.at(index - 1);
        const FrameRecord& frame = document.frames.at(index);
        Planned planned;
        planned.id = frame.id;
        planned.number = index + 1;
        // Masks kept in memory come with the files: the worker reads them from there.
        planned.step.previous = FilesOf(document, before, &session.unstoredMasks);
        planned.step.previousMask = before.maskNumber;
        planned.step.current = FilesOf(document, frame, &session.unstoredMasks);
        planned.step.currentMask = frame.maskNumber;
        if (frame.maskNumber != 0 && !replaceAll) {
            const MaskAnswer answer = ask(index + 1);
            replaceAll = answer == MaskAnswer::ReplaceAll;
            planned.skip = answer == MaskAnswer::Skip;
        }
        m_plan.push_back(std::move(planned));
    }
}

void CarryMasksRun::work(BackgroundJob& job) {
    VideoPool videos;
    GreyImage carried;  // the mask carried to the frame before, when it was
    bool carriedBefore = false;
    for (const Planned& planned : m_plan) {
        if (job.cancelRequested()) return;
        if (planned.skip) {
            carriedBefore = false;
            job.deliver([] {});
            continue;
        }
        CarryStep step = planned.step;
        step.previousMaskPicture = carriedBefore ? &carried : nullptr;
        if (carriedBefore) step.previousMask = -1;  // carried in this run
        GreyImage mask;
        CarryPicturesRead read;
        const CarryOutcome outcome = CarryStepMask(step, videos, m_options, mask, read);
        carriedBefore = outcome == CarryOutcome::Carried;
        if (!carriedBefore) {
            if (outcome == CarryOutcome::Unreadable) {
                auto told = std::make_shared<CarryPicturesRead>();
                told->failedFile = read.failedFile;
                told->failure = read.failure;
                told->failedNumber = read.failedNumber;
                told->read = read.read;
                job.deliver([this, told] { ReportCarryRead(m_services.reporter(), *told); });
            } else {
                job.deliver([] {});
            }
            continue;
        }
        carried = mask;
        job.deliver([this, &planned, mask = std::move(mask)]() mutable {
            apply(planned, std::move(mask));
        });
    }
}

void CarryMasksRun::apply(const Planned& planned, GreyImage mask) {
    FrameRecord* frame = m_document.frames.withId(planned.id);
    if (!frame) return;  // deleted meanwhile
    const bool displayed = m_session.cache.displayedId == planned.id;
    const std::int32_t before = frame->maskNumber;
    GreyImage read;
    const GreyImage* old = nullptr;
    if (before != 0) {
        if (displayed && DisplayedMaskUsable(m_document, m_session))
            old = &m_session.images.mask;
        else if (ReadFrameMask(MaskFiles(m_document, m_session, before), read))
            old = &read;
        if (old && (old->width() != mask.width() || old->height() != mask.height())) old = nullptr;
    }
    const std::int32_t after = old ? before : m_document.masks.nextNumber++;
    MaskTileEdit edit = WholeMaskEdit(planned.id, before, after, old, mask);
    if (edit.tiles.empty() && !edit.madeMask()) return;
    frame->maskNumber = after;
    if (displayed) {
        m_session.images.mask = std::move(mask);
        m_session.cache.maskNumber = after;
        m_session.cache.maskFailed = false;
        MarkMaskModified(m_session);
        const Image& composite = m_session.images.composite;
        m_session.cache.dirty = Rect{0, composite.width(), 0, composite.height()};
        ComposeFrame(m_document, m_session, m_view, m_services, kMaskChanged);
        RedrawCanvas(m_document, m_session, m_view, m_services, -1, -1, 0, 0);
    } else if (SaveMaskFile(mask, m_document.masks.workingFile(after))) {
        m_session.unstoredMasks.erase(after);
    } else {
        m_session.unstoredMasks.insert_or_assign(after,
                                                 std::make_shared<const GreyImage>(std::move(mask)));
    }
    LogMaskTiles(m_session.record, edit, true);
    m_step.add(std::make_unique<MaskTilesCommand>(std::move(edit)));
}

void CarryMasksRun::finish() {
    if (!m_step.empty()) PushUndoStep(m_session, std::move(m_step));
    m_step = EditTransaction{};
}

}  // namespace morvel
