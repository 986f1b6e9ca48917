#pragma once

#include "editor/edit_session.h"
#include "project/services.h"

namespace morvel {

// Once, when the session's journal or tile log could not be written (a full or read-only
// disk): the user hears that work from now on is not protected against a crash, and where.
void TellSessionWriteFailure(EditSession& session, Services& services);

// The messages that waited for the journal, each in a message box, once.
void TellNotices(EditSession& session, Services& services);

// At start, when no session folder could be made: crash protection is off.
void TellCrashProtectionOff(const Services& services);

}  // namespace morvel
