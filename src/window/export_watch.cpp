#include "window/export_watch.h"

#include <utility>

#include "window/background_progress.h"
#include "window/qt_shell.h"

namespace morvel {

ExportWatch::ExportWatch(QtShell& shell) : m_shell(shell) {}

ExportWatch::~ExportWatch() {
    m_progress.reset();
    m_job.reset();  // cancels and waits for the worker, which removes what it had begun
}

void ExportWatch::watch(std::unique_ptr<BackgroundJob> job, BackgroundTexts texts,
                        std::function<void()> over) {
    if (m_job) {  // not reached while the progress window holds the menus; kept safe all the same
        job->cancel();
        WaitForJob(*job, {});
        return;
    }
    m_job = std::move(job);
    m_over = std::move(over);
    m_progress = std::make_unique<BackgroundProgress>(m_shell, *m_job, texts.title, texts.cancel,
                                                      std::move(texts.label), true);
}

void ExportWatch::takeResults() {
    if (!m_progress || m_progress->takeResults()) return;
    m_progress.reset();
    m_job.reset();
    const std::function<void()> over = std::exchange(m_over, {});
    if (over) over();
}

}  // namespace morvel
