#pragma once

#include <functional>
#include <memory>

#include "platform/background_watch.h"

namespace morvel {

class BackgroundProgress;
class QtShell;

// The exports' worker in the window: one at a time, with a progress window that holds the main
// window (which keeps repainting) and offers Cancel; the job's pieces are run on the Background
// event.
class ExportWatch final : public BackgroundWatch {
public:
    explicit ExportWatch(QtShell& shell);
    ~ExportWatch() override;

    bool busy() const { return m_job != nullptr; }
    void watch(std::unique_ptr<BackgroundJob> job, BackgroundTexts texts,
               std::function<void()> over) override;
    // The Background event: runs the pieces ready; once the job is over, closes the progress
    // window and tells the end.
    void takeResults();

private:
    QtShell& m_shell;
    std::unique_ptr<BackgroundJob> m_job;
    std::unique_ptr<BackgroundProgress> m_progress;
    std::function<void()> m_over;
};

}  // namespace morvel
