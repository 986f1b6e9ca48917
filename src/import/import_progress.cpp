#include "import/import_progress.h"

namespace morvel {

ImportProgress::ImportProgress(Shell& shell, std::chrono::milliseconds delay)
    : m_shell(shell), m_start(std::chrono::steady_clock::now()), m_delay(delay) {}

ImportProgress::~ImportProgress() {
    if (m_shown) m_shell.hideProgress();
}

bool ImportProgress::step(const ImportStep& step) {
    if (m_cancelled) return false;
    if (!m_shown && std::chrono::steady_clock::now() - m_start < m_delay) return true;
    m_shown = true;
    m_cancelled = !m_shell.showProgress(step) && step.cancellable;
    return !m_cancelled;
}

}  // namespace morvel
