#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <vector>

#include "editor/carried_mask.h"
#include "editor/edit_session.h"
#include "editor/view.h"
#include "platform/background_job.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// What the user answers for a frame of the run that already has a mask.
enum class MaskAnswer { Replace, Skip, ReplaceAll };

// "Masken weiterführen ...": the displayed frame's mask carried frame after frame up to a later
// frame on a worker (BackgroundJob), each mask applied on the main thread as it comes; the whole
// run is one step of the history, also when it is cancelled (then with the frames done so far).
// A frame whose mask is skipped passes its own mask on; a picture that cannot be read is reported
// and its frame skipped.
class CarryMasksRun {
public:
    // Plans the frames after the displayed one up to lastIndex, asking for each that has a mask,
    // in order, until the answer is "replace all".
    CarryMasksRun(Document& document, EditSession& session, View& view, Services& services,
                  int lastIndex, const CarryOptions& options,
                  const std::function<MaskAnswer(int frameNumber)>& ask);

    // The frames planned (0: nothing to do).
    int frames() const { return static_cast<int>(m_plan.size()); }

    // On the worker: carries the frames in turn, delivering each mask to the main thread. Stops
    // between frames when the job is cancelled.
    void work(BackgroundJob& job);

    // On the main thread once the job is over: the applied masks become one step.
    void finish();

private:
    struct Planned {
        FrameId id = 0;
        int number = 0;  // 1-based, for messages
        CarryStep step;
        bool skip = false;
    };
    void apply(const Planned& planned, GreyImage mask);

    Document& m_document;
    EditSession& m_session;
    View& m_view;
    Services& m_services;
    CarryOptions m_options;
    std::vector<Planned> m_plan;
    EditTransaction m_step;
};

}  // namespace morvel
