#include "window/termination.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>

#include "app/event.h"
#include "window/qt_shell.h"

namespace morvel {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The handler may only write to a socket; the loop reads the other end.
int g_signalSockets[2] = {-1, -1};
volatile std::sig_atomic_t g_signalled = 0;

extern "C" void onTerminationSignal(int signal) {
    // A second signal while the program ends ends it at once, as the signal does by default.
    if (g_signalled) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    g_signalled = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_signalSockets[0], &byte, 1);
}

}  // namespace

TerminationSignals::TerminationSignals(QtShell& shell) : m_shell(shell) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalSockets) != 0)
        return;  // the signals then end the program as they do by default
    auto* notifier = new QSocketNotifier(g_signalSockets[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(g_signalSockets[1], bytes, sizeof bytes) > 0) {
        }
        endProgram();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

void TerminationSignals::endProgram() {
    // A dialog open now (a question, a requester, the language chooser) is closed as by its
    // close box, so that the event below is read at once.
    for (int open = 0; open < 16; ++open) {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) break;
        if (auto* asking = qobject_cast<QDialog*>(dialog)) {
            asking->done(QDialog::Rejected);
        } else {
            dialog->close();
        }
    }
    // Building the main window drops the events raised before it: wait for it.
    if (!m_shell.mainWindow()) {
        QTimer::singleShot(100, this, &TerminationSignals::endProgram);
        return;
    }
    Event end;
    end.kind = EventKind::Terminate;
    m_shell.post(end);
}

TerminationSignals::~TerminationSignals() {
    for (int signal : kSignals) std::signal(signal, SIG_DFL);
    for (int& socket : g_signalSockets) {
        if (socket >= 0) ::close(socket);
        socket = -1;
    }
}

}  // namespace morvel
