#include "window/carry_masks_in_window.h"

#include "platform/text.h"
#include "window/background_progress.h"
#include "window/carry_masks_requester.h"
#include "window/main_window_widget.h"
#include "window/qt_shell.h"

namespace morvel {

CarryMasksInWindow::CarryMasksInWindow() = default;

CarryMasksInWindow::~CarryMasksInWindow() {
    m_progress.reset();
    m_job.reset();  // cancels and waits for the worker before the run goes
}

void CarryMasksInWindow::start(Program& state, QtShell& shell) {
    if (m_job) return;  // a run is under way
    const LanguageTable& texts = state.services.language.texts;
    const int shown = state.session.cache.displayedIndex;
    const int count = state.document.frames.size();
    if (shown < 0 || shown + 1 >= count) return;
    const auto choice = AskCarryMasks(shell.mainWindow(), texts, shown + 1, count);
    if (!choice) return;
    auto run = std::make_unique<CarryMasksRun>(
        state.document, state.session, state.view, state.services, choice->lastFrame - 1,
        choice->options,
        [&](int frame) { return AskMaskAnswer(shell.mainWindow(), texts, frame); });
    if (run->frames() == 0) return;
    m_run = std::move(run);
    m_job = std::make_unique<BackgroundJob>();
    const int first = shown + 2;
    m_job->start([run = m_run.get()](BackgroundJob& job) { run->work(job); }, m_run->frames());
    m_progress = std::make_unique<BackgroundProgress>(
        shell, *m_job, texts[Text::RequesterCarrymaskstitle], texts[Text::ProgressCancel],
        [&texts, first](int done, int total) {
            std::string line = ReplaceAll(texts[Text::RequesterCarryprogress], "$NR",
                                          std::to_string(first + std::min(done, total - 1)));
            line = ReplaceAll(line, "$W", std::to_string(done));
            return ReplaceAll(line, "$H", std::to_string(total));
        });
}

void CarryMasksInWindow::takeResults() {
    if (!m_progress || m_progress->takeResults()) return;
    m_run->finish();
    m_progress.reset();
    m_job.reset();
    m_run.reset();
}

}  // namespace morvel
