#pragma once

#include <memory>

#include "app/program.h"
#include "editor/carry_masks_run.h"
#include "platform/background_job.h"

namespace morvel {

class BackgroundProgress;
class QtShell;

// "Masken weiterführen ..." in the window: the requester, the questions for frames that have a
// mask, then the run on a worker with its progress window; one run at a time.
class CarryMasksInWindow {
public:
    CarryMasksInWindow();
    ~CarryMasksInWindow();
    void start(Program& state, QtShell& shell);
    // The Background event: applies the frames done; the run's step is made once it is over.
    void takeResults();

private:
    std::unique_ptr<CarryMasksRun> m_run;
    std::unique_ptr<BackgroundJob> m_job;
    std::unique_ptr<BackgroundProgress> m_progress;
};

}  // namespace morvel
