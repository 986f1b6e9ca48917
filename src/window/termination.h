#pragma once

#include <QObject>

namespace morvel {

class QtShell;

// Turns SIGTERM and SIGINT into the close event, so that a program told to end (by kill, by the
// desktop's session or by Ctrl+C in its terminal) ends as when its window is closed: the project
// is closed (asking to save it when changed) and the settings are written. A signal that arrives
// before the main window exists closes the language chooser and then the window once it is there.
class TerminationSignals : public QObject {
public:
    explicit TerminationSignals(QtShell& shell);
    ~TerminationSignals() override;

private:
    void closeWindow();

    QtShell& m_shell;
};

}  // namespace morvel
