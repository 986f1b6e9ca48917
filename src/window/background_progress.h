#pragma once

#include <functional>
#include <string>

#include <QObject>

#include "platform/background_job.h"

class QProgressDialog;
class QTimer;
class QWidget;

namespace morvel {

class QtShell;

// The window of work running on a worker (a BackgroundJob): a progress bar with Cancel that
// leaves the main window usable. It asks the program's loop to take the job's results by
// posting a Background event whenever the job may have some, so that they are applied between
// two events, never inside another operation. Reusable for any long work (exports, videos).
class BackgroundProgress : public QObject {
public:
    // label(done, total) is the line above the bar. A window that holds the main window keeps it
    // repainting but takes its input, so that nothing changes what the job reads.
    BackgroundProgress(QtShell& shell, BackgroundJob& job, const std::string& title,
                       const std::string& cancel, std::function<std::string(int, int)> label,
                       bool holdsMainWindow = false);
    ~BackgroundProgress() override;

    // Call on the Background event: runs the results ready (BackgroundJob::poll) and shows the
    // progress. False once the job is over; the window may go then.
    bool takeResults();

private:
    void tick();

    QtShell& m_shell;
    BackgroundJob& m_job;
    std::function<std::string(int, int)> m_label;
    QProgressDialog* m_dialog = nullptr;
    QTimer* m_timer = nullptr;
};

}  // namespace morvel
