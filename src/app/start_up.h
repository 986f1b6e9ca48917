#pragma once

#include <string>
#include <vector>

#include "app/dispatch.h"
#include "app/event.h"
#include "app/program.h"

namespace morvel {

// The project named by the first argument: "" when there is none or it is empty. Double quotes
// around it are not part of the path.
std::string ProjectArgument(const std::vector<std::string>& arguments);

// The window program from start to end: the language (maybe through the chooser), the
// single-instance check (its lock file in lockFolder), the work images, the main window, the
// project named by the first argument, then the loop until the window is closed. An orderly end
// writes the settings file; a fatal end (reported first) does not. The exit status, always 0.
int RunProgram(Program& state, EventSource& events, const std::vector<std::string>& arguments,
               const std::string& lockFolder, const DispatchHooks& hooks = {});

}  // namespace morvel
