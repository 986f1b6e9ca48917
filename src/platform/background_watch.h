#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/background_job.h"

namespace morvel {

// What the progress window of a job shows: its title, the cancel button's label and the line
// above the bar for done of total pieces.
struct BackgroundTexts {
    std::string title;
    std::string cancel;
    std::function<std::string(int done, int total)> label;
};

// Who looks after a job started on a worker: the window shows its progress with Cancel and runs
// its pieces between two events; without a window the job is waited for.
class BackgroundWatch {
public:
    virtual ~BackgroundWatch() = default;

    // Takes over a started job; over runs on the main thread once the job has ended and every
    // piece it delivered has run.
    virtual void watch(std::unique_ptr<BackgroundJob> job, BackgroundTexts texts,
                       std::function<void()> over) = 0;
};

// Runs the job's pieces on this thread until it is over, then over: the watch of programs and
// tests without a window.
void WaitForJob(BackgroundJob& job, const std::function<void()>& over);

}  // namespace morvel
