#pragma once

#include "platform/canvas_shell.h"
#include "platform/dialogs.h"
#include "platform/frame_strip_shell.h"
#include "platform/gadget_shell.h"
#include "platform/main_window_shell.h"
#include "platform/progress.h"

namespace morvel {

// Everything the core needs from the window system, as one object: the Qt window implements it;
// tests use a recorder that answers from a script; the batch renderer prints errors to standard
// error. Code that needs only one role takes that interface. Every call is made on the one
// thread that runs the program; dialogs are modal.
class Shell : public Dialogs,
              public Progress,
              public MainWindowShell,
              public GadgetShell,
              public FrameStripShell,
              public CanvasShell {};

}  // namespace morvel
