#include "session/crash_protection.h"

namespace morvel {

void TellSessionWriteFailure(EditSession& session, Services& services) {
    if (TakeSessionWriteFailure(session.record))
        services.reporter().report(ErrorKind::SessionWrite, ErrorPlace::SessionFiles, 0,
                                   session.record.writer->folder());
}

void TellNotices(EditSession& session, Services& services) {
    std::vector<std::string> notices;
    notices.swap(session.notices);
    for (const std::string& notice : notices)
        services.shell.showMessage(services.language.texts[Text::RequesterSessiontitle], notice);
}

void TellCrashProtectionOff(const Services& services) {
    if (services.unprotectedSessions.empty()) return;
    services.reporter().report(ErrorKind::NoSession, ErrorPlace::StartUp, 0,
                               services.unprotectedSessions);
}

}  // namespace morvel
