#pragma once

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

enum class RecoveryOutcome {
    NothingToRecover,
    Recovered,  // the frames, masks, header and displayed frame are back
    Declined,   // the user said No: that session's files are gone
    Kept,       // the question was cancelled: the session stays for the next start
    Damaged,    // its journal could not be read: the folder was set aside and the user told
};

// At start: offers the newest session under services.sessionsFolder that ended without tidying up
// (its lock is free). Yes rebuilds the project from its journal, its masks' working files and
// its tile log, then removes that session's files; the project keeps its path, so "Speichern"
// writes it where it was. Other such sessions stay untouched.
RecoveryOutcome OfferRecovery(Document& document, EditSession& session, View& view,
                              Services& services);

// Puts a session's project into this program: what OfferRecovery does on Yes. False when its
// journal cannot be read.
bool RecoverSession(Document& document, EditSession& session, View& view, Services& services,
                    const std::string& folder);

}  // namespace morvel
