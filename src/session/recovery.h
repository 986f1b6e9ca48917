#pragma once

#include <optional>

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

enum class RecoveryOutcome {
    NothingToRecover,
    Recovered,  // the frames, masks, header and displayed frame are back, as far as readable
    Declined,   // the user said No: that session's files are gone
    Kept,       // the question was cancelled: the session stays for the next start
    Damaged,    // its journal could not be read: the folder was set aside and the user told
};

// At start: offers the newest session under services.sessionsFolder that ended without tidying up
// (its lock is free). Yes rebuilds the project from its journal, its masks' working files and
// its tile log, then removes that session's files; the project keeps its path, so "Speichern"
// writes it where it was. Other such sessions stay untouched. Damaged files give what can be
// read, one message, and the folder renamed to <name>.damaged; when the recovered state cannot
// be written (a full disk), the user is told and the old folder stays as it is.
RecoveryOutcome OfferRecovery(Document& document, EditSession& session, View& view,
                              Services& services);

// What a recovery could not bring back from damaged session files.
struct RecoveryLosses {
    bool journalDamaged = false;
    bool logDamaged = false;
    int framesRead = 0;
    int framesWritten = 0;    // as many as the journal says it held, when it says
    int recordsApplied = 0;   // mask edits of the tile log put back
    int recordsRefused = 0;   // logged edits whose mask size is impossible for their frame
    int masksNotWritten = 0;  // recovered masks kept in memory: the disk is full
    int masksUnreadable = 0;  // working files that are there but cannot be read
    bool whole() const {
        return !journalDamaged && !logDamaged && recordsRefused == 0 && masksUnreadable == 0;
    }
};

// Puts a session's project into this program: what OfferRecovery does on Yes, with the frames
// and mask edits that could be read. Nothing when not even its journal's header can be read.
std::optional<RecoveryLosses> RecoverSession(Document& document, EditSession& session, View& view,
                                             Services& services, const std::string& folder);

}  // namespace morvel
