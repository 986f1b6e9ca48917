#pragma once

#include "platform/dialogs.h"

class QWidget;

namespace morvel {

// The shooting settings' dialog: the capture folder (a field and a button that opens a folder
// requester), the file name template, the frames played before live view, the onion skin's
// opacity and whether the clean plate is kept. True when confirmed, fields then as left.
bool RunShootingSettingsDialog(QWidget* parent, const ShootingSettingsDialog& dialog,
                               ShootingSettingsFields& fields);

}  // namespace morvel
