#pragma once

#include <chrono>

#include "i18n/language_table.h"
#include "platform/progress.h"

namespace morvel {

// The progress of one drop or video import. The dialog appears only when the import has run
// longer than the delay, so that short drops do not flash a window; from then on every step
// updates it. Once the user cancels, the import stops before its next item; what was imported
// stays. The dialog closes when this object goes away.
class ImportProgress {
public:
    ImportProgress(Progress& dialog, const LanguageTable& texts, std::chrono::milliseconds delay);
    ~ImportProgress();
    ImportProgress(const ImportProgress&) = delete;
    ImportProgress& operator=(const ImportProgress&) = delete;

    // Called before each item; fills the step's texts. False when the import must stop here: the
    // user has cancelled (never for steps that cannot be cancelled).
    bool step(const ImportStep& step);
    bool cancelled() const { return m_cancelled; }

private:
    Progress& m_dialog;
    const LanguageTable& m_texts;
    const std::chrono::steady_clock::time_point m_start;
    const std::chrono::milliseconds m_delay;
    bool m_shown = false;
    bool m_cancelled = false;
};

}  // namespace morvel
