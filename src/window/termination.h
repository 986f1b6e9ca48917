#pragma once

#include <QObject>

namespace morvel {

class QtShell;

// Turns SIGTERM, SIGINT and SIGHUP into the terminate event, so that a program told to end (by
// kill, by the desktop's session, by Ctrl+C in its terminal or by its terminal closing) ends at
// once without a question: open dialogs are closed, unsaved work is kept for the next start and
// the settings are written. A signal that arrives before the main window exists closes the
// language chooser and ends the program once the window is there. A second signal ends it at once.
class TerminationSignals : public QObject {
public:
    explicit TerminationSignals(QtShell& shell);
    ~TerminationSignals() override;

private:
    void endProgram();

    QtShell& m_shell;
};

}  // namespace morvel
