#pragma once

#include <optional>

#include "editor/carry_masks_run.h"
#include "i18n/language_table.h"

class QWidget;

namespace morvel {

// What the "Masken weiterführen" requester asks: up to which frame (1-based), the mode and the
// limit.
struct CarryMasksChoice {
    int lastFrame = 0;
    CarryOptions options;
};

// The requester, for a run from frame `from` (1-based, the displayed one) in a film of `count`
// frames. Nothing when it is cancelled.
std::optional<CarryMasksChoice> AskCarryMasks(QWidget* parent, const LanguageTable& texts, int from,
                                              int count);

// "Frame N already has a mask": replace, skip or replace all (closing the box skips).
MaskAnswer AskMaskAnswer(QWidget* parent, const LanguageTable& texts, int frame);

}  // namespace morvel
