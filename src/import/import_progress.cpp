#include "import/import_progress.h"

#include <string>

#include "platform/text.h"

namespace morvel {

ImportProgress::ImportProgress(Progress& dialog, const LanguageTable& texts,
                               std::chrono::milliseconds delay)
    : m_dialog(dialog), m_texts(texts), m_start(std::chrono::steady_clock::now()), m_delay(delay) {}

ImportProgress::~ImportProgress() {
    if (m_shown) m_dialog.hideProgress();
}

bool ImportProgress::step(const ImportStep& step) {
    if (m_cancelled) return false;
    if (!m_shown && std::chrono::steady_clock::now() - m_start < m_delay) return true;
    m_shown = true;
    ImportStep shown = step;
    // The file name goes in last, so that a "$" in it stays as it is.
    std::string label = m_texts[step.unit == ImportStep::Unit::File ? Text::ProgressFile
                                                                    : Text::ProgressVideoframe];
    label = ReplaceAll(label, "$K", std::to_string(step.k));
    label = ReplaceAll(label, "$N", std::to_string(step.n));
    shown.label = ReplaceAll(label, "$FILE", step.fileName);
    shown.cancel = m_texts[Text::ProgressCancel];
    m_cancelled = !m_dialog.showProgress(shown) && step.cancellable;
    return !m_cancelled;
}

}  // namespace morvel
