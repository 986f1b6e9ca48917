#pragma once

#include <string>

#include "platform/dialogs.h"

class QWidget;

namespace morvel {

// The camera chooser: a list of the cameras offered and a field for the URL, which a click in
// the list fills (a double click confirms). The URL confirmed, trimmed; "" when cancelled.
std::string RunCameraChooser(QWidget* parent, const CameraChooser& chooser);

}  // namespace morvel
