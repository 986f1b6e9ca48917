#pragma once

#include <string>

#include "project/services.h"

namespace morvel {

// Tells that a sound file cannot be used, with DecodeSoundFile's reason in the user's language:
// nr 1 for a file the user chose, 2 for the project's own track.
void ReportSoundFault(Services& services, const std::string& file, const std::string& error,
                      int nr);

}  // namespace morvel
