#include "session/crash_protection.h"

namespace morvel {

void TellSessionWriteFailure(EditSession& session, Services& services) {
    if (TakeSessionWriteFailure(session.record))
        services.reporter().report(ErrorKind::SessionWrite, ErrorPlace::SessionFiles, 0,
                                   session.record.writer->folder());
}

void TellCrashProtectionOff(const Services& services) {
    if (services.unprotectedSessions.empty()) return;
    services.reporter().report(ErrorKind::NoSession, ErrorPlace::StartUp, 0,
                               services.unprotectedSessions);
}

}  // namespace morvel
