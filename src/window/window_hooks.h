#pragma once

#include "app/dispatch.h"

namespace morvel {

class QtShell;

// The operations the window program plugs into the dispatch: the AVI export, the file
// association and the about box over the shell's main window.
DispatchHooks WindowHooks(QtShell& shell);

}  // namespace morvel
